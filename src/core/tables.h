// Tables computed once before the music starts, so that no frame needs
// floating point, a square root or a trigonometric call. The maps and start
// values that a single scene owns are built in that scene's file.
#pragma once

#include "core/screen.h"

#include <cstdint>

// Angle index i stands for -3.141592653589 + 0.001533 i radians; values are
// sin/cos x 256 truncated toward zero (-256..255); entry 4095 is 0.
extern int32_t SineTable[4096];
extern int32_t CosineTable[4096];
extern int32_t SineCopy[4095];        // SineTable[0..4094]
extern int32_t CosineQuarter[4095];   // CosineTable[i] * 64 >> 8, floor(cos / 4)
extern int32_t RowOffsets[1024];      // 320 * i; rows past 239 exist on purpose
extern int32_t TriangleRamp[256];     // 0, 4, .., 508, 512, 508, .., 4
extern int32_t IdentityRamp[256];     // i
extern int32_t FalloffRamp[256];      // 32768 - 128 i

// floor(sqrt(n)), exact for every 32-bit n.
uint32_t isqrt(uint32_t n);
// Calls visit(index, distance) for every screen pixel in memory order, with
// its distance in whole pixels from (centreX, centreY) rounded down (the
// centre within a few thousand pixels of the screen). Walked along each row:
// a pixel's root is within one of its left neighbour's, so a step or two
// from there finds it, where a square root per pixel would cost start-up
// millions of instructions.
template <typename Visit>
void walkPixelDistances(int32_t centreX, int32_t centreY, Visit visit)
{
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const int32_t dy = y - centreY;
        uint32_t d = isqrt(uint32_t(centreX * centreX + dy * dy));
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            const int32_t dx = x - centreX;
            const uint32_t square = uint32_t(dx * dx + dy * dy);
            while ((d + 1) * (d + 1) <= square)
                ++d;
            while (d * d > square)
                --d;
            visit(y * ScreenWidth + x, d);
        }
    }
}

void buildTrigTables();   // before the data files load
void buildPlainTables();  // after the data files: rows, trig copies, ramps
