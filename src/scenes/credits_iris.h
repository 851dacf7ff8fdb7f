// The opening credits: four panels, each opened and closed by a circular
// iris about the screen centre, then a black disc that covers the screen.
#pragma once

#include <cstdint>

extern int32_t DistanceMap[76800];  // whole pixels from the screen centre, per pixel
struct CreditsIrisState {
    uint8_t firstStep = 1;  // 1 at start, flag
    uint32_t panel = 0;     // 0 at start, panel number
    int32_t target = 0;     // 0 at start, whole pixels
    int32_t radius = 0;     // 0 at start, whole pixels
};
extern CreditsIrisState CreditsIris;

// Back to the start values above.
void resetCreditsIris();

// The distance map, built once before the music starts.
void buildDistanceMap();
