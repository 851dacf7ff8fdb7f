// The running order: every timeline boundary, the block orders and the
// palettes of each scene, pinned so that an edited row fails here.
#include "show/schedule.h"
#include "core/show_state.h"
#include "scenes/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Boundary {
    uint32_t demoTime;  // last centisecond of the previous scene
    uint32_t before;
    uint32_t after;
};

const Boundary ShowBoundaries[] = {
    {0, BlankStart, CreditsIrisBit},
    {2400, CreditsIrisBit, FlarePyramidBit},
    {3200, FlarePyramidBit, FlarePyramidBit | ZoomTrailsBit},
    {4000, FlarePyramidBit | ZoomTrailsBit, JungleBit},
    {4800, JungleBit, ForestCalendarBit},
    {6400, ForestCalendarBit, AttractorGlowBit},
    {8000, AttractorGlowBit, SandRevealBit},
    {8800, SandRevealBit, SpinningLeavesBit},
    {10400, SpinningLeavesBit, SpiderWebBit},
    {12350, SpiderWebBit, BlackInterludeBit},
    {12450, BlackInterludeBit, PortraitBit},
    {14500, PortraitBit, RainBit},
    {15800, RainBit, FloodingLogoBit},
    {16500, FloodingLogoBit, MaskFlashBit},
    {17400, MaskFlashBit, RisingWavesBit},
    {18200, RisingWavesBit, GreetingsBit},
    {21600, GreetingsBit, CloudFlightBit},
    {23000, CloudFlightBit, SpinningKnotBit},
    {23200, SpinningKnotBit, DoubleRotoBit},
    {23400, DoubleRotoBit, CloudFlightBit},
    {23600, CloudFlightBit, SpinningLeavesBit},
    {23800, SpinningLeavesBit, SpinningKnotBit},
    {24000, SpinningKnotBit, DoubleRotoBit},
    {24200, DoubleRotoBit, CloudFlightBit},
    {24400, CloudFlightBit, SpinningLeavesBit},
    {24600, SpinningLeavesBit, SunRaysBit},
    {28400, SunRaysBit, EndOfShow},
};

TEST(Timeline, EverySceneChangesOneCentisecondAfterItsBoundary)
{
    ASSERT_EQ(Timeline.size(), std::size(ShowBoundaries));
    for (const Boundary& b : ShowBoundaries) {
        if (b.demoTime > 0) {
            EXPECT_EQ(applyTimeline(b.demoTime, 1), b.before) << b.demoTime;
        }
        EXPECT_EQ(applyTimeline(b.demoTime + 1, 1), b.after) << b.demoTime;
    }
}

TEST(Timeline, TimeZeroKeepsTheCurrentCodeAndTheEndStays)
{
    EXPECT_EQ(applyTimeline(0, BlankStart), BlankStart);
    EXPECT_EQ(applyTimeline(0, SpiderWebBit), SpiderWebBit);
    EXPECT_EQ(applyTimeline(0xFFFFFFFFu, 1), EndOfShow);
}

// 25 ms in the pyramid, 60 in the forest, 40 in the attractor; elsewhere
// (the jungle too) the length stays as it was, so a "q" press lasts.
TEST(Timeline, StepLengthFollowsTheScenesThatHaveOne)
{
    const std::pair<uint32_t, int32_t> held[] = {
        {2401, 25}, {3201, 25}, {4801, 60}, {6401, 40},
    };
    for (const auto& [demoTime, period] : held)
        EXPECT_EQ(applyStepPeriod(demoTime, 10), period) << demoTime;
    for (uint32_t demoTime : {0u, 1u, 2400u, 4001u, 8001u, 24601u, 28401u})
        EXPECT_EQ(applyStepPeriod(demoTime, 10), 10) << demoTime;
}

TEST(BlockOrder, EveryOrderedBitHasARegisteredSceneWithThatBlock)
{
    for (uint32_t bit : UpdateOrder) {
        const SceneBlocks* scene = sceneForBit(bit);
        ASSERT_NE(scene, nullptr) << std::hex << bit;
        EXPECT_NE(scene->update, nullptr) << scene->name;
    }
    for (uint32_t bit : DrawOrder) {
        const SceneBlocks* scene = sceneForBit(bit);
        ASSERT_NE(scene, nullptr) << std::hex << bit;
        EXPECT_NE(scene->draw, nullptr) << scene->name;
    }
    EXPECT_EQ(sceneForBit(FlarePyramidBit | ZoomTrailsBit), nullptr) << "combined codes are not scene bits";
    EXPECT_EQ(sceneForBit(EndOfShow), nullptr) << "the end of the show runs nothing";
}

// Codes that are no scene of their own load nothing: the blank start, the
// pyramid with its overlay (it keeps the pyramid's palette) and the end.
TEST(PaletteSchedule, CodesWithoutASceneOfTheirOwnLoadNothing)
{
    for (const uint32_t mask : {BlankStart, FlarePyramidBit | ZoomTrailsBit, EndOfShow})
        EXPECT_TRUE(paletteLoadsFor(mask).empty()) << std::hex << mask;
    EXPECT_EQ(paletteLoadsFor(GreetingsBit).size(), 3u);
}

}  // namespace
