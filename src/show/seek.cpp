#include "show/seek.h"

#include "core/clock.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "scenes/registry.h"
#include "show/frame.h"
#include "show/schedule.h"
#include "show/snapshot.h"

#include <cstdio>
#include <ctime>
#include <vector>

JumpSeams Jumps;
static uint32_t PictureTime = 0;  // show time of the picture on display, ms
bool CaptionShown = false;
std::string JumpNotice;

namespace {

// Within this much of a scene's start the left arrow goes to the scene
// before, so that pressing it twice walks back.
constexpr uint32_t BackWindowMs = 2000;

// A scene's first update step is the first whose DemoTime (centiseconds,
// truncated) passes its row: at (after + 1) * 10 ms of show time.
uint32_t rowStart(const TimelineRow& row)
{
    return (row.after + 1) * 10;
}

// Asked on every pass of a jump's run: built once.
const std::vector<uint32_t>& sceneStarts()
{
    static const std::vector<uint32_t> starts = [] {
        std::vector<uint32_t> times;
        for (const SceneStart& start : sceneStartList())
            times.push_back(start.showMs);
        return times;
    }();
    return starts;
}

struct KeptState {
    uint32_t clock;  // the virtual clock's reading, ms
    ShowSnapshot snapshot;
};
std::vector<KeptState> Kept;  // in order of their clock readings

// The kept state latest at or before `showMs`, or null.
const KeptState* keptBefore(uint32_t showMs)
{
    const KeptState* best = nullptr;
    for (const KeptState& kept : Kept)
        if (kept.clock <= showMs)
            best = &kept;
    return best;
}

void keepState(uint32_t clock)
{
    for (const KeptState& kept : Kept)
        if (kept.clock == clock)
            return;
    KeptState kept{clock, {}};
    takeSnapshot(kept.snapshot);
    auto at = Kept.begin();
    while (at != Kept.end() && at->clock < clock)
        ++at;
    Kept.insert(at, std::move(kept));
}

}  // namespace

std::vector<SceneStart> sceneStartList()
{
    std::vector<SceneStart> starts = {{0, "start"}};
    for (const TimelineRow& row : Timeline)
        if (row.sceneMask != EndOfShow)
            starts.push_back({rowStart(row), sceneMaskNames(row.sceneMask)});
    return starts;
}

uint32_t sceneStartAfter(uint32_t showMs)
{
    for (uint32_t start : sceneStarts())
        if (start > showMs)
            return start;
    return showMs;
}

uint32_t sceneStartBack(uint32_t showMs)
{
    const std::vector<uint32_t>& starts = sceneStarts();
    size_t current = 0;
    while (current + 1 < starts.size() && starts[current + 1] <= showMs)
        ++current;
    if (showMs - starts[current] < BackWindowMs && current > 0)
        --current;
    return starts[current];
}

// One pass of the recorder's loop at no frame cost (a pass that neither
// presents nor sleeps does not occur: the show is never paused on the way),
// keeping the state at each scene start it reaches.
static void runPass()
{
    for (uint32_t start : sceneStarts())
        if (start == clockTicks())
            keepState(start);
    runFrame();
}

void runShowTo(uint32_t showMs)
{
    if (const KeptState* kept = keptBefore(showMs)) {
        useVirtualClock(kept->clock);
        restoreSnapshot(kept->snapshot);
    } else {
        useVirtualClock(0);
        resetShow();
        ShowStartTicks = 0;
    }
    Paused = 0;
    DisplayHeld = true;
    while (clockTicks() <= showMs && !(SceneMask & EndOfShow))
        runPass();
    DisplayHeld = false;
}

uint32_t runShowToPicture(uint32_t showMs)
{
    runShowTo(showMs);
    DisplayHeld = true;
    const uint32_t presented = PresentedFrames;
    while (PresentedFrames == presented && !(SceneMask & EndOfShow))
        runPass();
    const uint32_t shownAt = clockTicks();
    while (clockTicks() <= shownAt && !(SceneMask & EndOfShow))
        runPass();
    DisplayHeld = false;
    return shownAt;
}

uint32_t jumpTo(uint32_t showMs, bool toPicture)
{
    if (!startOfShowKept())
        return showMs;
    const ClockChoice playing = currentClock();
    const uint8_t paused = Paused;
    // On a machine shared with other work the wall time says little alone.
    const uint32_t began = SDL_GetTicks();
    const std::clock_t processorBegan = std::clock();
    JumpNotice = "to " + std::to_string(showMs / 1000) + "." + std::to_string(showMs / 100 % 10) + " s";
    if (Jumps.show)
        Jumps.show();
    if (toPicture)
        showMs = runShowToPicture(showMs);
    else
        runShowTo(showMs);
    JumpNotice.clear();
    // The virtual clock stands just past showMs; the clock the show plays on
    // takes over from there, its readings shifted by the difference.
    const uint32_t virtualNow = clockTicks();
    useClock(playing);
    if (Jumps.seekMusic)
        Jumps.seekMusic(showMs);
    const uint32_t shift = clockTicks() - virtualNow;
    ShowStartTicks += shift;
    NextTickTime += shift;
    Paused = paused;
    notePresented();
    if (Jumps.show)
        Jumps.show();
    std::fprintf(stderr, "demo: jumped to %u ms, computed in %u ms (%u ms of processor time)\n",
                 unsigned(showMs), unsigned(SDL_GetTicks() - began),
                 unsigned((std::clock() - processorBegan) * 1000 / CLOCKS_PER_SEC));
    return showMs;
}

void notePresented()
{
    PictureTime = DemoTime * 10;
}

bool handleJumpKey(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN)
        return false;
    const uint32_t now = PictureTime;
    switch (event.key.keysym.sym) {
    case SDLK_RIGHT:
        if (sceneStartAfter(now) != now)
            jumpTo(sceneStartAfter(now), true);
        return true;
    case SDLK_LEFT:
        jumpTo(sceneStartBack(now), true);
        return true;
    case SDLK_HOME:
        jumpTo(0, false);
        return true;
    case SDLK_i:
        CaptionShown = !CaptionShown;
        if (Jumps.show)
            Jumps.show();
        return true;
    default:
        return false;
    }
}

std::string captionText()
{
    char time[32];
    std::snprintf(time, sizeof time, "  %u.%02u s", unsigned(DemoTime / 100), unsigned(DemoTime % 100));
    return sceneMaskNames(SceneMask) + time;
}
