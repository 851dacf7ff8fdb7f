// Shared helpers of the tests.
#pragma once

#include "gfx2d/picture.h"
#include "core/screen.h"
#include "core/tables.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The Screen on SDL's dummy video driver, with the tables built; created once
// per test process.
Screen& testScreen();

// The whole show as at the start of its music: start-up runs once per test
// process (on testScreen's Screen, with the data set), every call puts the
// show back with resetShow.
void freshShow();

// True when the forged data set is present.
bool haveDataSet();
// Tests of the forged data set fail without it: a suite that skipped them
// would report success without having looked at the show's data.
#define REQUIRE_DATA_SET() ASSERT_TRUE(haveDataSet()) << "no forged data set in data/ (build/demo-forge data)"

// A fresh empty directory under the system's temporary directory.
std::filesystem::path makeTempDir(const std::string& name);

// Runs a shell command, returning its exit status and standard output.
struct CommandResult {
    int status;
    std::string output;
};
CommandResult runCommand(const std::string& command);

// Points `picture` at `storage` (resized to width x height + 1 bytes, each
// set to `value`) as a loaded picture of that size would be.
void makeTestPicture(Picture& picture, std::vector<uint8_t>& storage, uint16_t width,
                     uint16_t height, uint8_t value);

// Objects holding the engine's never-freed arrays stay reachable until the
// process ends, as in the show, so leak checks see no loss.
template <class T>
T& keepForever(T* object)
{
    static auto* kept = new std::vector<const T*>;  // never destroyed
    kept->push_back(object);
    return *object;
}

// Writes a square of +-10 model units in the x-z plane (it faces the eye at
// the default angles), in both windings so it shows whichever way the
// projection turns it, with texture coordinates spanning the texture; returns
// its path in a fresh temporary directory named after `name`.
std::string writeSquareOb(const std::string& name);

// Death tests match standard error, where the program's one-line messages
// go; the child sends standard output there too.
#define EXPECT_EXIT_WITH_OUTPUT(statement, pattern)                                        \
    EXPECT_EXIT(                                                                           \
        {                                                                                  \
            dup2(2, 1);                                                                    \
            statement;                                                                     \
        },                                                                                 \
        testing::ExitedWithCode(1), pattern)
