// The opening credits: four panels, each opened and closed by a circular
// iris about the screen centre, then a black disc that covers the screen.
#pragma once

#include <cstdint>

extern int32_t DistanceMap[76800];  // whole pixels from the screen centre, per pixel
extern uint8_t irisFirstStep;  // set until the scene's first step has painted the screen
extern uint32_t irisPanel;     // 0 blank, 1..4 credit panel, 5 closing disc
extern int32_t irisTarget;     // radius the iris eases towards (0 or 320)
extern int32_t irisRadius;     // current radius: pixels closer to the centre are inside

// The distance map, built once before the music starts.
void buildDistanceMap();
