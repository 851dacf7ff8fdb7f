// The flooding sand logo: the rippling water table and the three colour rules.
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/flooding_logo.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class Flood : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        heights.assign(ScreenPixels + 1, 0);
        logo.assign(ScreenPixels + 1, 0);
        heightMapPicture.pixels = heights.data();
        sandLogoPicture.pixels = logo.data();
    }
    // Sets up pixel i and draws; returns what the screen shows there.
    uint8_t drawPixel(int i, int h, int w, int g)
    {
        heights[i] = uint8_t(h);
        waterTable[i] = w;
        logo[i] = uint8_t(g);
        drawFlood();
        return MainScreen.pixels[i];
    }

    std::vector<uint8_t> heights, logo;
};

TEST_F(Flood, SurfaceIsTheLevelPlusThreeDriftingCosinesCappedAt300)
{
    for (const int32_t ticks : {1, 4000, 7123}) {
        TickCount = ticks;
        FloodingLogo.level = 40;
        updateFlood();
        EXPECT_EQ(FloodingLogo.level, 41);
        const int32_t n = ticks;
        int32_t lowest = 1000, highest = -1000;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const int32_t rx = CosineTable[(16 * n + 5104 - 16 * x) & 4095];
                const int32_t ry1 = CosineTable[(256 * n + 15296 - 64 * y) & 4095];
                const int32_t ry2 = CosineTable[(128 * n + 30592 - 128 * y) & 4095];
                const int32_t ripple = ((rx + ry1 + ry2) * 2560) >> 16;
                ASSERT_EQ(waterTable[y * 320 + x], 41 + 48 + ripple) << x << "," << y;
                lowest = std::min(lowest, ripple);
                highest = std::max(highest, ripple);
            }
        EXPECT_GE(lowest, -30);
        EXPECT_LE(highest, 30);
    }
    FloodingLogo.level = 270;
    updateFlood();
    EXPECT_EQ(*std::max_element(waterTable, waterTable + 76800), 300);
    EXPECT_LT(*std::min_element(waterTable, waterTable + 76800), 300);
}

TEST_F(Flood, SandAboveTheSurfaceShowsTheLogoAndLevelSandIsUnderWater)
{
    EXPECT_EQ(drawPixel(1000, 101, 100, 37), 37);
    // h = w: shallow, 50 + 18 + 50.
    EXPECT_EQ(drawPixel(1000, 100, 100, 37), 128);
    EXPECT_EQ(drawPixel(1000, 200, 200, 100), 250);
}

TEST_F(Flood, SeventyBelowIsStillShallowAndSeventyOneIsDeep)
{
    // w = 200: shallow 100 + 20 + 65 = 185; deep 100 + 128 = 228.
    EXPECT_EQ(drawPixel(2000, 130, 200, 40), 185);
    EXPECT_EQ(drawPixel(2000, 129, 200, 40), 228);
}

TEST_F(Flood, WaterShadesStayIn128To255AndOffsetZeroIsLeft)
{
    EXPECT_EQ(drawPixel(3000, 0, 10, 0), 128);        // shallow 5, raised to 128
    EXPECT_EQ(drawPixel(3000, 255, 300, 127), 255);   // shallow 150 + 63 + 127
    EXPECT_EQ(drawPixel(3000, 0, 300, 127), 255);     // deep 150 + 128
    MainScreen.pixels[0] = 9;
    EXPECT_EQ(drawPixel(0, 0, 300, 0), 9);
}

}  // namespace
