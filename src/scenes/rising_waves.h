#pragma once

#include <cstdint>

struct RisingWavesState {
    int32_t base = 220;  // screen row of the water's mean level; falls by one per update step
};
extern RisingWavesState RisingWaves;

// Back to the start values above.
void resetRisingWaves();
