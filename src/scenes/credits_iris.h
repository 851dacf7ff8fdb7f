// The opening credits: four panels, each opened and closed by a circular
// iris about the screen centre, then a black disc that covers the screen.
#pragma once

#include <cstdint>

extern int32_t DistanceMap[76800];  // whole pixels from the screen centre, per pixel
struct CreditsIrisState {
    uint8_t firstStep = 1;  // flag: set until the scene's first step has painted the screen
    uint32_t panel = 0;     // 0 blank, 1..4 credit panel, 5 closing disc
    int32_t target = 0;     // whole pixels: the radius the iris eases towards (0 or 320)
    int32_t radius = 0;     // whole pixels: pixels closer to the centre are inside
};
extern CreditsIrisState CreditsIris;

// Back to the start values above.
void resetCreditsIris();

// The distance map, built once before the music starts.
void buildDistanceMap();
