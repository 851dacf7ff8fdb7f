// The rain scene's state, shared with its tests. B (WorkBufferB) holds the
// raw rain pattern, A (WorkBufferA) the smoothed copy that is shown.
#pragma once

#include <cstdint>

struct RainOverLandState {
    uint8_t resetPending = 1;  // flag: set until the first update step fills B with 90
    int32_t intensity = 0;     // 0..250; intensity >> 4 drops fall per frame
};
extern RainOverLandState RainOverLand;

// Back to the start values above.
void resetRainOverLand();
