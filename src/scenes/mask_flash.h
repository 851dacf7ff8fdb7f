// The mask scene's state, shared with its tests.
#pragma once

#include <cstdint>

struct MaskFlashState {
    int32_t zoom = 1000;  // 8.8 source step per screen pixel: about a quarter size at start; ends at 5
    int32_t originX = 0;  // 24.8 source position of screen column 0, set by every update step
    int32_t originY = 0;  // 24.8 source position of screen row 0
    int32_t visible = 0;  // 1 during a flash, else 0
};
extern MaskFlashState MaskFlash;

// Back to the start values above.
void resetMaskFlash();
