// The leaves' meshes and spin rates, set up while the data files load.
#pragma once

#include "gfx3d/mesh.h"

#include <cstdint>

constexpr int LeafCount = 24;

extern uint8_t RingBackground[76800];  // rings about the screen centre, per pixel
extern Mesh leafMeshes[LeafCount];
extern int32_t leafSpinX[LeafCount];  // angle steps per update step, 40..59
extern int32_t leafSpinZ[LeafCount];

// Loads the 24 leaves from one mesh file, taking four random draws a leaf.
void loadLeaves(Picture& texture);

// The ring backdrop, built once before the music starts, after the credits' distance map.
void buildRingBackground();
