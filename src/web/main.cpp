// The show in a browser. The same start-up and the same main loop as the
// desktop show (show/loop.h); the browser's frame callback runs one pass of
// it at a time. Only the platform seams differ:
//   clock     the page's clock, which follows the music's playing position
//   music     the page plays the Ogg file through the browser's audio
//   pictures  indices decoded ahead of time by the desktop loader
//   display   each presented picture goes to the page's canvas through the
//             palette in force
// With a virtual time the page asks for (?at=MS), the show runs on the
// recorder's virtual clock instead, silent, up to that time and stops there
// with the picture on display at MS, as `demo-capture --at MS` records it.
// A start time (?t=SECONDS) and the page's jump keys and scene list jump as
// the desktop show does (show/seek.h); the page carries the music along.
#include "core/clock.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "show/loop.h"
#include "show/seek.h"
#include "show/startup.h"
#include "web/baked_pictures.h"

#include <emscripten.h>

// The page's side (web/show.js): its clock reading in ms, the music, the
// canvas, and the virtual time asked for (-1: none).
EM_JS(uint32_t, pageClock, (), { return Module.showPage.clock(); });
EM_JS(void, pagePlayMusic, (), { Module.showPage.playMusic(); });
EM_JS(void, pageStopMusic, (), { Module.showPage.stopMusic(); });
// The palette in force is the one SDL keeps for the screen: 256 RGBA entries.
EM_JS(void, pageDraw, (const uint8_t* pixels), {
    var colours = SDL.surfaces[SDL.screen].colors32;
    if (colours)
        Module.showPage.draw(HEAPU8.subarray(pixels, pixels + 320 * 240), colours);
});
EM_JS(void, pageShowEnded, (uint32_t at), { Module.showPage.ended(at); });
EM_JS(int32_t, pageVirtualTime, (), { return Module.showPage.virtualTime(); });
EM_JS(int32_t, pageStartTime, (), { return Module.showPage.startTime(); });
EM_JS(void, pageSeekMusic, (uint32_t showMs), { Module.showPage.seekMusic(showMs); });
EM_JS(void, pageCaption, (const char* text), { Module.showPage.caption(text ? UTF8ToString(text) : null); });
// One scene a line: its start in ms, a space, its name.
EM_JS(void, pageSceneList, (const char* lines), { Module.showPage.sceneList(UTF8ToString(lines)); });

static ShowLoop Loop;
static uint32_t StopAt = 0;  // virtual runs: the time whose picture is wanted, ms

static bool readBaked(Picture& picture, const char* path, const Screen& screen, bool grayscale)
{
    return readBakedPicture("baked/" + bakedPictureName(path, screen, grayscale), picture);
}

static void silence()
{
}

// The caption lies over the canvas in the page, never in the picture.
static void drawWithCaption()
{
    pageDraw(MainScreen.pixels);
    pageCaption(CaptionShown ? captionText().c_str() : nullptr);
}

static void drawIfPresented(uint32_t, bool presented)
{
    if (presented) {
        notePresented();
        drawWithCaption();
    }
}

static void sendSceneList()
{
    std::string lines;
    for (const SceneStart& start : sceneStartList())
        lines += std::to_string(start.showMs) + " " + start.name + "\n";
    pageSceneList(lines.c_str());
}

static void endShow()
{
    emscripten_cancel_main_loop();
    stopMusic();
    pageDraw(MainScreen.pixels);
    pageShowEnded(clockTicks());
}

static void realPass()
{
    if (!runLoopPass(Loop))
        endShow();
}

// The recorder's rule: the picture wanted at StopAt is the one on display
// when the first pass after StopAt begins.
static bool untilStopTime(uint32_t now)
{
    return now <= StopAt;
}

// The recorder's pacing at no frame cost: a pass that neither presented nor
// slept still moves the virtual clock by 1 ms, so a pause cannot hold it.
static void settleVirtualPass(uint32_t passStart, bool presented)
{
    if (!presented && clockTicks() == passStart)
        advanceVirtualClock(1);
}

// Up to a second of show time per browser frame, so the page stays live.
static void virtualPasses()
{
    const uint32_t sliceEnd = clockTicks() + 1000;
    while (clockTicks() < sliceEnd)
        if (!runLoopPass(Loop)) {
            endShow();
            return;
        }
    pageDraw(MainScreen.pixels);
}

int main()
{
    PictureSource = readBaked;
    const int32_t virtualTime = pageVirtualTime();
    const bool virtualRun = virtualTime >= 0;
    if (virtualRun) {
        useVirtualClock(0);
        StopAt = uint32_t(virtualTime);
        Music = {silence, silence};
        Loop.seams = {untilStopTime, settleVirtualPass, nullptr};
    } else {
        useExternalClock(pageClock);
        Music = {pagePlayMusic, pageStopMusic};
        Loop.seams.afterPass = drawIfPresented;
        Jumps = {pageSeekMusic, drawWithCaption};
    }
    constructShowObjects();
    prepareShow();
    // Where the browser blocks sound until a click, the page's clock stands
    // at 0 until then, and so does the show.
    startMusic();
    if (!virtualRun) {
        sendSceneList();
        if (pageStartTime() >= 0)
            jumpTo(uint32_t(pageStartTime()), false);
    }
    emscripten_set_main_loop(virtualRun ? virtualPasses : realPass, 0, 0);
    return 0;
}

// The page's jump keys and scene list: the page shows its notice first and
// calls these once it has been painted, as a jump takes a moment. The page
// numbers the keys itself (0 right arrow, 1 left arrow, 2 Home, 3 i), as the
// browser's SDL numbers them otherwise than the desktop's.
extern "C" EMSCRIPTEN_KEEPALIVE void pressJumpKey(int32_t key)
{
    static const SDLKey Keys[] = {SDLK_RIGHT, SDLK_LEFT, SDLK_HOME, SDLK_i};
    if (key < 0 || key > 3)
        return;
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = Keys[key];
    handleJumpKey(event);
}

extern "C" EMSCRIPTEN_KEEPALIVE void jumpToScene(uint32_t showMs)
{
    jumpTo(showMs, showMs != 0);
}

// The show's time in ms as its frames see it (DemoTime is in centiseconds),
// for the page to set beside the music's position.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t showTimeMs()
{
    return DemoTime * 10;
}
