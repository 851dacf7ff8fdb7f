// The show clock, the update steps and the one render per due call.
#pragma once

#include "core/show_state.h"

// One pass of the show: catch up with the clock in update steps, then render
// and present once. Sleeps 1 ms when no step is due.
void runFrame();

void toggleTickPeriod();   // the "q" key: 40 ms <-> 10 ms, any other value -> 40
