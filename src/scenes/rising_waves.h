#pragma once

#include <cstdint>

struct RisingWavesState {
    int32_t base = 220;  // rows; falls by one per update step, never reset
};
extern RisingWavesState RisingWaves;

// Back to the start values above.
void resetRisingWaves();
