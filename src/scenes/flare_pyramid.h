// The pyramid of flares: the pyramid mesh drops in from above and spins,
// each vertex drawn as an additive flare; the zoom trails overlay blurs,
// zooms and darkens the previous frame under the new flares.
#pragma once

#include <cstdint>

struct FlarePyramidState {
    uint16_t step = 0;         // update steps taken by the scene
    uint16_t firstFlare = 17;  // lowest vertex index that gets a flare
    uint8_t spinning = 1;      // flag: the spin about the x axis still runs
    int32_t trailFade = 12;    // palette indices taken off every pixel by the overlay
    int32_t zoomOriginX = 0;   // 24.8: source position of screen pixel (0, 0) in the overlay
    int32_t zoomOriginY = 0;
};
extern FlarePyramidState FlarePyramid;

// Back to the start values above.
void resetFlarePyramid();
