// The jungle scene's state, shared with its tests.
#pragma once

#include <cstdint>

constexpr int32_t JungleWidth = 684;  // source pixels per row of the jungle picture

struct JungleZoomState {
    uint32_t ticks = 0;   // 0 at start, steps
    int32_t accel = 0;    // 0 at start, 8.8 per step
    int32_t step = 256;   // 256 at start (1:1), 8.8; ends at zero or below
    int32_t panX = -360;  // -360 at start, source columns
    int32_t panY = 120;   // 120 at start, source rows
};
extern JungleZoomState JungleZoom;

// Back to the start values above.
void resetJungleZoom();
