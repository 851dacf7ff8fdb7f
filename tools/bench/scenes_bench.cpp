// demo-bench, whole scenes: each row of the show's timeline measured over
// frames of its own span, on the real data set, in the state the show gives
// it. One iteration is one presented frame of the show's own loop (its update
// step, its drawing, the palette switch and the present) on the virtual
// clock, which gives one update step a frame. The show only runs forward, so
// the rows come in show order, and each row takes only as many iterations as
// its span holds frames at the slowest update period (60 ms): no scene is
// measured past its end. Needs data/ (run from the repository root); skipped
// without it.
#include "core/clock.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "show/loop.h"
#include "show/schedule.h"
#include "show/startup.h"
#include "scenes/registry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr uint32_t SlowestTickPeriod = 6;  // centiseconds per update step

ShowLoop& showLoop()
{
    static ShowLoop loop;
    return loop;
}

bool showReady()
{
    static int ready = -1;
    if (ready < 0) {
        ready = std::filesystem::exists("data/tausta") ? 1 : 0;
        if (ready) {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            useVirtualClock(0);
            constructShowObjects();
            prepareShow();
            ShowStartTicks = 0;
        }
    }
    return ready == 1;
}

// Passes of the show's loop until it presents a frame (or ends).
void presentOneFrame()
{
    const uint32_t before = PresentedFrames;
    while (PresentedFrames == before && runLoopPass(showLoop())) {
    }
}

// Frames until the show's time has passed `centiseconds` (never backwards).
void runShowTo(uint32_t centiseconds)
{
    while (DemoTime <= centiseconds && !showLoop().quit)
        presentOneFrame();
}

void SceneFrames(benchmark::State& state, uint32_t start)
{
    if (!showReady()) {
        state.SkipWithError("no data set in data/");
        return;
    }
    runShowTo(start);
    for (auto _ : state)
        presentOneFrame();
    state.SetLabel(sceneMaskNames(SceneMask));
}

// One benchmark per timeline row with a scene, named by its start and scene.
[[maybe_unused]] const bool Registered = [] {
    for (size_t row = 0; row + 1 < Timeline.size(); ++row) {
        const uint32_t start = Timeline[row].after;
        const uint32_t frames = (Timeline[row + 1].after - start) / SlowestTickPeriod - 1;
        const std::string name = "Scene/" + std::to_string(start) + "/" +
                                 sceneMaskNames(Timeline[row].sceneMask);
        benchmark::RegisterBenchmark(name.c_str(), SceneFrames, start)
            ->Iterations(frames)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace
