// The forest set: three flat trunks and sixteen textured leaf planes gliding
// towards the eye.
#pragma once

#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "gfx3d/raster.h"
#include "core/screen.h"

#include <cstdint>

constexpr int ForestTrunkCount = 3;
constexpr int ForestLeafPairs = 8;

// Trunks move 512 (2 model units, 8.8) towards the eye per tick; one that
// would pass the eye's depth jumps 32768 (128 units) back.
constexpr int32_t ForestStep = 512;
constexpr int32_t TrunkNearLimit = -43520;
constexpr int32_t TrunkJumpBack = 32768;
// Leaves jump back 19968 (78 units) once past -160 units, and a pair is
// projected and drawn only while nearer than -90 units.
constexpr int32_t LeafNearLimit = -40960;
constexpr int32_t LeafJumpBack = 19968;
constexpr int32_t LeafShownDepth = -23040;
constexpr uint8_t TrunkColour = 17;
constexpr int32_t LeafSeeThrough = 254;

struct Forest {
    Screen* screen;
    Mesh trunks[ForestTrunkCount];     // "data/junkka.ob", drawn flat
    Mesh leavesLeft[ForestLeafPairs];  // "data/plane.ob", the row at x = -15 units
    Mesh leavesRight[ForestLeafPairs]; // the row at x = +15 units
    Picture leafTexture;               // "data/lehdet", 254 is see-through
    Picture trunkTexture;              // "data/puut", loaded but never sampled
    TexelRuns leafRuns;                // the leaf texture's runs of 254
};

extern Forest SceneForest;

// Loads the forest's palette, pictures and meshes; runs at its place in the
// asset sequence, with `screen` already set.
void createForest(Forest& forest);
// Sets the start placement of every loaded mesh. The leaf rows take one random draw
// each for their depth, in the order left 0, right 0, left 1, right 1, ...
void placeForest(Forest& forest);
// Moves every mesh one step towards the eye and projects what is in view.
void tickForest(Forest& forest);
// Trunks as silhouettes, then the leaf pairs in view, against the depth buffer
// the caller has cleared.
void drawForest(Forest& forest);
