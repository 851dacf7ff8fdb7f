// The greetings over drifting storm clouds with lightning.
#pragma once

#include <cstdint>

struct GreetingsCloudsState {
    int32_t shift1 = 0;      // columns, grows by 3 per step; only the low 8 bits are read
    int32_t shift2 = 0;      // columns, grows by 2 per step
    int32_t shift3 = 0;      // columns, grows by 1 per step
    int32_t base = 128;      // palette index of a cloudless sky: the cloud ramp starts at 128
    int32_t flashShift = 0;  // columns, set at each lightning window
    uint8_t flashOn = 0;     // 1 inside a lightning window
};
extern GreetingsCloudsState GreetingsClouds;

// Back to the start values above.
void resetGreetingsClouds();
