// The attractor scene's state and fixed-point helpers, shared with its tests.
#pragma once

#include <cstdint>

// The map's coefficients c0..c11, 20 fraction bits, drifting with the steps;
// entries 12..15 are carried along unused.
extern int64_t WaveParams[16];
extern int64_t attractorU;        // point, 20 fraction bits
extern int64_t attractorV;
extern uint32_t attractorSteps;   // update steps taken by the scene

// (a * b) >> 20 on the low 64 bits of the product: a product of two numbers
// with 20 fraction bits, rounded toward minus infinity; wraps when the
// product exceeds 64 bits.
int64_t mulFixed20(int64_t a, int64_t b);

// Adds one attractor point to the glow buffer (WorkBufferB), spread over the
// pixel at (row, column) and its right, lower and lower-right neighbours by
// the sub-pixel weights a (across) and b (down), 0..127 each.
void splatGlow(int32_t row, int32_t column, int32_t a, int32_t b);

// Runs the map `count` times from (attractorU, attractorV), splatting each point.
void iterateAttractor(int32_t count);
