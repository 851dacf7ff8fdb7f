// The portrait with the spinning star: the fast-spin window, the placement
// and the plain copy under a cleared depth buffer.
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/portrait.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Portrait : public testing::Test {
protected:
    void SetUp() override { testScreen(); }
};

TEST_F(Portrait, TheStarSpinsFastOnlyInsideTheInclusiveWindow)
{
    struct Case {
        uint32_t time;
        int32_t spinZ, spinX;
    };
    for (const Case c : {Case{13600, 16, 20}, Case{13601, 48, 100}, Case{13650, 48, 100},
                         Case{13699, 48, 100}, Case{13700, 16, 20}}) {
        DemoTime = c.time;
        const int32_t z = starMesh.angleZ, x = starMesh.angleX;
        updatePortrait();
        EXPECT_EQ(starMesh.angleZ - z, c.spinZ) << c.time;
        EXPECT_EQ(starMesh.angleX - x, c.spinX) << c.time;
    }
    EXPECT_EQ(starMesh.centreX, 230 * 256);
    EXPECT_EQ(starMesh.centreY, 70 * 256);
    EXPECT_EQ(starMesh.cameraDepth, -250 * 256);
}

TEST_F(Portrait, PortraitIsCopiedAsItIsAndTheDepthClearedAfterIt)
{
    std::vector<uint8_t> portrait(ScreenPixels + 1);
    for (int i = 0; i < ScreenPixels; ++i)
        portrait[i] = uint8_t(i * 13 + i / 320);
    const Picture saved = portraitPicture;
    portraitPicture.pixels = portrait.data();
    for (int32_t& depth : MainScreen.depth)
        depth = -5;
    const uint8_t visible = starMesh.visible;
    starMesh.visible = 0;  // the star itself belongs to the rasteriser's tests
    drawPortrait();
    starMesh.visible = visible;
    portraitPicture = saved;
    for (int i = 0; i < ScreenPixels; ++i) {
        ASSERT_EQ(MainScreen.pixels[i], portrait[i]) << i;
        ASSERT_EQ(MainScreen.depth[i], 100 * 256) << i;
    }
}

}  // namespace
