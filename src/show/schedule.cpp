#include "show/schedule.h"

#include "core/show_state.h"
#include "scenes/scene_bits.h"

static const uint32_t UpdateBits[] = {
    SunRaysBit,      RainBit,           RisingWavesBit,   MaskFlashBit,  SpinningKnotBit,
    FlarePyramidBit, CreditsIrisBit,    DoubleRotoBit,    JungleBit,     SpiderWebBit,
    FloodingLogoBit, AttractorGlowBit,  SandRevealBit,    GreetingsBit,  ForestCalendarBit,
    PortraitBit,     SpinningLeavesBit,
};

// The zoom overlay draws first, over the previous frame, so that the
// pyramid's flares of the same frame land on top of their trails.
static const uint32_t DrawBits[] = {
    ZoomTrailsBit,   AttractorGlowBit,  MaskFlashBit,     BlackInterludeBit, PortraitBit,
    DoubleRotoBit,   FloodingLogoBit,   CloudFlightBit,   SpinningKnotBit,   JungleBit,
    SandRevealBit,   SunRaysBit,        SpiderWebBit,     GreetingsBit,      FlarePyramidBit,
    ForestCalendarBit, SpinningLeavesBit, CreditsIrisBit, RainBit,           RisingWavesBit,
};

const std::span<const TimelineRow> Timeline{TimelineRows};
const std::span<const uint32_t> UpdateOrder{UpdateBits};
const std::span<const uint32_t> DrawOrder{DrawBits};

// The last row whose time has passed, or null at time 0.
static const TimelineRow* holdingRow(uint32_t demoTime)
{
    const TimelineRow* holding = nullptr;
    for (const TimelineRow& row : Timeline)
        if (demoTime > row.after)
            holding = &row;
    return holding;
}

uint32_t applyTimeline(uint32_t demoTime, uint32_t currentMask)
{
    const TimelineRow* row = holdingRow(demoTime);
    return row ? row->sceneMask : currentMask;
}

int32_t applyStepPeriod(uint32_t demoTime, int32_t currentPeriod)
{
    const TimelineRow* row = holdingRow(demoTime);
    return row && row->stepPeriod != 0 ? row->stepPeriod : currentPeriod;
}

struct ScenePalettes {
    uint32_t sceneMask;
    PaletteLoad loads[3];
    int loadCount;
};

static const ScenePalettes PaletteSchedule[] = {
    {CreditsIrisBit, {{"data/hedelmae.pal", 0, 256, 0}}, 1},
    {FlarePyramidBit, {{"data/flares.pal", 0, 256, 0}}, 1},
    {JungleBit, {{"data/jungle2.pal", 0, 256, 0}}, 1},
    {ForestCalendarBit, {{"data/junkka.pal", 0, 256, 0}}, 1},
    {AttractorGlowBit, {{"data/green.pal", 0, 256, 0}}, 1},
    {SandRevealBit, {{"data/logo.pal", 0, 128, 0}, {"data/sand.pal", 0, 128, 128}}, 2},
    {SpinningLeavesBit, {{"data/lehti.pal", 0, 256, 0}}, 1},
    {SpiderWebBit, {{"data/forest.pal", 0, 256, 0}}, 1},
    {BlackInterludeBit, {{"data/mask1.pal", 0, 256, 0}}, 1},
    {PortraitBit, {{"data/girl.pal", 0, 256, 0}}, 1},
    {RainBit, {{"data/rainsky.pal", 0, 256, 0}}, 1},
    {FloodingLogoBit, {{"data/water.pal", 0, 128, 128}, {"data/logo.pal", 0, 128, 0}}, 2},
    {MaskFlashBit, {{"data/mask1.pal", 0, 256, 0}}, 1},
    {RisingWavesBit, {{"data/blue", 0, 256, 0}}, 1},
    {GreetingsBit,
     {{"data/cube.pal", 0, 256, 0}, {"data/clouds.pal", 0, 100, 128}, {"data/sparks.pal", 0, 24, 228}},
     3},
    {CloudFlightBit, {{"data/blue", 0, 256, 0}}, 1},
    {SpinningKnotBit, {{"data/green.pal", 0, 256, 0}}, 1},
    {DoubleRotoBit, {{"data/hedelmae.pal", 0, 256, 0}}, 1},
    {SunRaysBit, {{"data/blue", 0, 256, 0}}, 1},
};

std::span<const PaletteLoad> paletteLoadsFor(uint32_t sceneMask)
{
    for (const ScenePalettes& scene : PaletteSchedule)
        if (scene.sceneMask == sceneMask)
            return {scene.loads, size_t(scene.loadCount)};
    return {};
}
