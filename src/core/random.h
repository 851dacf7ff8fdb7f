// The show's one source of chance. Bites in the sand, rain drops, sparks, the
// leaves' spins and the forest's depths all draw from it, in a fixed order, so
// the same run gives the same pictures on every platform: the sequence is the
// one the desktop's C library (glibc) gives rand() in a program that never
// seeds it, computed here rather than taken from whichever C library links.
#pragma once

#include <cstdint>

// glibc's default generator: an additive lagged Fibonacci generator,
// r[i] = r[i-31] + r[i-3] (mod 2^32), seeded through a Park-Miller sequence
// whose first 310 outputs are dropped; a draw is r[i] >> 1.
struct RandomState {
    uint32_t ring[34];  // the last 34 values of r
    int32_t next;       // the ring slot that receives the next value
};

// The generator the show draws from; copied whole by snapshots and resets.
extern RandomState ShowRandom;

// Starts the sequence as srand(seed) does; seed 0 counts as 1, and 1 is the
// sequence of a program that never seeds.
void seedShowRandom(uint32_t seed);
// The next draw, 0 .. 2^31 - 1, as rand() gives it.
int32_t showRandom();
