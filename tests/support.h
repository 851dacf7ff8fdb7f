// Shared helpers of the tests.
#pragma once

#include "gfx2d/picture.h"
#include "platform/screen.h"
#include "platform/tables.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The Screen on SDL's dummy video driver, with the tables built; created once
// per test process.
Screen& testScreen();

// True when the forged data set is present (tests that need it skip otherwise).
bool haveDataSet();

// A fresh empty directory under the system's temporary directory.
std::filesystem::path makeTempDir(const std::string& name);

// Runs a shell command, returning its exit status and standard output.
struct CommandResult {
    int status;
    std::string output;
};
CommandResult runCommand(const std::string& command);

// FNV-1a 64-bit hash of a byte range (the recorder's hash).
uint64_t fnv1a64(const uint8_t* bytes, size_t count);

// Points `picture` at `storage` (resized to width x height + 1 bytes, each
// set to `value`) as a loaded picture of that size would be.
void makeTestPicture(Picture& picture, std::vector<uint8_t>& storage, uint16_t width,
                     uint16_t height, uint8_t value);
