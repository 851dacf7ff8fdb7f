// The rain scene's state, shared with its tests. B (WorkBufferB) holds the
// raw rain pattern, A (WorkBufferA) the smoothed copy that is shown.
#pragma once

#include <cstdint>

struct RainOverLandState {
    uint8_t resetPending = 1;  // 1 at start, one-shot flag
    int32_t intensity = 0;     // 0 at start, at most 250
};
extern RainOverLandState RainOverLand;

// Back to the start values above.
void resetRainOverLand();
