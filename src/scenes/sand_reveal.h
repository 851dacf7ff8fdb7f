// The sand reveal's state, shared with its tests. The sand level lives in
// WhiteBufferA and the smoothing scratch in WhiteBufferB (core/tables.h).
#pragma once

#include <cstdint>

extern uint32_t sandSteps;  // update steps taken by the scene
extern int32_t biteCount;   // bites per update step

// The bites of step n: a band of rows r..238 - r (r drawn once per step) and
// columns 3n + 1 .. 3n + 20, biteCount bites each drawing its row, then its
// column from rand().
void biteSandBand(uint32_t n);
