// Jumps through the show: to the start of a scene, back to the start of the
// show, or to any show time. After a jump to time T the picture on display is
// exactly the recorder's picture at T (demo-capture --at T): the show is run
// from its start (resetShow) on the virtual clock, unseen, to T, and then goes
// on with the music from there. Snapshots of the whole state are kept at the
// scene starts it passes, so a later jump runs only from the nearest one.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

// How a front end follows a jump: the music moves to the show time and the
// new picture is shown (with the caption or notice, if any). Set by the
// front end before the first jump.
struct JumpSeams {
    void (*seekMusic)(uint32_t showMs) = nullptr;
    void (*show)() = nullptr;
};
extern JumpSeams Jumps;

// The scenes in show order with the show time (ms) at which each starts: the
// first update step whose DemoTime passes its timeline row. The first entry
// is the show's own start, at 0.
struct SceneStart {
    uint32_t showMs;
    std::string name;
};
std::vector<SceneStart> sceneStartList();
uint32_t sceneStartAfter(uint32_t showMs);   // the next scene's; showMs itself if none
uint32_t sceneStartBack(uint32_t showMs);    // the current scene's, or the one before
                                             // it within the first 2 s of a scene
// Runs the show on the virtual clock to the picture the recorder has at
// `showMs`, leaving the virtual clock just past it. The display is held.
void runShowTo(uint32_t showMs);
// The same on to the first picture presented after `showMs` (at a scene's
// start, the scene's first picture): returns the time it was presented.
uint32_t runShowToPicture(uint32_t showMs);

// Jumps to `showMs` (with `toPicture`, on to the next picture presented, as
// runShowToPicture) while the show plays on the clock it uses: the clock and
// the music carry on from there, and a pause stays. Returns the show time
// jumped to.
uint32_t jumpTo(uint32_t showMs, bool toPicture);

// Called by the front end after each pass that presented a picture: the
// jump keys count from the time of the picture on display, which a pause
// holds while the show's clock runs on.
void notePresented();

// The jump keys: right arrow (next scene), left arrow (this scene's start, or
// the one before), Home (the show's start), i (the caption). True when the
// event was one of them.
bool handleJumpKey(const SDL_Event& event);

// The caption's text: the scene on screen and the show time, "spider web
// 107.24 s". Shown over the presented picture while `CaptionShown`.
std::string captionText();
extern bool CaptionShown;
// Set while a jump computes: the notice's text, shown over the last picture.
extern std::string JumpNotice;
