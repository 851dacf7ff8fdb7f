// The spinning leaves: the plain and doubled spin, the once-a-second extra
// turn, and the backdrop and depth buffer each frame starts from.
#include "gfx3d/mesh.h"
#include "assets/assets.h"
#include "scenes/spinning_leaves.h"
#include "core/show_state.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Leaves without geometry at angle 0, leaf i turning 40 + i about x and
// 59 - i about z per step; the loaded leaves come back afterwards.
struct BareLeaves {
    Mesh saved[LeafCount];
    int32_t savedSpinX[LeafCount];
    int32_t savedSpinZ[LeafCount];
    BareLeaves()
    {
        testScreen();
        for (int i = 0; i < LeafCount; ++i) {
            saved[i] = leafMeshes[i];
            savedSpinX[i] = leafSpinX[i];
            savedSpinZ[i] = leafSpinZ[i];
            leafMeshes[i] = Mesh{};
            leafMeshes[i].screen = &MainScreen;
            leafSpinX[i] = 40 + i;
            leafSpinZ[i] = 59 - i;
        }
        SecondChanged = 0;
    }
    ~BareLeaves()
    {
        for (int i = 0; i < LeafCount; ++i) {
            leafMeshes[i] = saved[i];
            leafSpinX[i] = savedSpinX[i];
            leafSpinZ[i] = savedSpinZ[i];
        }
    }
};

// Expects every leaf turned from 0 by `turns` times its own rates.
void expectTurned(int turns, const char* when)
{
    for (int i = 0; i < LeafCount; ++i) {
        ASSERT_EQ(leafMeshes[i].angleX & 4095, (turns * (40 + i)) & 4095) << when << ", leaf " << i;
        ASSERT_EQ(leafMeshes[i].angleZ & 4095, (turns * (59 - i)) & 4095) << when << ", leaf " << i;
    }
}

}  // namespace

TEST(SpinningLeaves, RingsShowTheOuterNinePixelsOfEveryTwenty)
{
    testScreen();
    auto at = [](int x, int y) { return RingBackground[y * 320 + x]; };
    EXPECT_EQ(at(160, 120), 0);
    EXPECT_EQ(at(170, 120), 0);
    EXPECT_EQ(at(171, 120), 11);
    EXPECT_EQ(at(179, 120), 19);
    EXPECT_EQ(at(180, 120), 0);
    EXPECT_EQ(at(0, 0), 0) << "distance 200";
}

TEST(SpinningLeaves, SpinDoublesOnlyAfterShowTime23000)
{
    {
        BareLeaves leaves;
        DemoTime = 23000;
        updateLeaves();
        expectTurned(1, "at 23000");
    }
    BareLeaves leaves;
    DemoTime = 23001;
    updateLeaves();
    expectTurned(2, "at 23001");
    updateLeaves();
    updateLeaves();
    expectTurned(6, "three steps at 23001");
}

TEST(SpinningLeaves, ChangedSecondAddsSixteenTurnsOfTheRateOnceAndIsLowered)
{
    {
        BareLeaves leaves;
        DemoTime = 9000;
        SecondChanged = 1;
        updateLeaves();
        EXPECT_EQ(SecondChanged, 0);
        expectTurned(17, "plain rate with the extra turn");
        updateLeaves();
        expectTurned(18, "the extra turn comes once");
    }
    BareLeaves leaves;
    DemoTime = 24500;
    SecondChanged = 1;
    updateLeaves();
    expectTurned(18, "doubled rate with the extra turn");
}

TEST(SpinningLeaves, FrameStartsFromTheRingsAndAFarDepthBuffer)
{
    BareLeaves leaves;
    std::memset(MainScreen.pixels, 77, 76800);
    for (int32_t& d : MainScreen.depth)
        d = 5;
    drawLeaves();
    EXPECT_EQ(std::memcmp(MainScreen.pixels, RingBackground, 76800), 0);
    for (int p = 0; p < 76800; ++p)
        ASSERT_EQ(MainScreen.depth[p], 200 * 256) << p;
}
