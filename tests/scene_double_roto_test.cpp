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
        ASSERT_EQ((DoubleRoto.angleB - DoubleRoto.angleA) & 4095, 3200) << TickCount;
        ASSERT_EQ(DoubleRoto.angleA, (TickCount * 32) & 4095);
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

// The texel a view shows for an offset (across, up) from its pivot, in whole
// pixels: the offset turned by the angle, with the cosine taken at a quarter,
// lands on picture row 130 + turned across and column -(160 + turned up),
// both wrapping. View A's pivot is column 319 and view B's column -1, both on
// row 119 of a row pair; view B takes its offsets the other way round.
int rotoTexel(int across, int up, int angle)
{
    const int c = CosineTable[angle] >> 2, s = SineTable[angle];
    const int row = ((across * c - up * s) >> 8) + 130;
    const int column = ((up * c + across * s) >> 8) + 160;
    return ((row & 255) * 256 - (column & 255)) & 0xFFFF;
}

TEST(DoubleRoto, PixelsAverageTheTwoViewsRoundingDown)
{
    testScreen();
    std::vector<uint8_t> roto;
    makeTestPicture(rotoPicture, roto, 256, 256, 0);
    for (uint32_t i = 0; i < 65536; ++i)
        roto[i] = uint8_t((i * 2654435761u) >> 24);
    for (TickCount = 10; TickCount < 12; ++TickCount) {
        updateRoto();
        drawRoto();
        const int angleA = (32 * TickCount) & 4095, angleB = (angleA + 3200) & 4095;
        for (int y = TickCount & 1; y < 240; y += 2) {
            const int up = 119 - (y & ~1);
            for (int x = 0; x < 320; ++x) {
                const int a = roto[rotoTexel(319 - x, up, angleA)];
                const int b = roto[rotoTexel(-(x + 1), -up, angleB)];
                ASSERT_EQ(MainScreen.pixels[y * 320 + x], (a + b) >> 1) << x << "," << y;
            }
        }
    }
}

}  // namespace
