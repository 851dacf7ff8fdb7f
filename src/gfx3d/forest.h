// The forest set: three flat trunks and sixteen textured leaf planes gliding
// towards the eye.
#pragma once

#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "platform/screen.h"

struct Forest {
    Screen* screen;
    Mesh trunks[3];
    Mesh leavesLeft[8];
    Mesh leavesRight[8];
    Picture leafTexture;
    Picture trunkTexture;
};

extern Forest SceneForest;

// Loads the forest's palette, pictures and meshes; runs at its place in the
// asset sequence, with `screen` already set.
void createForest(Forest& forest);
void tickForest(Forest& forest);
void drawForest(Forest& forest);
