#include "core/show_state.h"
#include "scenes/rising_waves.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

uint8_t pixel(int x, int y)
{
    return MainScreen.pixels[y * 320 + x];
}

// TickCount 32 makes the swell 0 (SineTable[4096 & 4095] = 0): flat surfaces.
constexpr int32_t FlatFrame = 32;

TEST(RisingWaves, FirstStepShowsOnlyTheBackLayerNearTheBottom)
{
    testScreen();
    RisingWaves.base = 220;
    TickCount = 1;
    updateWaves();
    EXPECT_EQ(RisingWaves.base, 219);
    drawWaves();
    for (int x = 0; x < 320; x += 7) {
        int surface = 0;
        while (surface < 240 && pixel(x, surface) == 0)
            ++surface;
        ASSERT_GE(surface, 211) << "surface within 8 rows of 219, column " << x;
        ASSERT_LE(surface, 227) << x;
        EXPECT_EQ(pixel(x, surface), 64);
        for (int y = surface; y < 240; ++y)
            ASSERT_EQ(pixel(x, y), 64 - ((y - surface) >> 2)) << "no front layer yet: " << x;
    }
}

TEST(RisingWaves, SurfaceOnTheLastRowIsOnePixel)
{
    testScreen();
    RisingWaves.base = 239;
    TickCount = FlatFrame;
    drawWaves();
    for (int x = 0; x < 320; ++x) {
        ASSERT_EQ(pixel(x, 238), 0);
        ASSERT_EQ(pixel(x, 239), 64);
    }
}

TEST(RisingWaves, FrontLayerCoversTheBackThirtyRowsLower)
{
    testScreen();
    RisingWaves.base = 100;
    TickCount = FlatFrame;
    drawWaves();
    EXPECT_EQ(pixel(5, 99), 0);
    EXPECT_EQ(pixel(5, 100), 64);
    EXPECT_EQ(pixel(5, 104), 63);
    EXPECT_EQ(pixel(5, 129), 64 - (29 >> 2));
    EXPECT_EQ(pixel(5, 130), 80);
    EXPECT_EQ(pixel(5, 134), 79);
    EXPECT_EQ(pixel(5, 239), 80 - (109 >> 2));
}

TEST(RisingWaves, WaterAboveTheScreenIsCutAndNeverWraps)
{
    testScreen();
    TickCount = FlatFrame;
    RisingWaves.base = -50;  // only reachable with 10 ms steps
    drawWaves();
    EXPECT_EQ(pixel(0, 0), 80 - (20 >> 2)) << "front surface 20 rows above the screen";
    RisingWaves.base = -400;
    drawWaves();
    for (int i = 0; i < 76800; ++i)
        ASSERT_EQ(MainScreen.pixels[i], 0) << "the ramp stops at colour 0, " << i;
}

}  // namespace
