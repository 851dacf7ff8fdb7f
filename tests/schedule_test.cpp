// The running order: every timeline boundary, the block orders and the
// palettes of each scene, pinned so that an edited row fails here.
#include "show/schedule.h"
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
    {0, 1, 0x2000000},           {2400, 0x2000000, 0x2},      {3200, 0x2, 0x100002},
    {4000, 0x100002, 0x8},       {4800, 0x8, 0x100},          {6400, 0x100, 0x2000},
    {8000, 0x2000, 0x10},        {8800, 0x10, 0x80000},       {10400, 0x80000, 0x40},
    {12350, 0x40, 0x1000},       {12450, 0x1000, 0x40000},    {14500, 0x40000, 0x4000000},
    {15800, 0x4000000, 0x400},   {16500, 0x400, 0x4000},      {17400, 0x4000, 0x20000000},
    {18200, 0x20000000, 0x800},  {21600, 0x800, 0x8000000},   {23000, 0x8000000, 0x10000000},
    {23200, 0x10000000, 0x20},   {23400, 0x20, 0x8000000},    {23600, 0x8000000, 0x80000},
    {23800, 0x80000, 0x10000000}, {24000, 0x10000000, 0x20},  {24200, 0x20, 0x8000000},
    {24400, 0x8000000, 0x80000}, {24600, 0x80000, 0x10000},   {28400, 0x10000, 0x80000000},
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
    EXPECT_EQ(applyTimeline(0, 1), 1u);
    EXPECT_EQ(applyTimeline(0, 0x40), 0x40u);
    EXPECT_EQ(applyTimeline(0xFFFFFFFFu, 1), 0x80000000u);
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

TEST(BlockOrder, UpdateAndDrawOrdersAreThoseOfTheShow)
{
    const std::vector<uint32_t> update(UpdateOrder.begin(), UpdateOrder.end());
    const std::vector<uint32_t> draw(DrawOrder.begin(), DrawOrder.end());
    EXPECT_EQ(update, (std::vector<uint32_t>{0x10000, 0x4000000, 0x20000000, 0x4000, 0x10000000,
                                            0x2, 0x2000000, 0x20, 0x8, 0x40, 0x400, 0x2000, 0x10,
                                            0x800, 0x100, 0x40000, 0x80000}));
    EXPECT_EQ(draw, (std::vector<uint32_t>{0x100000, 0x2000, 0x4000, 0x1000, 0x40000, 0x20, 0x400,
                                          0x8000000, 0x10000000, 0x8, 0x10, 0x10000, 0x40, 0x800,
                                          0x2, 0x100, 0x80000, 0x2000000, 0x4000000,
                                          0x20000000}));
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
    EXPECT_EQ(sceneForBit(0x100002), nullptr) << "combined codes are not scene bits";
    EXPECT_EQ(sceneForBit(0x80000000), nullptr) << "the end of the show runs nothing";
}

std::string describeLoads(uint32_t mask)
{
    std::string text;
    for (const PaletteLoad& load : paletteLoadsFor(mask))
        text += std::string(load.path) + " " + std::to_string(load.firstEntry) + " " +
                std::to_string(load.count) + " " + std::to_string(load.firstSlot) + "; ";
    return text;
}

TEST(PaletteSchedule, EachSceneLoadsItsFilesInOrder)
{
    const std::pair<uint32_t, const char*> expected[] = {
        {0x2000000, "data/hedelmae.pal 0 256 0; "},
        {0x2, "data/flares.pal 0 256 0; "},
        {0x8, "data/jungle2.pal 0 256 0; "},
        {0x100, "data/junkka.pal 0 256 0; "},
        {0x2000, "data/green.pal 0 256 0; "},
        {0x10, "data/logo.pal 0 128 0; data/sand.pal 0 128 128; "},
        {0x80000, "data/lehti.pal 0 256 0; "},
        {0x40, "data/forest.pal 0 256 0; "},
        {0x1000, "data/mask1.pal 0 256 0; "},
        {0x40000, "data/girl.pal 0 256 0; "},
        {0x4000000, "data/rainsky.pal 0 256 0; "},
        {0x400, "data/water.pal 0 128 128; data/logo.pal 0 128 0; "},
        {0x4000, "data/mask1.pal 0 256 0; "},
        {0x20000000, "data/blue 0 256 0; "},
        {0x800, "data/cube.pal 0 256 0; data/clouds.pal 0 100 128; data/sparks.pal 0 24 228; "},
        {0x8000000, "data/blue 0 256 0; "},
        {0x10000000, "data/green.pal 0 256 0; "},
        {0x20, "data/hedelmae.pal 0 256 0; "},
        {0x10000, "data/blue 0 256 0; "},
        {0x1, ""},
        {0x100002, ""},
        {0x80000000, ""},
    };
    for (const auto& [mask, loads] : expected)
        EXPECT_EQ(describeLoads(mask), loads) << std::hex << mask;
}

}  // namespace
