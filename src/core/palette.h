// Palette files (RIFF PAL).
#pragma once

#include "core/screen.h"

#include <cstdint>

// Reads `count` colours from entry `firstEntry` of the file into the staging
// colours 0..count-1 and installs them into slots firstSlot.. of the logical
// and physical palette. Entries past the end of a short file read as 255; a
// short palette is not an error. A file that cannot be opened or read, or
// whose first byte is not 'R', ends the program with status 1 and a line
// naming it.
void loadPalette(Screen& screen, const char* path, uint16_t firstEntry, uint16_t count,
                 uint16_t firstSlot);

// The checks loadPalette makes before reading colours, alone: the file opens
// and starts with 'R', or the program ends as loadPalette would.
void requirePaletteFile(const char* path);
