// The rain scene's state, shared with its tests. B (WorkBufferB) holds the
// raw rain pattern, A (WorkBufferA) the smoothed copy that is shown.
#pragma once

#include <cstdint>

extern uint8_t rainResetPending;  // 1 until the first update step fills B with 90
extern int32_t rainIntensity;     // 0..250; rainIntensity >> 4 drops fall per frame
