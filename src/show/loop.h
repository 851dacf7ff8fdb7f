// The show's one main loop. The show, the recorder and every other front end
// run this same loop; they differ only at its seams: the clock (the clock
// layer: SDL's or a virtual one), what a front end does around each pass
// (record what was presented, stop at a time) and where input comes from.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

struct LoopSeams {
    // Before each pass, with the clock's reading; false ends the loop there.
    bool (*beforePass)(uint32_t now) = nullptr;
    // After runFrame; `presented` is true when the pass showed a new picture.
    void (*afterPass)(uint32_t passStart, bool presented) = nullptr;
    // The next input event; null means SDL's own queue (SDL_PollEvent).
    bool (*nextEvent)(SDL_Event& event) = nullptr;
};

struct ShowLoop {
    LoopSeams seams;
    bool quit = false;  // set by the end of the show, backspace or a quit request
};

// One pass: the front end's check, runFrame, the end-of-show check, then the
// events drained. Returns false once the loop has ended.
bool runLoopPass(ShowLoop& loop);
// Passes until the loop ends.
void runShowLoop(ShowLoop& loop);
