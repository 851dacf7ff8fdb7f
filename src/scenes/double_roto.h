#pragma once

#include <cstdint>

struct DoubleRotoState {
    int32_t angleA = 0;  // table index of the first view's rotation, follows TickCount
    int32_t angleB = 0;  // the second view's, 3200 steps further round
};
extern DoubleRotoState DoubleRoto;

// Back to the start values above.
void resetDoubleRoto();
