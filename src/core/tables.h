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
// centre within a few thousand pixels of the screen, so every square below
// stays far within 32 bits). Walked along each row with the squares kept up
// to date by adding odd numbers: (n + 1)^2 = n^2 + 2 n + 1 for the pixel's
// squared distance and for the squares of the root and the root plus one
// that bracket it. A pixel's root is within one of its left neighbour's, so
// a step or two of the bracket finds it, without a multiply or a square root
// per pixel (an ARM9 spent over 20 instructions a pixel on them).
template <typename Visit>
void walkPixelDistances(int32_t centreX, int32_t centreY, Visit visit)
{
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const int32_t dy = y - centreY;
        uint32_t square = uint32_t(centreX * centreX + dy * dy);  // at x = 0
        uint32_t step = uint32_t(-2 * centreX + 1);               // 2 dx + 1: to the next column
        uint32_t d = isqrt(square);
        uint32_t below = d * d, above = (d + 1) * (d + 1);        // below <= square < above
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            while (square >= above) {
                ++d;
                below = above;
                above += 2 * d + 1;
            }
            while (square < below) {
                --d;
                above = below;
                below -= 2 * d + 1;
            }
            visit(y * ScreenWidth + x, d);
            square += step;
            step += 2;
        }
    }
}

void buildTrigTables();   // before the data files load
void buildPlainTables();  // after the data files: rows, trig copies, ramps
