// The show's whole running state in one copy: the clock's counters, every
// scene's own state, the meshes the scenes turn, the forest and the greetings,
// the random generator, the work buffers, the screen's picture, depths and
// palette. Restoring a copy puts the show exactly where it was when the copy
// was taken; the tables built at start-up and the loaded pictures never
// change while the show runs and are not copied.
#pragma once

#include <cstdint>
#include <vector>

struct ShowSnapshot {
    std::vector<uint8_t> bytes;
};

void takeSnapshot(ShowSnapshot& snapshot);
void restoreSnapshot(const ShowSnapshot& snapshot);

// Kept once, at the end of start-up, before the music starts: the state
// that start-up leaves behind (the leaves' random spins, the forest's
// depths, the greetings' tilts, the start palette).
void keepStartOfShow();
// Whether start-up has got that far: before, there is nothing to reset to.
bool startOfShowKept();

// Puts the whole show back to its state at the start of the music: every
// scene to its start values, everything start-up made as it made it. The
// clock itself is the caller's: the show's time runs from ShowStartTicks.
void resetShow();
