#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class CloudFlight : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        makeTestPicture(cloud1Picture, near, 256, 256, 31);
        makeTestPicture(cloud2Picture, middle, 256, 256, 10);
        makeTestPicture(cloud3Picture, far, 256, 256, 20);
        DemoTime = 21700;
    }
    std::vector<uint8_t> near, middle, far;
};

TEST_F(CloudFlight, FirstFrameDrawsEvenRowsFromTheTwoVisibleLayers)
{
    TickCount = 0;  // cloud1 at depth 0 (brightness 0), cloud2 at 150, cloud3 at 100
    std::memset(WorkBufferA, 99, sizeof WorkBufferA);
    drawCloudFlight();
    const uint8_t expected = (10 * 424 >> 8) + (20 * 400 >> 8);
    for (int y = 0; y < 240; y += 2)
        ASSERT_EQ(MainScreen.pixels[y * 320 + 17], expected) << y;
    for (int y = 1; y < 240; y += 2)
        ASSERT_EQ(MainScreen.pixels[y * 320 + 17], 99) << "odd rows keep the buffer, " << y;
}

TEST_F(CloudFlight, LayerAtDepth128IsAtFullBrightness)
{
    std::fill(middle.begin(), middle.end(), 0);
    std::fill(far.begin(), far.end(), 0);
    TickCount = 16;  // cloud1's depth (-128) & 255 = 128
    drawCloudFlight();
    EXPECT_EQ(MainScreen.pixels[0], 62);
}

TEST_F(CloudFlight, FlightDoublesItsSpeedAfter230Seconds)
{
    std::fill(middle.begin(), middle.end(), 0);
    std::fill(far.begin(), far.end(), 0);
    TickCount = 8;
    DemoTime = 23000;  // travel 64: depth 192, brightness 256
    drawCloudFlight();
    EXPECT_EQ(MainScreen.pixels[0], 31);
    DemoTime = 23001;  // travel 128: depth 128, brightness 512
    drawCloudFlight();
    EXPECT_EQ(MainScreen.pixels[0], 62);
}

}  // namespace
