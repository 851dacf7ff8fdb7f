// The attractor glow: 64-bit fixed point, the splat, the glow pass and the
// drifting coefficients.
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/attractor_glow.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int64_t One = int64_t(1) << 20;

TEST(AttractorStart, CoefficientsStartJustOffTheListedValues)
{
    const int64_t start[16] = {-764003,   -449430,   494288,    -1078576, -973718, -868860,
                               494288,    494288,    284572,    913718,   -134857, -973718,
                               188743680, 188743680, 230686720, 125829120};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(AttractorGlow.waveParams[i], start[i]) << i;
}

class Attractor : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        resetAttractorGlow();
        background.assign(ScreenPixels + 1, 0);
        for (int i = 0; i < ScreenPixels; ++i)
            background[i] = uint8_t(i * 7 + i / 320);
        backgroundPicture.pixels = background.data();
        backgroundPicture.pixelCount = ScreenPixels;
    }
    void TearDown() override { resetAttractorGlow(); }

    static uint8_t glowAt(int x, int y) { return WorkBufferB[y * 320 + x]; }

    // Coefficients for which one iteration from (0, 0) lands at u = c6, v = c0.
    static void constantMap(int64_t c0, int64_t c6)
    {
        std::fill(AttractorGlow.waveParams, AttractorGlow.waveParams + 12, 0);
        AttractorGlow.waveParams[0] = c0;
        AttractorGlow.waveParams[6] = c6;
    }

    std::vector<uint8_t> background;
};

TEST(AttractorFixedPoint, ProductsKeepAll64BitsAndShiftArithmetically)
{
    EXPECT_EQ(mulFixed20(3 * One, -5 * One / 2), -15 * One / 2);
    // Rounds toward minus infinity, not toward zero.
    EXPECT_EQ(mulFixed20(-1, 1), -1);
    EXPECT_EQ(mulFixed20(One / 2, 1), 0);
    // Needs more than 32 bits of product.
    EXPECT_EQ(mulFixed20(int64_t(3) << 30, 5 * One), int64_t(15) << 30);
    // Only the low 64 bits of the product count: 3 * 2^62 wraps to -2^62.
    EXPECT_EQ(mulFixed20(int64_t(1) << 62, 3), -(int64_t(1) << 42));
    EXPECT_EQ(mulFixed20(int64_t(1) << 40, int64_t(1) << 40), 0);
}

TEST_F(Attractor, FirstFrameFadesTheFullGlowOverTheBackground)
{
    std::memset(WorkBufferB, 3, sizeof WorkBufferB);
    std::memset(MainScreen.pixels, 77, ScreenPixels);
    updateAttractor();
    EXPECT_EQ(AttractorGlow.steps, 1u);
    drawAttractor();
    const auto shown = [&](int o, int glow) { return std::min(255, glow + background[o]); };
    // The first offset visited sees four 255s; later ones average two
    // neighbours already faded in this pass, so the glow settles at 245.
    EXPECT_EQ(MainScreen.pixels[76479], shown(76479, 250));
    EXPECT_EQ(MainScreen.pixels[120 * 320 + 160], shown(120 * 320 + 160, 245));
    for (int o = 322; o <= 76479; ++o) {
        ASSERT_GE(MainScreen.pixels[o], shown(o, 245)) << o;
        ASSERT_LE(MainScreen.pixels[o], shown(o, 250)) << o;
    }
    for (int o : {0, 321, 76480, 76799})
        EXPECT_EQ(MainScreen.pixels[o], 77) << o;
}

TEST_F(Attractor, CoefficientsDriftByTheScaledCosineOfTheStep)
{
    AttractorGlow.steps = 5;
    const int64_t before = AttractorGlow.waveParams[11];
    const int64_t untouched = AttractorGlow.waveParams[12];
    updateAttractor();
    // k = 6: cosine entry 96 (-253) x 1200 >> 8, floored.
    EXPECT_EQ(CosineTable[96], -253);
    EXPECT_EQ(AttractorGlow.waveParams[11] - before, -1186);
    EXPECT_EQ(AttractorGlow.waveParams[12], untouched);
}

TEST_F(Attractor, GlowBlursInPlaceDescendingAndKeepsSmallValues)
{
    std::memset(WorkBufferB, 0, sizeof WorkBufferB);
    constantMap(100 * One, 100 * One);  // every point lands off the screen
    // A lone 200 at (100, 100): the walk down reaches its right and lower
    // neighbours first, and it then averages their new values.
    WorkBufferB[100 * 320 + 100] = 200;
    WorkBufferB[50 * 320 + 50] = 20;
    drawAttractor();
    EXPECT_EQ(glowAt(101, 100), 45);  // 200 / 4 - 5
    EXPECT_EQ(glowAt(100, 101), 45);
    EXPECT_EQ(glowAt(100, 100), 17);  // (45 + 45) / 4 - 5; a separate pass would give 0
    EXPECT_EQ(glowAt(99, 100), 5);    // (17 + 6) / 4 = 5, kept: only values above 5 fade
    EXPECT_EQ(glowAt(51, 50), 5);     // 20 / 4 = 5 stays 5
    EXPECT_EQ(glowAt(50, 51), 5);
}

TEST_F(Attractor, SplatSpreadsOverFourPixelsWithSaturation)
{
    std::memset(WorkBufferB, 0, sizeof WorkBufferB);
    splatGlow(10, 20, 0, 0);
    EXPECT_EQ(glowAt(20, 10), 126);
    EXPECT_EQ(glowAt(21, 10), 0);
    EXPECT_EQ(glowAt(20, 11), 0);
    EXPECT_EQ(glowAt(21, 11), 0);

    WorkBufferB[10 * 320 + 20] = 200;
    splatGlow(10, 20, 127, 127);
    EXPECT_EQ(glowAt(20, 10), 210);
    EXPECT_EQ(glowAt(21, 10), 26);
    EXPECT_EQ(glowAt(20, 11), 26);
    EXPECT_EQ(glowAt(21, 11), 63);
    splatGlow(10, 20, 0, 0);
    EXPECT_EQ(glowAt(20, 10), 255);
}

TEST_F(Attractor, PointOffsetsWrapAt12BitsAndGiveTheSubPixelWeights)
{
    // v = -0.5 gives column offset -100 (column 180, a = 156 >> 1 = 78);
    // u = 0.25 gives row offset 50 (row 150, b = 25).
    for (const int64_t c0 : {-One / 2, int64_t(20950549)}) {  // the second: offset 3996 = -100
        std::memset(WorkBufferB, 0, sizeof WorkBufferB);
        constantMap(c0, One / 4);
        AttractorGlow.u = AttractorGlow.v = 0;
        iterateAttractor(1);
        EXPECT_EQ(AttractorGlow.u, One / 4);
        EXPECT_EQ(AttractorGlow.v, c0);
        EXPECT_EQ(glowAt(180, 150), 61) << c0;  // (102 * 155) >> 8
        EXPECT_EQ(glowAt(181, 150), 47);        // (78 * 155) >> 8
        EXPECT_EQ(glowAt(180, 151), 9);         // (25 * 102) >> 8
        EXPECT_EQ(glowAt(181, 151), 7);         // (78 * 25) >> 8
    }
}

TEST_F(Attractor, SplatsOnlyInsideTheWindowWhoseEdgesItMayOverreachByOne)
{
    // Column 311 (offset 31 = v of 31 / 200) is drawn and spills into 312;
    // column 312 is not drawn at all.
    const auto columnOffset = [](int64_t offset) { return (offset * One + 199) / 200; };
    std::memset(WorkBufferB, 0, sizeof WorkBufferB);
    constantMap(columnOffset(31), 0);
    iterateAttractor(1);
    EXPECT_GT(glowAt(311, 100), 0);
    EXPECT_GT(glowAt(312, 100), 0);

    std::memset(WorkBufferB, 0, sizeof WorkBufferB);
    constantMap(columnOffset(32), 0);
    iterateAttractor(1);
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(WorkBufferB[i], 0) << i;
}

}  // namespace
