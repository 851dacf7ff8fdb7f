// The sand reveal's state, shared with its tests.
#pragma once

#include <cstdint>

extern uint8_t WhiteBufferA[76800];  // sand level per screen pixel, 255 untouched
extern uint8_t WhiteBufferB[76800];  // smoothing scratch; its border bytes stay 255
struct SandRevealState {
    uint32_t steps = 0;       // update steps taken by the scene
    int32_t biteCount = 250;  // bites per update step; 0 from step 95 on
};
extern SandRevealState SandReveal;

// Back to the start values above, the levels all 255 again.
void resetSandReveal();

// The bites of step n: a band of rows r..238 - r (r drawn once per step) and
// columns 3n + 1 .. 3n + 20, biteCount bites each drawing its row, then its
// column from the show's random generator.
void biteSandBand(uint32_t n);

// Levels and scratch all 255, once before the music starts.
void buildSandLevels();
