#include "assets/assets.h"
#include "core/saturate.h"
#include "core/show_state.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/sun_rays.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

TEST(SunRaysStart, BirdRowsAndTheSunDiscOfRadiusForty)
{
    testScreen();
    const int32_t rows[BirdCount] = {50, 60, 75, 99, 90};
    for (int b = 0; b < BirdCount; ++b)
        EXPECT_EQ(BirdY[b], rows[b]);
    EXPECT_EQ(SpotMask[80 * 320 + 220], 255);
    EXPECT_EQ(SpotMask[80 * 320 + 259], 255);
    EXPECT_EQ(SpotMask[80 * 320 + 260], 0);
    EXPECT_EQ(SpotMask[41 * 320 + 220], 255);
    EXPECT_EQ(SpotMask[40 * 320 + 220], 0);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const int square = (x - 220) * (x - 220) + (y - 80) * (y - 80);
            ASSERT_EQ(SpotMask[y * 320 + x], isqrt(uint32_t(square)) < 40 ? 255 : 0) << x << "," << y;
        }
}

class SunRays : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        makeTestPicture(cloud2Picture, far, 256, 256, 0);
        makeTestPicture(cloud3Picture, near, 256, 256, 0);
        makeTestPicture(birdPicture, bird, 192, 32, 255);
        for (int b = 0; b < 5; ++b)
            ::SunRays.birdX[b] = -1000;
        ::SunRays.fade = 0;
        DemoTime = 25000;
        TickCount = 3;
    }
    std::vector<uint8_t> far, near, bird;
};

TEST_F(SunRays, FirstStepWhitensTheLightAndTheFadeStartsAfter274Seconds)
{
    ::SunRays.stampPending = 1;
    std::memset(WorkBufferB, 3, sizeof WorkBufferB);
    updateSunRays();
    EXPECT_EQ(WorkBufferB[12345], 255);
    EXPECT_EQ(::SunRays.stampPending, 0);
    EXPECT_EQ(::SunRays.birdX[0], -999);
    WorkBufferB[12345] = 9;
    DemoTime = 27400;
    updateSunRays();
    EXPECT_EQ(WorkBufferB[12345], 9) << "only the first step whitens";
    EXPECT_EQ(::SunRays.fade, 0);
    DemoTime = 27401;
    updateSunRays();
    EXPECT_EQ(::SunRays.fade, 1);
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
    ::SunRays.birdX[0] = -20;
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
    ::SunRays.fade = 255;
    drawSunRays();
    for (int i = 320; i < 76800; ++i)
        ASSERT_EQ(MainScreen.pixels[i], 0) << i;
}

// The frame written straight from the drawing rules, pixel by pixel in one
// pass each, for comparison with the scene's own drawing.
void plainDrawSunRays()
{
    const int32_t frame = TickCount;
    const int32_t fade = ::SunRays.fade;
    uint8_t* screen = MainScreen.pixels;
    std::memset(screen, 0, 320);
    for (int32_t i = 0; i < 180 * 320; ++i)
        if (SpotMask[i] != 0)
            WorkBufferB[i] = SpotMask[i];
    for (int32_t r = 0; r < 180; ++r)
        for (int32_t x = 0; x < 320; ++x) {
            const int32_t sum = cloud3Picture.pixels[r * 256 + ((x - 2 * frame) & 255)] +
                                cloud2Picture.pixels[(r + 20) * 256 + ((x - frame) & 255)];
            cloudSum[r * 320 + x] = uint8_t(sum);
            WorkBufferB[r * 320 + x] = clampToByte(WorkBufferB[r * 320 + x] - sum - fade);
        }
    for (int32_t y = 0; y < 240; ++y)
        for (int32_t x = 0; x < 320; ++x)
            WorkBufferA[y * 320 + x] =
                WorkBufferB[((1752 + 235 * y) >> 8) * 320 + ((4896 + 235 * x) >> 8)];
    uint8_t* a = WorkBufferA;
    for (int32_t i = 320; i <= 76479; ++i) {
        a[i] = uint8_t((a[i - 1] + a[i + 1] + a[i + 320] + a[i - 320]) >> 2);
        if (i >= 180 * 320)
            continue;
        int32_t sky = std::max(cloudSum[i] - fade, 0);
        if (sky <= a[i])
            sky = a[i] - fade;
        screen[i] = uint8_t(std::max(sky, 0));
    }
    std::memcpy(WorkBufferB, WorkBufferA, 76800);
    for (int32_t b = 0; b < 5; ++b)
        for (int32_t r = 0; r < 32; ++r)
            for (int32_t x = 0; x < 32; ++x) {
                const int32_t sx = ::SunRays.birdX[b] + x;
                if (sx < 1 || sx > 319)
                    continue;
                uint8_t& p = screen[(BirdY[b] + r) * 320 + sx];
                const int32_t flap = (b + (frame >> 1)) % 6;
                p = uint8_t(std::max(p - (birdPicture.pixels[r * 192 + 32 * flap + x] >> 2), 0));
            }
    for (int32_t row = 180; row < 240; ++row) {
        const int32_t j = row - 180, k = 140 - j, horizon = 30 - j;
        const int32_t sourceRow =
            125 - j / 5 - ((SineTable[(-64 * frame - k * k) & 4095] * 2560) >> 16);
        for (int32_t x = 0; x < 320; ++x) {
            const int32_t wave =
                (5120 * (CosineTable[(8 * frame + 16 * x) & 4095] +
                         CosineTable[(32 * frame + 32 * x) & 4095] +
                         CosineTable[(256 * k + 4 * frame) & 4095] +
                         CosineTable[(128 * row + 8 * frame) & 4095])) >>
                16;
            int32_t value = screen[sourceRow * 320 + x] + wave;
            if (horizon > 0)
                value -= 8 * horizon;
            const int32_t light = WorkBufferA[row * 320 + x];
            const int32_t lit = clampToByte(value + light - fade);
            const int32_t dim = light - fade;
            screen[row * 320 + x] = uint8_t(light < lit ? lit : dim > 0 ? dim : 0);
        }
    }
}

// Random light, clouds, birds and sun disc, at frames and fades that wrap the
// cloud columns and the tables and cross the clamps: the scene's frame, light
// and cloud sums are the plain rules' to the byte.
TEST_F(SunRays, AgreesWithThePlainRulesOverRandomFrames)
{
    std::mt19937 random(16);
    const auto fillRandom = [&](uint8_t* bytes, size_t count, int top) {
        for (size_t i = 0; i < count; ++i)
            bytes[i] = uint8_t(random() % uint32_t(top + 1));
    };
    fillRandom(near.data(), near.size(), 31);
    fillRandom(far.data(), far.size(), 31);
    fillRandom(bird.data(), bird.size(), 255);
    std::vector<uint8_t> spot(SpotMask, SpotMask + 76800);
    std::memset(SpotMask, 0, sizeof SpotMask);
    for (int y = 50; y < 90; ++y)
        for (int x = 200; x < 240; ++x)
            SpotMask[y * 320 + x] = (x - 220) * (x - 220) + (y - 70) * (y - 70) < 400 ? 255 : 0;
    ::SunRays.stampPending = 1;
    updateSunRays();

    const int32_t frames[] = {0, 1, 77, -3, 1 << 30, 2147483647, -2147483647 - 1, 123457};
    const int32_t fades[] = {0, 0, 17, 255, 300, 1, 64, 0};
    std::vector<uint8_t> light(76800), screen, lightAfter;
    std::vector<uint8_t> sums;
    for (int round = 0; round < 8; ++round) {
        TickCount = frames[round];
        ::SunRays.fade = fades[round];
        for (int b = 0; b < 5; ++b)
            ::SunRays.birdX[b] = int32_t(random() % 400) - 40;
        fillRandom(light.data(), light.size(), 255);
        std::copy(light.begin(), light.end(), WorkBufferB);
        fillRandom(MainScreen.pixels, 76800, 255);
        plainDrawSunRays();
        screen.assign(MainScreen.pixels, MainScreen.pixels + 76800);
        lightAfter.assign(WorkBufferB, WorkBufferB + 76800);
        sums.assign(cloudSum, cloudSum + 180 * 320);

        std::copy(light.begin(), light.end(), WorkBufferB);
        fillRandom(MainScreen.pixels, 76800, 255);
        drawSunRays();
        ASSERT_TRUE(std::equal(screen.begin(), screen.end(), MainScreen.pixels)) << "round " << round;
        ASSERT_TRUE(std::equal(lightAfter.begin(), lightAfter.end(), WorkBufferB)) << "round " << round;
        ASSERT_TRUE(std::equal(sums.begin(), sums.end(), cloudSum)) << "round " << round;
    }
    std::copy(spot.begin(), spot.end(), SpotMask);
}

// The light less the clouds and the sky, by words against plainly, at fades
// about every clamp of both (the sums' 62, the small bytes' 128, the light's
// 255), with the sun's rows stamped and the cloud rows wrapping at every
// byte offset.
TEST_F(SunRays, ByWordsAgreesWithPlainly)
{
    std::mt19937 random(7);
    const auto fillRandom = [&](uint8_t* bytes, size_t count, int top) {
        for (size_t i = 0; i < count; ++i)
            bytes[i] = uint8_t(random() % uint32_t(top + 1));
    };
    fillRandom(near.data(), near.size(), 31);
    fillRandom(far.data(), far.size(), 31);
    ::SunRays.stampPending = 1;
    updateSunRays();
    std::vector<uint8_t> light(76800), plainLight, plainSums, plainSky;
    const int32_t fades[] = {0, 1, 30, 61, 62, 63, 100, 127, 128, 200, 254, 255, 256, 499};
    for (size_t round = 0; round < std::size(fades); ++round) {
        const int32_t frame = int32_t(random());
        fillRandom(light.data(), light.size(), 255);
        std::copy(light.begin(), light.end(), WorkBufferB);
        subtractCloudsPlainly(frame, fades[round]);
        plainLight.assign(WorkBufferB, WorkBufferB + 76800);
        plainSums.assign(cloudSum, cloudSum + 180 * 320);
        std::copy(light.begin(), light.end(), WorkBufferB);
        subtractCloudsByWords(frame, fades[round]);
        ASSERT_TRUE(std::equal(plainLight.begin(), plainLight.end(), WorkBufferB)) << fades[round];
        ASSERT_TRUE(std::equal(plainSums.begin(), plainSums.end(), cloudSum)) << fades[round];

        fillRandom(WorkBufferA, 76800, 255);
        fillRandom(MainScreen.pixels, 76800, 255);
        drawSkyPlainly(fades[round]);
        plainSky.assign(MainScreen.pixels, MainScreen.pixels + 76800);
        fillRandom(MainScreen.pixels + 320, 179 * 320, 255);
        drawSkyByWords(fades[round]);
        ASSERT_TRUE(std::equal(plainSky.begin(), plainSky.begin() + 180 * 320, MainScreen.pixels))
            << fades[round];
    }
}

// The enlargement and blur in one pass against the two passes, on random
// light.
TEST_F(SunRays, EnlargedAndBlurredTogetherAgreesWithApart)
{
    std::mt19937 random(5);
    std::vector<uint8_t> light(76800), apart;
    for (int round = 0; round < 3; ++round) {
        for (uint8_t& value : light)
            value = uint8_t(random());
        std::copy(light.begin(), light.end(), WorkBufferB);
        enlargeAndBlurLightApart();
        apart.assign(WorkBufferA, WorkBufferA + 76800);
        std::fill(WorkBufferA, WorkBufferA + 76800, uint8_t(round));
        enlargeAndBlurLightTogether();
        ASSERT_TRUE(std::equal(apart.begin(), apart.end(), WorkBufferA)) << round;
        ASSERT_TRUE(std::equal(light.begin(), light.end(), WorkBufferB)) << round;
    }
}

}  // namespace
