// The show's timeline: which scene code holds at which show time, each
// scene's update-step length, and the cues within scenes, each stated
// relative to the start of its scene beside the scene's row. The scenes read
// their cues from here; the show's schedule (show/schedule.h) applies the rows.
#pragma once

#include "core/show_state.h"
#include "scenes/scene_bits.h"

#include <cstdint>

// SceneMask becomes `sceneMask` once DemoTime > `after`; later rows win.
// While a row holds, every update step sets TickPeriod to its `stepPeriod`;
// 0 leaves the period as the step finds it (40 ms, or what "q" made of it).
struct TimelineRow {
    uint32_t after;      // centiseconds, strict comparison
    uint32_t sceneMask;
    int32_t stepPeriod;  // ms per update step, 0 for no period of its own
};

// Cues, in centiseconds after the start of their scene (its row's `after`),
// strict like the rows: the cue holds once DemoTime has passed it.
constexpr uint32_t PortraitFastSpinAfter = 1150;   // the star spins fast for one second
constexpr uint32_t PortraitFastSpinBefore = 1250;  //   from here on, slow again
constexpr uint32_t RainThickensAfter = 500;        // the rain thickens, 1 a step
constexpr uint32_t SunRaysFadeAfter = 2800;        // the last ten seconds fade to black

// The step lengths: the flares run on 25 ms steps, the forest on 60 ms and
// the attractor goes back to 40 ms, set on every step of their rows (so the
// q key's 10 ms steps last one step there). Every other row, 0, keeps the
// length in force: the jungle keeps the flares' 25 ms (or the q key's 10 ms
// until the next press), every scene after the attractor its 40 ms. From the
// knot's first row on, four scenes take turns every two seconds, twice over:
// the leaves and the cloud flight move faster there.
constexpr TimelineRow TimelineRows[] = {
    {0, CreditsIrisBit, 0},
    {2400, FlarePyramidBit, 25},
    {3200, FlarePyramidBit | ZoomTrailsBit, 25},
    {4000, JungleBit, 0},
    {4800, ForestCalendarBit, 60},
    {6400, AttractorGlowBit, 40},
    {8000, SandRevealBit, 0},
    {8800, SpinningLeavesBit, 0},
    {10400, SpiderWebBit, 0},        // the thread's stages: spider_web.cpp
    {12350, BlackInterludeBit, 0},
    {12450, PortraitBit, 0},         // PortraitFastSpinAfter, PortraitFastSpinBefore
    {14500, RainBit, 0},             // RainThickensAfter
    {15800, FloodingLogoBit, 0},
    {16500, MaskFlashBit, 0},        // the flashes: mask_flash.cpp
    {17400, RisingWavesBit, 0},
    {18200, GreetingsBit, 0},        // the words' cues: greetings_clouds.cpp
    {21600, CloudFlightBit, 0},
    {23000, SpinningKnotBit, 0},
    {23200, DoubleRotoBit, 0},
    {23400, CloudFlightBit, 0},
    {23600, SpinningLeavesBit, 0},
    {23800, SpinningKnotBit, 0},
    {24000, DoubleRotoBit, 0},
    {24200, CloudFlightBit, 0},
    {24400, SpinningLeavesBit, 0},
    {24600, SunRaysBit, 0},          // SunRaysFadeAfter
    {28400, EndOfShow, 0},
};

// The `after` of the first row that sets `bit`: the scene's first start.
constexpr uint32_t sceneStart(uint32_t bit)
{
    for (const TimelineRow& row : TimelineRows)
        if (row.sceneMask & bit)
            return row.after;
    throw "no row sets this bit";
}
