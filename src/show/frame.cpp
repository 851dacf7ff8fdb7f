#include "show/frame.h"

#include "core/clock.h"
#include "core/palette.h"
#include "show/palette_switch.h"
#include "show/schedule.h"
#include "core/screen.h"
#include "scenes/registry.h"

#include <cstring>

void toggleTickPeriod()
{
    TickPeriod = TickPeriod == 40 ? 10 : 40;
}

static void runUpdateBlocks()
{
    for (uint32_t bit : UpdateOrder)
        if (SceneMask & bit)
            if (const SceneBlocks* scene = sceneForBit(bit); scene && scene->update)
                scene->update();
}

static void runDrawBlocks()
{
    for (uint32_t bit : DrawOrder)
        if (SceneMask & bit)
            if (const SceneBlocks* scene = sceneForBit(bit); scene && scene->draw)
                scene->draw();
}

// One update step. NextTickTime moves on before the scene's step length is
// applied, so a new length takes effect from the next step.
static void runUpdateStep()
{
    const uint32_t second = DemoTime / 100;
    NextTickTime += TickPeriod;
    if (LastSecond != second)
        SecondChanged = 1;
    TickCount += 1;
    SceneMask = applyTimeline(DemoTime, SceneMask);
    TickPeriod = applyStepPeriod(DemoTime, TickPeriod);
    LastSecond = second;
    runUpdateBlocks();
}

static void render()
{
    switchPalette();
    if (SceneMask == BlankStart)
        std::memset(MainScreen.pixels, 0, ScreenPixels);
    runDrawBlocks();
    presentScreen(MainScreen);
}

void runFrame()
{
    DemoTime = (clockTicks() - ShowStartTicks) / 10;
    const uint32_t now = clockTicks();
    if (Paused) {
        // Keeps the deadline at the clock, so resuming runs one step, not a burst.
        NextTickTime = now;
        return;
    }
    if (now <= NextTickTime) {
        clockDelay(1);
        return;
    }
    if (FirstRender) {
        FirstRender = 0;
        std::memset(WorkBufferA, 0, sizeof WorkBufferA);
        std::memset(WorkBufferB, 0, sizeof WorkBufferB);
    }
    do
        runUpdateStep();
    while (NextTickTime < now && !Paused);
    render();
}
