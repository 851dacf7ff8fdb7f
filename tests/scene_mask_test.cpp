// The flashing mask zoom: the first-step clear, the zoom, the flash windows
// and the sampled source window.
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/mask_flash.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class MaskFlash : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        mask.assign(ScreenPixels + 1, 0);
        for (int i = 0; i < ScreenPixels; ++i)
            mask[i] = uint8_t(1 + (i * 11 + i / 320) % 250);  // never 0
        maskPicture.pixels = mask.data();
        DemoTime = 16550;
    }
    static uint8_t screenAt(int x, int y) { return MainScreen.pixels[y * 320 + x]; }
    uint8_t maskAt(int x, int y) const { return mask[y * 320 + x]; }

    std::vector<uint8_t> mask;
};

TEST_F(MaskFlash, FlashWindowsAreInclusive)
{
    ::MaskFlash.zoom = 500;
    struct Case {
        uint32_t time;
        int32_t visible;
    };
    for (const Case c : {Case{16600, 0}, Case{16601, 1}, Case{16619, 1}, Case{16620, 0},
                         Case{16630, 0}, Case{16631, 1}, Case{16639, 1}, Case{16640, 0},
                         Case{16800, 0}, Case{16801, 1}, Case{16809, 1}, Case{16810, 0},
                         Case{17000, 0}, Case{17001, 1}, Case{17019, 1}, Case{17020, 0},
                         Case{17200, 0}, Case{17201, 1}, Case{17219, 1}, Case{17220, 0}}) {
        DemoTime = c.time;
        updateMaskFlash();
        EXPECT_EQ(::MaskFlash.visible, c.visible) << c.time;
    }
}

TEST_F(MaskFlash, FirstStepClearsAndTheZoomStopsAtFive)
{
    std::memset(MainScreen.pixels, 44, ScreenPixels);
    ::MaskFlash.zoom = 1000;
    updateMaskFlash();
    EXPECT_EQ(::MaskFlash.zoom, 995);
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(MainScreen.pixels[i], 0) << i;
    MainScreen.pixels[0] = 44;
    for (int step = 2; step <= 199; ++step)
        updateMaskFlash();
    EXPECT_EQ(::MaskFlash.zoom, 5);
    updateMaskFlash();
    EXPECT_EQ(::MaskFlash.zoom, 5);
    EXPECT_EQ(MainScreen.pixels[0], 44);  // only the first step clears
    EXPECT_EQ(::MaskFlash.originX, 40960 - 160 * 5);
    EXPECT_EQ(::MaskFlash.originY, 30720 - 120 * 5);
}

TEST_F(MaskFlash, TheZoomIsCentredAndLeavesPixelsOutsideTheSourceAlone)
{
    ::MaskFlash.zoom = 1000;
    DemoTime = 16601;
    updateMaskFlash();  // z = 995, visible
    std::memset(MainScreen.pixels, 7, ScreenPixels);
    drawMaskFlash();
    EXPECT_EQ(screenAt(160, 120), maskAt(160, 120));
    // x samples 160 + (x - 160) * 995 / 256, floored: columns 119..200 and
    // rows 90..150 lie inside the source's columns 0..318 and rows 0..238.
    EXPECT_EQ(screenAt(118, 120), 7);
    EXPECT_EQ(screenAt(119, 120), maskAt(0, 120));
    EXPECT_EQ(screenAt(200, 120), maskAt(315, 120));
    EXPECT_EQ(screenAt(201, 120), 7);
    EXPECT_EQ(screenAt(160, 89), 7);
    EXPECT_EQ(screenAt(160, 90), maskAt(160, 3));
    EXPECT_EQ(screenAt(160, 150), maskAt(160, 236));
    EXPECT_EQ(screenAt(160, 151), 7);
}

TEST_F(MaskFlash, RowAndColumnOfTheSourceEdgeAreNeverSampled)
{
    ::MaskFlash.zoom = 256;
    ::MaskFlash.originX = ::MaskFlash.originY = 0;
    ::MaskFlash.visible = 1;
    std::memset(MainScreen.pixels, 7, ScreenPixels);
    drawMaskFlash();
    EXPECT_EQ(screenAt(0, 0), maskAt(0, 0));
    EXPECT_EQ(screenAt(318, 238), maskAt(318, 238));
    EXPECT_EQ(screenAt(319, 0), 7);
    EXPECT_EQ(screenAt(0, 239), 7);

    ::MaskFlash.visible = 0;  // between flashes the drawn window is black
    drawMaskFlash();
    EXPECT_EQ(screenAt(100, 100), 0);
    EXPECT_EQ(screenAt(319, 100), 7);
}

}  // namespace
