// The sand reveal's state, shared with its tests.
#pragma once

#include <cstdint>

extern uint8_t WhiteBufferA[76800];  // sand level per screen pixel, 255 untouched
extern uint8_t WhiteBufferB[76800];  // smoothing scratch; its border bytes stay 255
extern uint32_t sandSteps;  // update steps taken by the scene
extern int32_t biteCount;   // bites per update step

// The bites of step n: a band of rows r..238 - r (r drawn once per step) and
// columns 3n + 1 .. 3n + 20, biteCount bites each drawing its row, then its
// column from rand().
void biteSandBand(uint32_t n);

// Levels and scratch all 255, once before the music starts.
void buildSandLevels();
