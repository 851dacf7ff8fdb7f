// Palette files (RIFF PAL).
#pragma once

#include "core/screen.h"

#include <cstdint>

// Reads `count` colours from entry `firstEntry` of the file into the staging
// colours 0..count-1 and installs them into slots firstSlot.. of the logical
// and physical palette. A missing file or a first byte other than 'R' ends
// the program with status 1, silently; entries past the end of a short file
// read as 255.
void loadPalette(Screen& screen, const char* path, uint16_t firstEntry, uint16_t count,
                 uint16_t firstSlot);
