// The scenes plug in here: one entry per scene bit with its update block
// (once per update step) and its draw block (once per presented frame).
#pragma once

#include <cstdint>
#include <string>

struct SceneBlocks {
    uint32_t bit;
    const char* name;
    void (*update)();  // may be null: the scene has no update block
    void (*draw)();    // may be null: the scene has no draw block
};

// The entry registered for a single scene bit, or null.
const SceneBlocks* sceneForBit(uint32_t bit);

// The names of the scenes in a scene mask joined by " + ", "end of the show"
// for its bit, "blank" when the mask names none.
std::string sceneMaskNames(uint32_t mask);
