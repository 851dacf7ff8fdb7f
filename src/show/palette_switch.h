// The switch of palettes at scene changes, from the schedule's palette loads.
#pragma once

#include <cstdint>

extern uint32_t LastPaletteMask;  // SceneMask at the last palette switch

// Loads the scene's palettes when SceneMask shares no bit with the last one.
void switchPalette();
