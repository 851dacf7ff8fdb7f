#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/double_roto.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(DoubleRoto, TheTwoViewsStayAFixedAngleApart)
{
    for (TickCount = 0; TickCount < 300; ++TickCount) {
        updateRoto();
        ASSERT_EQ((rotoAngleB - rotoAngleA) & 4095, 3200) << TickCount;
        ASSERT_EQ(rotoAngleA, (TickCount * 32) & 4095);
    }
}

TEST(DoubleRoto, EachFrameRedrawsTheRowsOfItsParity)
{
    testScreen();
    std::vector<uint8_t> roto;
    makeTestPicture(rotoPicture, roto, 256, 256, 200);
    for (int parity = 0; parity < 2; ++parity) {
        std::memset(MainScreen.pixels, 7, 76800);
        TickCount = 40 + parity;
        updateRoto();
        drawRoto();
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; x += 31)
                ASSERT_EQ(MainScreen.pixels[y * 320 + x], (y & 1) == parity ? 200 : 7) << y;
    }
}

TEST(DoubleRoto, PixelsAverageTheTwoViewsRoundingDown)
{
    testScreen();
    std::vector<uint8_t> roto;
    makeTestPicture(rotoPicture, roto, 256, 256, 0);
    // A scattered black and white pattern: the views agree in some places only.
    for (uint32_t i = 0; i < 65536; ++i)
        roto[i] = ((i * 2654435761u) >> 31) ? 255 : 0;
    TickCount = 10;
    updateRoto();
    drawRoto();
    bool sawAverage = false;
    for (int y = 0; y < 240; y += 2)
        for (int x = 0; x < 320; ++x) {
            const uint8_t v = MainScreen.pixels[y * 320 + x];
            ASSERT_TRUE(v == 0 || v == 127 || v == 255) << x << "," << y;
            sawAverage = sawAverage || v == 127;
        }
    EXPECT_TRUE(sawAverage);
}

}  // namespace
