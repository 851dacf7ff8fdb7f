// Palette files (RIFF PAL) and the switch of palettes at scene changes.
#pragma once

#include "platform/screen.h"

#include <cstdint>

// Reads `count` colours from entry `firstEntry` of the file into the staging
// colours 0..count-1 and installs them into slots firstSlot.. of the logical
// and physical palette. A missing file or a first byte other than 'R' ends
// the program with status 1, silently; entries past the end of a short file
// read as 255.
void loadPalette(Screen& screen, const char* path, uint16_t firstEntry, uint16_t count,
                 uint16_t firstSlot);

extern uint32_t LastPaletteMask;  // SceneMask at the last palette switch

// Loads the scene's palettes when SceneMask shares no bit with the last one.
void switchPalette();
