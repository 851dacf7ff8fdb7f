// The rain behind the landscape: the reset and the intensity ramp, the drops
// and their random numbers, the fall, the smoothing and the composite.
#include "core/random.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/rain.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class Rain : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        landscape.assign(ScreenPixels + 1, 3);
        landscapePicture.pixels = landscape.data();
        RainOverLand.resetPending = 0;
        RainOverLand.intensity = 0;
        std::memset(WorkBufferA, 0, sizeof WorkBufferA);
        std::memset(WorkBufferB, 0, sizeof WorkBufferB);
    }
    // The n-th value (from 0) that rand() gives after srand(seed).
    static int randAfter(unsigned seed, int n)
    {
        seedShowRandom(seed);
        for (int i = 0; i < n; ++i)
            showRandom();
        return showRandom();
    }

    std::vector<uint8_t> landscape;
};

TEST_F(Rain, FirstStepResetsThePatternOnceAndTheRainThickensAfter150Seconds)
{
    RainOverLand.resetPending = 1;
    DemoTime = 14600;
    updateRain();
    EXPECT_EQ(RainOverLand.resetPending, 0);
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(WorkBufferB[i], 90) << i;
    WorkBufferB[5] = 1;
    DemoTime = 15000;
    updateRain();
    EXPECT_EQ(WorkBufferB[5], 1);
    EXPECT_EQ(RainOverLand.intensity, 0);
    DemoTime = 15001;
    updateRain();
    EXPECT_EQ(RainOverLand.intensity, 1);
    RainOverLand.intensity = 249;
    updateRain();
    updateRain();
    EXPECT_EQ(RainOverLand.intensity, 250);
}

TEST_F(Rain, DropsAreDrawnInTheFrameTwoRandomNumbersEachPositionFirst)
{
    // Below intensity 16 no random number is drawn.
    RainOverLand.intensity = 15;
    seedShowRandom(7);
    drawRain();
    int next = showRandom();
    EXPECT_EQ(next, randAfter(7, 0));

    // Two update steps before one frame: two more steps of intensity, and
    // still only that frame's drops (one pair at intensity 17).
    DemoTime = 15500;
    seedShowRandom(7);
    updateRain();
    updateRain();
    EXPECT_EQ(RainOverLand.intensity, 17);
    drawRain();
    next = showRandom();
    EXPECT_EQ(next, randAfter(7, 2));
}

TEST_F(Rain, FirstRowDropsStayAndSecondRowDropsFallOnAtOnce)
{
    std::memset(WorkBufferB, 90, sizeof WorkBufferB);
    RainOverLand.intensity = 250;  // 15 drops
    seedShowRandom(11);
    std::vector<int> positions, values;
    for (int i = 0; i < 15; ++i) {
        positions.push_back(showRandom() % 640 + 1);
        values.push_back(showRandom() % 50 + 50);
    }
    seedShowRandom(11);
    drawRain();
    for (int i = 0; i < 15; ++i) {
        bool replaced = false;  // a later drop on the same spot wins
        for (int j = i + 1; j < 15; ++j)
            replaced |= positions[j] == positions[i];
        if (replaced)
            continue;
        const int p = positions[i];
        if (p <= 320)
            EXPECT_EQ(WorkBufferB[p], values[i]) << p;
        else
            EXPECT_EQ(WorkBufferB[p + 321], values[i]) << p;  // one row down, one right
    }
}

TEST_F(Rain, TheTopHalfFallsDiagonallyAndTheSmoothingAveragesLeftAndAbove)
{
    WorkBufferB[5] = 77;              // first row: stays and falls on
    WorkBufferB[38398] = 66;          // the last byte that falls on
    WorkBufferB[38399] = 55;          // the top half's last byte is not carried
    WorkBufferB[150 * 320 + 100] = 200;  // lower half: never moves
    drawRain();
    EXPECT_EQ(WorkBufferB[5], 77);
    EXPECT_EQ(WorkBufferB[5 + 321], 77);
    EXPECT_EQ(WorkBufferB[38398 + 321], 66);
    EXPECT_EQ(WorkBufferB[38399 + 321], 0);
    EXPECT_EQ(WorkBufferB[38399], 0);
    EXPECT_EQ(WorkBufferA[5], 77);  // A's first row keeps the fall's copy
    const int spike = 150 * 320 + 100;
    EXPECT_EQ(WorkBufferB[spike], 200);
    for (int k : {spike + 1, spike + 2, spike + 320, spike + 321})
        EXPECT_EQ(WorkBufferA[k], 50) << k - spike;
    for (int k : {spike, spike - 1, spike + 3, spike + 319, spike + 322, spike + 640})
        EXPECT_EQ(WorkBufferA[k], 0) << k - spike;
}

TEST_F(Rain, OnlySkyPixelsInsideTheBandShowTheRainSixtyRowsLower)
{
    for (int i = 0; i < ScreenPixels; ++i)
        WorkBufferB[i] = uint8_t(i * 7 + i / 320);
    for (int k : {20480, 20481, 30000, 53440, 53441})
        landscape[k] = 255;
    landscape[30001] = 254;
    drawRain();
    EXPECT_EQ(MainScreen.pixels[20480], 255);
    EXPECT_EQ(MainScreen.pixels[53441], 255);
    for (int k : {20481, 30000, 53440})
        EXPECT_EQ(MainScreen.pixels[k], WorkBufferA[k - 19200]) << k;
    EXPECT_EQ(MainScreen.pixels[30001], 254);
    EXPECT_EQ(MainScreen.pixels[30002], 3);
}

}  // namespace
