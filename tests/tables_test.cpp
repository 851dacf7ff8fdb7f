// The start-up tables: values the scenes' pictures depend on.
#include "core/tables.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>

namespace {

class Tables : public testing::Test {
protected:
    void SetUp() override { testScreen(); }
};

TEST_F(Tables, SineAndCosineFollowTheAccumulatedAngleAndTruncate)
{
    EXPECT_EQ(SineTable[0], 0);
    EXPECT_EQ(CosineTable[0], -256);
    EXPECT_EQ(SineTable[1024], -255);
    EXPECT_EQ(CosineTable[2048], 255);
    EXPECT_EQ(SineTable[4094], 1);
    EXPECT_EQ(SineTable[4095], 0);
    EXPECT_EQ(CosineTable[4095], 0);
    int64_t sineSum = 0, cosineSum = 0;
    for (int i = 0; i < 4096; ++i) {
        ASSERT_GE(SineTable[i], -256);
        ASSERT_LE(SineTable[i], 255);
        sineSum += int64_t(SineTable[i]) * (i + 1);
        cosineSum += int64_t(CosineTable[i]) * (i + 1);
    }
    // Weighted sums pin every entry: a different step, start or rounding moves them.
    EXPECT_EQ(sineSum, 682295910);
    EXPECT_EQ(cosineSum, 4293815);
}

// The tables are built without the maths library so that every machine gets
// the same entries; they must still be what the library gives, and every
// value must lie far enough from a truncation boundary that the last bit of
// any sine cannot move it.
TEST_F(Tables, TrigTablesAgreeWithTheMathsLibraryFarFromEveryBoundary)
{
    double angle = -3.141592653589;
    for (int i = 0; i < 4095; ++i) {
        for (const auto& [table, value] : {std::pair{SineTable, std::sin(angle) * 256.0},
                                          std::pair{CosineTable, std::cos(angle) * 256.0}}) {
            ASSERT_EQ(table[i], int32_t(value)) << i;
            const double whole = std::round(value);
            if (whole != 0.0 && !(i == 0 && table == CosineTable)) {
                ASSERT_GT(std::fabs(value - whole), 1e-7) << i;
            }
        }
        angle += 0.001533;
    }
}

TEST_F(Tables, DerivedTrigTablesAndRamps)
{
    for (int i = 0; i < 4095; ++i) {
        ASSERT_EQ(SineCopy[i], SineTable[i]);
        ASSERT_EQ(CosineQuarter[i], int32_t(std::floor(CosineTable[i] / 4.0))) << i;
    }
    EXPECT_EQ(RowOffsets[239], 76480);
    EXPECT_EQ(RowOffsets[1023], 327360);
    EXPECT_EQ(TriangleRamp[0], 0);
    EXPECT_EQ(TriangleRamp[127], 508);
    EXPECT_EQ(TriangleRamp[128], 512);
    EXPECT_EQ(TriangleRamp[255], 4);
    EXPECT_EQ(IdentityRamp[200], 200);
    EXPECT_EQ(FalloffRamp[0], 32768);
    EXPECT_EQ(FalloffRamp[255], 128);
}

TEST(Isqrt, ExactAtTheEdgesAndOverASweep)
{
    EXPECT_EQ(isqrt(0), 0u);
    EXPECT_EQ(isqrt(15), 3u);
    EXPECT_EQ(isqrt(16), 4u);
    EXPECT_EQ(isqrt(0x3FFFFFFFu), 32767u);
    EXPECT_EQ(isqrt(0x40000000u), 32768u);
    EXPECT_EQ(isqrt(4294967295u), 65535u);
    for (uint64_t root = 0; root <= 65535; root += 7) {
        const uint64_t square = root * root;
        ASSERT_EQ(isqrt(uint32_t(square)), root);
        if (square > 0) {
            ASSERT_EQ(isqrt(uint32_t(square - 1)), root - 1);
        }
        if (square + 2 * root <= 0xFFFFFFFFu) {
            ASSERT_EQ(isqrt(uint32_t(square + 2 * root)), root) << "largest n with this root";
        }
    }
}

// The walk along rows against each pixel's own square root, for the
// centres the scenes use and one far off the screen.
TEST(PixelDistances, WalkedAlongRowsMatchEachPixelsOwnRoot)
{
    for (const auto& [cx, cy] : {std::pair{160, 120}, std::pair{220, 80}, std::pair{-900, 1500},
                                    std::pair{2500, -700}}) {
        int visited = 0;
        walkPixelDistances(cx, cy, [&](int32_t p, uint32_t d) {
            const int32_t dx = p % ScreenWidth - cx, dy = p / ScreenWidth - cy;
            ASSERT_EQ(p, visited++);
            ASSERT_EQ(d, isqrt(uint32_t(dx * dx + dy * dy))) << p << " from " << cx << ", " << cy;
        });
        EXPECT_EQ(visited, ScreenPixels);
    }
}

}  // namespace
