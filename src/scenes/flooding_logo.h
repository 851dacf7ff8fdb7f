// The flood's state, shared with its tests.
#pragma once

#include <cstdint>

struct FloodingLogoState {
    int32_t level = 0;  // 0 at start, height units
};
extern FloodingLogoState FloodingLogo;

// Back to the start values above.
void resetFloodingLogo();
extern int32_t waterTable[76800];   // surface height per screen pixel
