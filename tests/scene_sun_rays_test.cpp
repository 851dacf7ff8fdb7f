#include "assets/assets.h"
#include "core/show_state.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/sun_rays.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class SunRays : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        makeTestPicture(cloud2Picture, far, 256, 256, 0);
        makeTestPicture(cloud3Picture, near, 256, 256, 0);
        makeTestPicture(birdPicture, bird, 192, 32, 255);
        for (int b = 0; b < 5; ++b)
            BirdX[b] = -1000;
        sunFade = 0;
        DemoTime = 25000;
        TickCount = 3;
    }
    std::vector<uint8_t> far, near, bird;
};

TEST_F(SunRays, FirstStepWhitensTheLightAndTheFadeStartsAfter274Seconds)
{
    sunStampPending = 1;
    std::memset(WorkBufferB, 3, sizeof WorkBufferB);
    updateSunRays();
    EXPECT_EQ(WorkBufferB[12345], 255);
    EXPECT_EQ(sunStampPending, 0);
    EXPECT_EQ(BirdX[0], -999);
    WorkBufferB[12345] = 9;
    DemoTime = 27400;
    updateSunRays();
    EXPECT_EQ(WorkBufferB[12345], 9) << "only the first step whitens";
    EXPECT_EQ(sunFade, 0);
    DemoTime = 27401;
    updateSunRays();
    EXPECT_EQ(sunFade, 1);
}

TEST_F(SunRays, RowZeroIsBlackAndAWhiteLightLightsTheSky)
{
    std::memset(WorkBufferB, 255, sizeof WorkBufferB);
    std::memset(MainScreen.pixels, 77, 76800);
    drawSunRays();
    for (int x = 0; x < 320; ++x)
        ASSERT_EQ(MainScreen.pixels[x], 0);
    EXPECT_EQ(MainScreen.pixels[100 * 320 + 100], 255) << "without clouds the sky shows the light";
}

TEST_F(SunRays, BirdAtMinusTwentyShowsOnlyItsRightColumns)
{
    std::memset(WorkBufferB, 200, sizeof WorkBufferB);
    std::vector<uint8_t> light(WorkBufferB, WorkBufferB + 76800);
    drawSunRays();
    const std::vector<uint8_t> withoutBirds(MainScreen.pixels, MainScreen.pixels + 76800);
    std::copy(light.begin(), light.end(), WorkBufferB);
    BirdX[0] = -20;
    drawSunRays();
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 320; ++x) {
            const int p = y * 320 + x;
            const bool underBird = y >= BirdY[0] && y < BirdY[0] + 32 && x >= 1 && x <= 11;
            const int expected = underBird ? std::max(withoutBirds[p] - 63, 0) : withoutBirds[p];
            ASSERT_EQ(MainScreen.pixels[p], expected) << x << "," << y;
        }
}

TEST_F(SunRays, FullFadeIsBlack)
{
    std::memset(WorkBufferB, 255, sizeof WorkBufferB);
    std::fill(near.begin(), near.end(), 31);
    sunFade = 255;
    drawSunRays();
    for (int i = 320; i < 76800; ++i)
        ASSERT_EQ(MainScreen.pixels[i], 0) << i;
}

}  // namespace
