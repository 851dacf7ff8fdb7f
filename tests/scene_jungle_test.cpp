// The jungle pan and zoom: linear addressing of the wide picture, the pan,
// and the accelerating zoom.
#include "assets/assets.h"
#include "scenes/jungle_zoom.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t JunglePixels = JungleWidth * 248;

// A picture whose bytes differ between nearby indices, so a misplaced
// source index shows up as a wrong pixel.
uint8_t patternAt(int32_t i)
{
    return uint8_t((uint32_t(i) * 2654435761u) >> 24);
}

class Jungle : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        picture.assign(JunglePixels + 1, 0);
        junglePicture.pixels = picture.data();
        junglePicture.pixelCount = JunglePixels;
        junglePicture.width = JungleWidth;
        junglePicture.height = 248;
        JungleZoom.ticks = 0;
        JungleZoom.accel = 0;
        JungleZoom.step = 256;
        JungleZoom.panX = -360;
        JungleZoom.panY = 120;
    }
    void fillPattern()
    {
        for (int32_t i = 0; i < JunglePixels; ++i)
            picture[i] = patternAt(i);
    }
    static uint8_t screenAt(int x, int y) { return MainScreen.pixels[y * 320 + x]; }

    std::vector<uint8_t> picture;
};

TEST_F(Jungle, FirstFrameShowsTheRowAndColumnOfThePanAtTheCentreRight)
{
    updateJungle();
    EXPECT_EQ(JungleZoom.panX, -359);
    const int32_t expected = 684 * 120 - 359;
    picture[expected] = 200;
    drawJungle();
    EXPECT_EQ(screenAt(319, 119), 200);
    int shown = 0;
    for (int i = 0; i < ScreenPixels; ++i)
        shown += MainScreen.pixels[i] == 200;
    EXPECT_EQ(shown, 1);
}

TEST_F(Jungle, AtOneToOneTheViewIsAPureTranslationWithNegativeColumnsInThePreviousRow)
{
    fillPattern();
    for (const auto& [panX, panY] : {std::pair{-359, 120}, std::pair{-100, 125}, std::pair{-40, 127}}) {
        JungleZoom.panX = panX;
        JungleZoom.panY = panY;
        drawJungle();
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                ASSERT_EQ(screenAt(x, y), patternAt(684 * (panY - 119 + y) + panX - 319 + x))
                    << "pan " << panX << "," << panY << " pixel " << x << "," << y;
    }
}

TEST_F(Jungle, PansFor280StepsThenSinksAndZoomsFasterUntilTheStepReachesZero)
{
    for (int i = 0; i < 280; ++i)
        updateJungle();
    EXPECT_EQ(JungleZoom.step, 256);
    EXPECT_EQ(JungleZoom.panY, 120);
    EXPECT_EQ(JungleZoom.panX, -80);

    const int32_t expected[] = {256, 255, 254, 252, 250, 247, 244, 240, 236, 231, 226, 220,
                                214, 207, 200, 192, 184, 175, 166, 156, 146, 135, 124, 112,
                                100, 87,  74,  60,  46,  31,  16,  0,   0,   0};
    int step = 281;
    for (int32_t s : expected) {
        updateJungle();
        ASSERT_EQ(JungleZoom.step, s) << "step " << step;
        EXPECT_EQ(JungleZoom.panY, 120 + 2 * (step - 280));
        ++step;
    }
    // A step that overshoots below zero stays there too.
    JungleZoom.step = -3;
    updateJungle();
    EXPECT_EQ(JungleZoom.step, -3);
}

TEST_F(Jungle, ZeroStepShowsOneSourcePixelAndTheIndexIsClampedIntoThePicture)
{
    fillPattern();
    JungleZoom.step = 0;
    JungleZoom.panX = -50;
    JungleZoom.panY = 200;
    drawJungle();
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(MainScreen.pixels[i], patternAt(684 * 200 - 50));

    // Far past the bottom (10 ms steps sink four times as far): the last byte.
    JungleZoom.panY = 900;
    drawJungle();
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(MainScreen.pixels[i], patternAt(JunglePixels - 1));

    // A mirrored view reaching before the first byte reads the first byte there.
    JungleZoom.step = -256;
    JungleZoom.panX = -400;
    JungleZoom.panY = 0;
    drawJungle();
    EXPECT_EQ(screenAt(0, 0), patternAt(684 * 119 - 81));
    EXPECT_EQ(screenAt(319, 239), patternAt(0));
}

}  // namespace
