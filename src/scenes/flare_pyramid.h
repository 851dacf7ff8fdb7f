// The pyramid of flares: the pyramid mesh drops in from above and spins,
// each vertex drawn as an additive flare; the zoom trails overlay blurs,
// zooms and darkens the previous frame under the new flares.
#pragma once

#include <cstdint>

struct FlarePyramidState {
    uint16_t step = 0;         // 0 at start, steps
    uint16_t firstFlare = 17;  // 17 at start, vertex index
    uint8_t spinning = 1;      // 1 at start, flag
    int32_t trailFade = 12;    // 12 at start, palette indices
    int32_t zoomOriginX = 0;   // 0 at start, 24.8 screen position
    int32_t zoomOriginY = 0;   // 0 at start, 24.8 screen position
};
extern FlarePyramidState FlarePyramid;

// Back to the start values above.
void resetFlarePyramid();
