// The mask scene's state, shared with its tests.
#pragma once

#include <cstdint>

struct MaskFlashState {
    int32_t zoom = 1000;  // 1000 at start (about a quarter size), 8.8; ends at 5
    int32_t originX = 0;  // set by every update step, 24.8
    int32_t originY = 0;  // set by every update step, 24.8
    int32_t visible = 0;  // 0 at start, 0 or 1
};
extern MaskFlashState MaskFlash;

// Back to the start values above.
void resetMaskFlash();
