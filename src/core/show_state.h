// The show's running state: the clock readings, the update steps, the scene
// code and the two work buffers. The frame loop writes it; scenes read it.
#pragma once

#include <cstdint>

extern uint32_t DemoTime;        // show time, centiseconds since ShowStartTicks
extern uint32_t ShowStartTicks;  // clock reading when the music started, ms
extern uint32_t NextTickTime;    // clock reading at or after which a step is due, ms
extern int32_t TickPeriod;       // update step length, ms (40 at start)
extern uint8_t Paused;           // toggled by the "p" key
extern int32_t TickCount;        // update steps run so far
extern uint32_t LastSecond;      // DemoTime / 100 as of the last update step
extern uint8_t SecondChanged;    // raised when the whole second changes
extern uint32_t SceneMask;       // one-hot scene code; bit 31 ends the show
extern uint8_t FirstRender;      // true until the first due call cleared the work buffers

constexpr uint32_t BlankStart = 1;  // the scene code at time 0: the screen cleared, no scene
constexpr uint32_t EndOfShow = 0x80000000u;

// Two persistent 320 x 240 byte images that scenes use for feedback and blur.
extern uint8_t WorkBufferA[76800];
extern uint8_t WorkBufferB[76800];
