// Start-up failures end the program: one line on standard error naming what
// failed, and exit status 1. There is nothing to recover. Standard output
// carries only what the user asked for.
#pragma once

#include <cstdio>

[[noreturn]] void failWithMessage(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// When set, called in place of the message and the exit; it must not return.
// The fuzz targets throw from it, so that one process outlives every input
// the show refuses.
extern void (*FailureHook)();

// Opens a data file for reading, from the chosen data folder (data_folder.h),
// or ends the program with "unable to open PATH: REASON", for a missing file
// with where the data set was looked for. Only regular files open: a directory would open and then
// fail every read, and a pipe would block the open.
std::FILE* openDataFile(const char* path);
