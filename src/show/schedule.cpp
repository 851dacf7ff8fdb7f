#include "show/schedule.h"

// The step lengths: the flares run on 25 ms steps, the forest on 60 ms and
// the attractor goes back to 40 ms, set on every step of their rows (so the
// q key's 10 ms steps last one step there). Every other row, 0, keeps the
// length in force: the jungle keeps the flares' 25 ms (or the q key's 10 ms
// until the next press), every scene after the attractor its 40 ms.
static const TimelineRow TimelineRows[] = {
    {0, 0x2000000, 0},       // credits iris
    {2400, 0x2, 25},         // flare pyramid
    {3200, 0x100002, 25},    // flare pyramid with zoom trails
    {4000, 0x8, 0},          // jungle
    {4800, 0x100, 60},       // forest with calendar
    {6400, 0x2000, 40},      // attractor glow
    {8000, 0x10, 0},         // sand logo reveal
    {8800, 0x80000, 0},      // spinning leaves
    {10400, 0x40, 0},        // spider web
    {12350, 0x1000, 0},      // black interlude
    {12450, 0x40000, 0},     // portrait
    {14500, 0x4000000, 0},   // rain
    {15800, 0x400, 0},       // flooding logo
    {16500, 0x4000, 0},      // flashing mask
    {17400, 0x20000000, 0},  // rising waves
    {18200, 0x800, 0},       // greetings
    {21600, 0x8000000, 0},   // cloud flight
    {23000, 0x10000000, 0},  // knot
    {23200, 0x20, 0},        // double rotozoom
    {23400, 0x8000000, 0},
    {23600, 0x80000, 0},
    {23800, 0x10000000, 0},
    {24000, 0x20, 0},
    {24200, 0x8000000, 0},
    {24400, 0x80000, 0},
    {24600, 0x10000, 0},     // sun rays over water
    {28400, 0x80000000, 0},  // end of the show
};

static const uint32_t UpdateBits[] = {
    0x10000, 0x4000000, 0x20000000, 0x4000, 0x10000000, 0x2, 0x2000000, 0x20, 0x8,
    0x40, 0x400, 0x2000, 0x10, 0x800, 0x100, 0x40000, 0x80000,
};

// The zoom overlay (0x100000) draws first, over the previous frame, so that
// the pyramid's flares of the same frame land on top of their trails.
static const uint32_t DrawBits[] = {
    0x100000, 0x2000, 0x4000, 0x1000, 0x40000, 0x20, 0x400, 0x8000000, 0x10000000, 0x8,
    0x10, 0x10000, 0x40, 0x800, 0x2, 0x100, 0x80000, 0x2000000, 0x4000000, 0x20000000,
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
    {0x2000000, {{"data/hedelmae.pal", 0, 256, 0}}, 1},
    {0x2, {{"data/flares.pal", 0, 256, 0}}, 1},
    {0x8, {{"data/jungle2.pal", 0, 256, 0}}, 1},
    {0x100, {{"data/junkka.pal", 0, 256, 0}}, 1},
    {0x2000, {{"data/green.pal", 0, 256, 0}}, 1},
    {0x10, {{"data/logo.pal", 0, 128, 0}, {"data/sand.pal", 0, 128, 128}}, 2},
    {0x80000, {{"data/lehti.pal", 0, 256, 0}}, 1},
    {0x40, {{"data/forest.pal", 0, 256, 0}}, 1},
    {0x1000, {{"data/mask1.pal", 0, 256, 0}}, 1},
    {0x40000, {{"data/girl.pal", 0, 256, 0}}, 1},
    {0x4000000, {{"data/rainsky.pal", 0, 256, 0}}, 1},
    {0x400, {{"data/water.pal", 0, 128, 128}, {"data/logo.pal", 0, 128, 0}}, 2},
    {0x4000, {{"data/mask1.pal", 0, 256, 0}}, 1},
    {0x20000000, {{"data/blue", 0, 256, 0}}, 1},
    {0x800,
     {{"data/cube.pal", 0, 256, 0}, {"data/clouds.pal", 0, 100, 128}, {"data/sparks.pal", 0, 24, 228}},
     3},
    {0x8000000, {{"data/blue", 0, 256, 0}}, 1},
    {0x10000000, {{"data/green.pal", 0, 256, 0}}, 1},
    {0x20, {{"data/hedelmae.pal", 0, 256, 0}}, 1},
    {0x10000, {{"data/blue", 0, 256, 0}}, 1},
};

std::span<const PaletteLoad> paletteLoadsFor(uint32_t sceneMask)
{
    for (const ScenePalettes& scene : PaletteSchedule)
        if (scene.sceneMask == sceneMask)
            return {scene.loads, size_t(scene.loadCount)};
    return {};
}
