#pragma once

#include <cstdint>

struct DoubleRotoState {
    int32_t angleA = 0;  // 0..4095, follows TickCount (a turn per 128 steps)
    int32_t angleB = 0;
};
extern DoubleRotoState DoubleRoto;

// Back to the start values above.
void resetDoubleRoto();
