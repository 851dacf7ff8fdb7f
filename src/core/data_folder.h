// The folder the data set is read from. The data table names every file as
// "data/NAME"; that name stays the file's name, and only the folder it is
// looked up in is chosen once at start-up. Until a program chooses, it is
// data/ in the working directory, as the tests and the web build expect.
#pragma once

#include <climits>
#include <cstdio>

// Takes the first of these that holds the data set: `option` (--data DIR,
// null when not given), the environment's DAYLONG_DATA, data/ in the working
// directory, and ../share/daylong beside the running executable. A folder
// given by the user is taken as given; the two others only when they hold
// at least one file of the set, so an unrelated data/ folder is passed over
// but a damaged set is reported file by file. When none holds it, one line
// says where the program looked and how to run it, and the program ends with
// status 1.
// `executable` is argv[0], whose last part names the program in messages.
void chooseDataFolder(const char* executable, const char* option);

// A data file's path in the chosen folder ("data/flare" -> FOLDER/flare);
// any other path as it is. A fixed buffer, so that palettes loaded at scene
// changes allocate nothing.
struct DataPath {
    char text[PATH_MAX];
};
DataPath resolveDataPath(const char* path);

// Whether `path` names a file of the data set, and so resolves elsewhere.
bool isDataSetPath(const char* path);

// Where the folder is and how it was chosen, with how to choose another: the
// tail of the message for a data file that is missing.
const char* dataFolderHint();

// Opens a data file for reading, from the chosen data folder, or ends the
// program with "unable to open PATH: REASON" (for a missing file of the set,
// with where the data set was looked for). Only regular files open: a
// directory would open and then fail every read, and a pipe would block the
// open.
std::FILE* openDataFile(const char* path);
