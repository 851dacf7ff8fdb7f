// The sand logo reveal: the bites, the smoothing and the drawing from the
// sand level.
#include "core/random.h"
#include "assets/assets.h"
#include "core/tables.h"
#include "scenes/sand_reveal.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class Sand : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        std::memset(WhiteBufferA, 255, sizeof WhiteBufferA);
        std::memset(WhiteBufferB, 255, sizeof WhiteBufferB);
        heights.assign(ScreenPixels + 1, 0);
        logo.assign(ScreenPixels + 1, 0);
        sand.assign(ScreenPixels + 1, 0);
        for (int i = 0; i < ScreenPixels; ++i) {
            logo[i] = uint8_t(i % 128);
            sand[i] = uint8_t(128 + (i * 37 + i / 320) % 128);
        }
        heightMapPicture.pixels = heights.data();
        sandLogoPicture.pixels = logo.data();
        sandPicture.pixels = sand.data();
        SandReveal.steps = 0;
        SandReveal.biteCount = 250;
    }
    static uint8_t screenAt(int x, int y) { return MainScreen.pixels[y * 320 + x]; }
    uint8_t sandAt(int x, int y) const { return sand[y * 320 + x]; }

    // A seed whose first rand() gives the band radius r.
    static unsigned seedForRadius(int r)
    {
        for (unsigned seed = 1;; ++seed) {
            seedShowRandom(seed);
            if (showRandom() % 60 + 20 == r)
                return seed;
        }
    }

    std::vector<uint8_t> heights, logo, sand;
};

TEST_F(Sand, UntouchedSandShowsTheSandPixelOneRowHigherDarkenedByOne)
{
    std::memset(MainScreen.pixels, 7, ScreenPixels);
    drawSandReveal();
    EXPECT_EQ(screenAt(0, 0), 7);  // offset 0 is never drawn
    for (int x = 1; x < 320; ++x)  // row 0 takes the sand's row 0
        ASSERT_EQ(screenAt(x, 0), std::max(128, sandAt(x, 0) - 1)) << x;
    for (int y = 1; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(screenAt(x, y), std::max(128, sandAt(x, y - 1) - 1)) << x << "," << y;
}

TEST_F(Sand, LowSandShiftsFurtherAndDarkensAndTheLogoShowsWhereTheHeightIsAbove)
{
    WhiteBufferA[100 * 320 + 50] = 0;  // k = 32, -64
    WhiteBufferA[10 * 320 + 60] = 0;   // 32 rows up is above the picture: row 0
    WhiteBufferA[100 * 320 + 70] = 100;  // k = 20, +25 - 64
    WhiteBufferA[100 * 320 + 80] = 100;
    heights[100 * 320 + 80] = 101;
    heights[100 * 320 + 90] = 255;  // equal to the level: sand
    drawSandReveal();
    EXPECT_EQ(screenAt(50, 100), std::max(128, sandAt(50, 68) - 64));
    EXPECT_EQ(screenAt(60, 10), std::max(128, sandAt(60, 0) - 64));
    EXPECT_EQ(screenAt(70, 100), std::max(128, sandAt(70, 80) - 39));
    EXPECT_EQ(screenAt(80, 100), logo[100 * 320 + 80]);
    EXPECT_EQ(screenAt(90, 100), std::max(128, sandAt(90, 99) - 1));
}

TEST_F(Sand, ABiteTestsOnlyItsTopLeftLevelAndWrapsBelowZero)
{
    const auto biteOnce = [](unsigned seed) {
        SandReveal.biteCount = 1;
        seedShowRandom(seed);
        biteSandBand(1);
    };
    // Where the one bite lands: row, then column, after the band radius.
    seedShowRandom(5);
    const int r = showRandom() % 60 + 20;
    const int row = showRandom() % (239 - 2 * r) + r;
    const int column = showRandom() % 20 + 4;
    const int p = row * 320 + column;

    std::memset(WhiteBufferA, 140, sizeof WhiteBufferA);
    biteOnce(5);
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(WhiteBufferA[i], 140) << i;

    std::memset(WhiteBufferA, 5, sizeof WhiteBufferA);
    WhiteBufferA[p] = 141;
    biteOnce(5);
    int bitten = 0;
    for (int i = 0; i < ScreenPixels; ++i)
        if (WhiteBufferA[i] != 5) {
            ++bitten;
            const int dy = i / 320 - row, dx = i % 320 - column;
            ASSERT_TRUE(dy >= 0 && dy < 4 && dx >= 0 && dx < 4) << i;
            ASSERT_EQ(WhiteBufferA[i], i == p ? 131 : 251) << i;
        }
    EXPECT_EQ(bitten, 16);
}

TEST_F(Sand, FirstStepBitesFallInTheBandOfItsRadius)
{
    seedShowRandom(seedForRadius(20));
    biteSandBand(1);
    int minRow = 240, maxRow = -1, minColumn = 320, maxColumn = -1, removed = 0;
    for (int i = 0; i < ScreenPixels; ++i)
        if (WhiteBufferA[i] != 255) {
            minRow = std::min(minRow, i / 320);
            maxRow = std::max(maxRow, i / 320);
            minColumn = std::min(minColumn, i % 320);
            maxColumn = std::max(maxColumn, i % 320);
            removed += 255 - WhiteBufferA[i];
        }
    // Top-left corners in rows 20..218 and columns 4..23, blocks 4 x 4.
    EXPECT_GE(minRow, 20);
    EXPECT_LE(maxRow, 221);
    EXPECT_GE(minColumn, 4);
    EXPECT_LE(maxColumn, 26);
    EXPECT_EQ(removed, 250 * 16 * 10);  // fresh sand: no bite is skipped
}

TEST_F(Sand, BitesTaperAfterStep90)
{
    SandReveal.steps = 89;
    const int32_t expected[] = {250, 200, 150, 100, 50, 0, 0};
    for (int32_t count : expected) {
        updateSandReveal();
        ASSERT_EQ(SandReveal.biteCount, count) << "step " << SandReveal.steps;
    }
}

TEST_F(Sand, SmoothingBelowStep200ResetsTheEdgesTo255)
{
    SandReveal.biteCount = 0;
    std::memset(WhiteBufferA, 0, sizeof WhiteBufferA);
    WhiteBufferA[1000] = 200;
    SandReveal.steps = 198;
    updateSandReveal();
    for (int o = 0; o < ScreenPixels; ++o) {
        const bool edge = o < 321 || o > 76240;
        const bool neighbour = o == 999 || o == 1001 || o == 680 || o == 1320;
        ASSERT_EQ(WhiteBufferA[o], edge ? 255 : neighbour ? 50 : 0) << o;
    }

    std::memset(WhiteBufferA, 0, sizeof WhiteBufferA);
    updateSandReveal();  // step 200: no smoothing
    for (int o = 0; o < ScreenPixels; ++o)
        ASSERT_EQ(WhiteBufferA[o], 0) << o;
}

}  // namespace
