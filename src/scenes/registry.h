// The scenes plug in here: one entry per scene bit with its update block
// (once per update step) and its draw block (once per presented frame).
#pragma once

#include "scenes/scene_bits.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// A scene's own state, at the top of its file: copied whole by a snapshot,
// put back to its start values by `reset`. Left empty by a scene whose every
// step follows from the clock, the shared state and the meshes it turns.
struct SceneState {
    void (*reset)() = nullptr;
    void* data = nullptr;
    size_t bytes = 0;
};

struct SceneBlocks {
    uint32_t bit;
    const char* name;
    void (*update)();  // may be null: the scene has no update block
    void (*draw)();    // may be null: the scene has no draw block
    SceneState own;
};

// Every registered scene, in the registry's order.
std::span<const SceneBlocks> allScenes();

// The entry registered for a single scene bit, or null.
const SceneBlocks* sceneForBit(uint32_t bit);

// The names of the scenes in a scene mask joined by " + ", "end of the show"
// for its bit, "blank" when the mask names none.
std::string sceneMaskNames(uint32_t mask);
