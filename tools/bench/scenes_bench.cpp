// demo-bench, whole scenes: one update step plus one render of each scene's
// blocks, at a show time inside the scene, on the real data set and state.
// The show runs forward on the virtual clock from one scene to the next, so
// each scene is measured in the state the show gives it. Needs data/ (run
// from the repository root); skipped without it.
#include "core/clock.h"
#include "show/frame.h"
#include "show/schedule.h"
#include "show/startup.h"
#include "scenes/registry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

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

// Runs the show until its clock has passed `centiseconds` (never backwards).
void runShowTo(uint32_t centiseconds)
{
    while (DemoTime < centiseconds && !(SceneMask & EndOfShow))
        runFrame();
}

// The blocks runFrame would run for the active scene code, without the
// palette switch and the present.
void runActiveBlocks()
{
    for (uint32_t bit : UpdateOrder)
        if (SceneMask & bit)
            if (const SceneBlocks* scene = sceneForBit(bit); scene && scene->update)
                scene->update();
    for (uint32_t bit : DrawOrder)
        if (SceneMask & bit)
            if (const SceneBlocks* scene = sceneForBit(bit); scene && scene->draw)
                scene->draw();
}

void SceneStepAndFrame(benchmark::State& state, uint32_t centiseconds)
{
    if (!showReady()) {
        state.SkipWithError("no data set in data/");
        return;
    }
    runShowTo(centiseconds);
    for (auto _ : state)
        runActiveBlocks();
    state.SetLabel(sceneForBit(SceneMask & -SceneMask) ? sceneForBit(SceneMask & -SceneMask)->name
                                                        : "");
}

}  // namespace

// In show order: the show only runs forward.
BENCHMARK_CAPTURE(SceneStepAndFrame, credits_iris, 1200);
BENCHMARK_CAPTURE(SceneStepAndFrame, flare_pyramid_trails, 3600);
BENCHMARK_CAPTURE(SceneStepAndFrame, jungle, 4600);
BENCHMARK_CAPTURE(SceneStepAndFrame, forest_calendar, 5600);
BENCHMARK_CAPTURE(SceneStepAndFrame, attractor_glow, 7200);
BENCHMARK_CAPTURE(SceneStepAndFrame, sand_reveal, 8400);
BENCHMARK_CAPTURE(SceneStepAndFrame, spinning_leaves, 9600);
BENCHMARK_CAPTURE(SceneStepAndFrame, spider_web, 11600);
BENCHMARK_CAPTURE(SceneStepAndFrame, black_interlude, 12400);
BENCHMARK_CAPTURE(SceneStepAndFrame, portrait, 13600);
BENCHMARK_CAPTURE(SceneStepAndFrame, rain, 15500);
BENCHMARK_CAPTURE(SceneStepAndFrame, flooding_logo, 16200);
BENCHMARK_CAPTURE(SceneStepAndFrame, flashing_mask, 17000);
BENCHMARK_CAPTURE(SceneStepAndFrame, rising_waves, 17800);
BENCHMARK_CAPTURE(SceneStepAndFrame, greetings, 20000);
BENCHMARK_CAPTURE(SceneStepAndFrame, cloud_flight, 22000);
BENCHMARK_CAPTURE(SceneStepAndFrame, spinning_knot, 23100);
BENCHMARK_CAPTURE(SceneStepAndFrame, double_rotozoom, 23300);
BENCHMARK_CAPTURE(SceneStepAndFrame, sun_rays, 26000);
