// The flood's state, shared with its tests.
#pragma once

#include <cstdint>

struct FloodingLogoState {
    int32_t level = 0;  // height units: the mean surface, rises 1 per update step
};
extern FloodingLogoState FloodingLogo;

// Back to the start values above.
void resetFloodingLogo();
extern int32_t waterTable[76800];   // surface height per screen pixel
