// The jungle scene's state, shared with its tests.
#pragma once

#include <cstdint>

constexpr int32_t JungleWidth = 684;  // source pixels per row of the jungle picture

extern uint32_t jungleTicks;  // update steps taken by the scene
extern int32_t jungleAccel;   // shrink of jungleStep per step, 8.8
extern int32_t jungleStep;    // source distance between neighbouring screen pixels, 8.8
extern int32_t junglePanX;    // source column shown at screen column 319
extern int32_t junglePanY;    // source row shown at screen row 119
