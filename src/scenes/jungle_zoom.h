// The jungle scene's state, shared with its tests.
#pragma once

#include <cstdint>

constexpr int32_t JungleWidth = 684;  // source pixels per row of the jungle picture

struct JungleZoomState {
    uint32_t ticks = 0;   // update steps taken by the scene
    int32_t accel = 0;    // 8.8 per step: how fast `step` shrinks
    int32_t step = 256;   // 8.8: source distance between neighbouring screen pixels (1:1
                          // at start); ends at zero or below
    int32_t panX = -360;  // source column shown at screen column 319
    int32_t panY = 120;   // source row shown at screen row 119
};
extern JungleZoomState JungleZoom;

// Back to the start values above.
void resetJungleZoom();
