// The show's only source of time. The show runs on SDL's millisecond clock;
// the recorder switches to a virtual clock that moves only when the show
// sleeps, so every run gives the same frames; the browser installs a clock of
// its own that follows the music's playing position.
#pragma once

#include <cstdint>

uint32_t clockTicks();               // milliseconds since the clock started
void clockDelay(uint32_t milliseconds);

void useVirtualClock(uint32_t startMilliseconds);
bool virtualClockInUse();
void advanceVirtualClock(uint32_t milliseconds);

// Replaces SDL's clock with `ticks`. Delays on it return at once unless
// `sleeps`: a front end whose clock is not the wall clock paces the loop
// itself (the browser's frame callback), while a clock that runs with the wall
// clock (the music's position on the desktop) still sleeps in SDL_Delay.
void useExternalClock(uint32_t (*ticks)(), bool sleeps = false);

// SDL's clock again, as at start: neither virtual nor external.
void useSdlClock();

// Which clock is in use, so that a front end can run the show ahead on the
// virtual clock and then go back to the one it had.
struct ClockChoice {
    bool virtualClock;
    uint32_t virtualNow;
    uint32_t (*externalTicks)();
};
ClockChoice currentClock();
void useClock(const ClockChoice& choice);
