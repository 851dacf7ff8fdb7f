// Tables computed once before the music starts, so that no frame needs
// floating point, a square root or a trigonometric call. The maps and start
// values that a single scene owns are built in that scene's file.
#pragma once

#include "core/screen.h"

#include <algorithm>
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
// centre within a few thousand pixels of the screen). A row's distances
// depend on |dx| alone, so each row first walks its roots for |dx| from its
// least to its greatest (at most 320 of them, each within one of the one
// before, the squares kept up by adding odd numbers) and its pixels then
// read them: a square root per pixel would cost start-up millions of
// instructions, and a walk along the row twice the steps where the centre
// lies inside it.
template <typename Visit>
void walkPixelDistances(int32_t centreX, int32_t centreY, Visit visit)
{
    const int32_t left = -centreX, right = ScreenWidth - 1 - centreX;  // the row's dx at its ends
    const int32_t least = left > 0 ? left : right < 0 ? -right : 0;
    const int32_t most = std::max(left < 0 ? -left : left, right < 0 ? -right : right);
    uint32_t roots[ScreenWidth];  // by |dx| - least; most - least < ScreenWidth
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const int32_t dy = y - centreY;
        uint32_t square = uint32_t(least * least + dy * dy);
        uint32_t d = isqrt(square), above = (d + 1) * (d + 1);  // d^2 <= square < above
        for (int32_t a = least; a <= most; ++a) {
            while (square >= above) {
                ++d;
                above += 2 * d + 1;
            }
            roots[a - least] = d;
            square += uint32_t(2 * a + 1);
        }
        // Left of the centre |dx| falls towards it, from it on |dx| rises.
        int32_t x = 0;
        for (; x < std::min(centreX, ScreenWidth); ++x)
            visit(y * ScreenWidth + x, roots[centreX - x - least]);
        for (; x < ScreenWidth; ++x)
            visit(y * ScreenWidth + x, roots[x - centreX - least]);
    }
}

void buildTrigTables();   // before the data files load
void buildPlainTables();  // after the data files: rows, trig copies, ramps
