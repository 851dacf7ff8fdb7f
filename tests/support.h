// Shared helpers of the tests.
#pragma once

#include "platform/screen.h"
#include "platform/tables.h"

#include <cstdint>
#include <filesystem>
#include <string>

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
