// Sand logo reveal: a band of random bites sweeps the sand from left to
// right; wherever the eroded sand level drops below the height map the logo
// shows through, elsewhere the sand is drawn shifted up and brightened by its
// level.
#include "scenes/sand_reveal.h"
#include "core/random.h"

#include "assets/assets.h"
#include "core/screen.h"
#include "core/tables.h"
#include "gfx2d/feedback.h"
#include "scenes/scenes.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

uint8_t WhiteBufferA[76800];  // 255 from start-up, sand level 0..255 per screen pixel
uint8_t WhiteBufferB[76800];  // 255 from start-up, levels
SandRevealState SandReveal;

void resetSandReveal()
{
    SandReveal = {};
    buildSandLevels();
}

constexpr uint32_t FullBiteSteps = 90;    // steps with 250 bites before they taper
constexpr uint32_t SmoothingSteps = 200;  // the levels are smoothed in steps below this
constexpr int32_t BiteDepth = 10;         // taken off each byte of a bite
constexpr uint8_t SoftSand = 140;         // a bite whose corner is this low or lower is skipped

void buildSandLevels()
{
    std::memset(WhiteBufferA, 255, sizeof WhiteBufferA);
    std::memset(WhiteBufferB, 255, sizeof WhiteBufferB);
}

// Takes BiteDepth off the 4 x 4 block of levels whose top-left byte is p,
// if that byte is still above SoftSand. The bytes wrap below zero.
static void bite(int32_t p)
{
    if (WhiteBufferA[p] <= SoftSand)
        return;
    for (int32_t j = 0; j < 4; ++j)
        for (int32_t i = 0; i < 4; ++i)
            WhiteBufferA[p + RowOffsets[j] + i] -= BiteDepth;
}

void biteSandBand(uint32_t n)
{
    const int32_t r = showRandom() % 60 + 20;
    for (int32_t i = 0; i < SandReveal.biteCount; ++i) {
        const int32_t row = showRandom() % (239 - 2 * r) + r;
        const int32_t column = showRandom() % 20 + 3 * int32_t(n) + 1;
        bite(RowOffsets[row] + column);
    }
}

// Every level from offset 321 to 76240 becomes the truncated average of its
// four old neighbours; the scratch bytes outside that range are never written
// and stay 255, so the copy back resets the first 321 and the last 559 levels
// to 255. Offsets run on across row ends (column 0 neighbours column 319 of
// the row above), and the truncation lets a dent creep outwards by about a
// pixel a step, so the sand sinks a little ahead of the band as well.
static void smoothLevels()
{
    averageNeighbours(WhiteBufferB, WhiteBufferA, 321, 76240);
    std::memcpy(WhiteBufferA, WhiteBufferB, sizeof WhiteBufferA);
}

void updateSandReveal()
{
    const uint32_t n = ++SandReveal.steps;
    if (n > FullBiteSteps && SandReveal.biteCount > 0)
        SandReveal.biteCount -= 50;
    biteSandBand(n);
    if (n < SmoothingSteps)
        smoothLevels();
}

// For each sand level w (0..255): how far up the sand picture is read,
// 320 * (32 - w / 8) bytes (1 row for untouched sand, 32 for the deepest),
// and the brightening w / 4 - 64 added to the sand index.
struct SandShading {
    int32_t shift[256];
    int32_t light[256];
};

static constexpr SandShading makeSandShading()
{
    SandShading shading{};
    for (int32_t w = 0; w < 256; ++w) {
        shading.shift[w] = ScreenWidth * (32 - (w >> 3));
        shading.light[w] = (w >> 2) - 64;
    }
    return shading;
}

static constexpr SandShading Shading = makeSandShading();

void drawSandReveal()
{
    // Where the height map rises above the sand level w the logo shows;
    // elsewhere the sand pixel Shading.shift[w] bytes higher, brightened by
    // Shading.light[w] and kept in the sand shades 128..255. Pixels that would
    // fetch sand from above the picture take its row 0. Offset 0 is left as it is.
    // The shift is at most 32 rows, so only the top 32 rows can reach above
    // the picture; the rows below skip the test. Two pixels a step halve the
    // loop's counting.
    const uint8_t* heights = heightMapPicture.pixels;
    const uint8_t* logo = sandLogoPicture.pixels;
    const uint8_t* sand = sandPicture.pixels;
    const auto drawRows = [&](int32_t firstRow, int32_t endRow, auto nearTop) {
        for (int32_t y = firstRow; y < endRow; ++y) {
            const int32_t rowStart = RowOffsets[y];
            uint8_t* dst = MainScreen.pixels + rowStart;
            const auto pixel = [&](int32_t x) {
                const int32_t o = rowStart + x;
                const int32_t w = WhiteBufferA[o];
                if (heights[o] > w) {
                    dst[x] = logo[o];
                    return;
                }
                const int32_t above = o - Shading.shift[w];
                const int32_t s = sand[!nearTop || above >= 0 ? above : x];
                dst[x] = uint8_t(std::max(128, s + Shading.light[w]));
            };
            int32_t x = y == 0 ? 1 : 0;
            if ((ScreenWidth - x) & 1)
                pixel(x++);
            for (; x < ScreenWidth; x += 2) {
                pixel(x);
                pixel(x + 1);
            }
        }
    };
    constexpr int32_t RowsNearTop = 32;
    drawRows(0, RowsNearTop, std::true_type());
    drawRows(RowsNearTop, ScreenHeight, std::false_type());
}
