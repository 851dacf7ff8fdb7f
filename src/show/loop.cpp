#include "show/loop.h"

#include "core/clock.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "show/frame.h"
#include "show/startup.h"

static bool nextEvent(const LoopSeams& seams, SDL_Event& event)
{
    return seams.nextEvent ? seams.nextEvent(event) : SDL_PollEvent(&event) != 0;
}

bool runLoopPass(ShowLoop& loop)
{
    if (loop.quit)
        return false;
    const uint32_t passStart = clockTicks();
    if (loop.seams.beforePass && !loop.seams.beforePass(passStart)) {
        loop.quit = true;
        return false;
    }
    const uint32_t presentsBefore = PresentedFrames;
    runFrame();
    if (loop.seams.afterPass)
        loop.seams.afterPass(passStart, PresentedFrames != presentsBefore);
    // The pass that reaches the end still drains its events.
    if (SceneMask & EndOfShow)
        loop.quit = true;
    SDL_Event event;
    while (nextEvent(loop.seams, event))
        handleEvent(event, loop.quit);
    return !loop.quit;
}

void runShowLoop(ShowLoop& loop)
{
    while (runLoopPass(loop)) {
    }
}
