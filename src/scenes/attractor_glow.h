// The attractor scene's state and fixed-point helpers, shared with its tests.
#pragma once

#include <cstdint>

// A listed coefficient (|value| < 2048) with 20 fraction bits, truncated
// toward zero.
constexpr int64_t fixed20(double value)
{
    return int64_t(int32_t(value * 1048576.0));
}

// The map's twelve coefficients start nudged by -30000 (about -0.029), so the
// drift begins just off the listed values.
constexpr int64_t drifting(double value)
{
    return fixed20(value) - 30000;
}

struct AttractorGlowState {
    // The map's coefficients c0..c11, 20 fraction bits, drifting with the
    // steps; entries 12..15 are carried along unused.
    int64_t waveParams[16] = {
        drifting(-0.7), drifting(-0.4), drifting(0.5),  drifting(-1.0),
        drifting(-0.9), drifting(-0.8), drifting(0.5),  drifting(0.5),
        drifting(0.3),  drifting(0.9),  drifting(-0.1), drifting(-0.9),
        fixed20(180.0), fixed20(180.0), fixed20(220.0), fixed20(120.0),
    };
    int64_t u = 0;       // the map's point, 20 fraction bits; 0 at start
    int64_t v = 0;
    uint32_t steps = 0;  // update steps taken by the scene
};
extern AttractorGlowState AttractorGlow;

// Back to the start values above.
void resetAttractorGlow();

// (a * b) >> 20 on the low 64 bits of the product: a product of two numbers
// with 20 fraction bits, rounded toward minus infinity; wraps when the
// product exceeds 64 bits.
int64_t mulFixed20(int64_t a, int64_t b);

// Adds one attractor point to the glow buffer (WorkBufferB), spread over the
// pixel at (row, column) and its right, lower and lower-right neighbours by
// the sub-pixel weights a (across) and b (down), 0..127 each.
void splatGlow(int32_t row, int32_t column, int32_t a, int32_t b);

// Runs the map `count` times from AttractorGlow's point, splatting each point.
void iterateAttractor(int32_t count);
