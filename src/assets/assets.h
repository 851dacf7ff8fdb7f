// The pictures and meshes the scenes share, loaded once before the music
// starts (show/load.cpp holds the order).
#pragma once

#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"

#include <cstdint>

extern Picture flarePicture;       // 32 x 32 additive glow
extern Picture cloud1Picture;      // 256 x 256, values 0..31 after darkenClouds
extern Picture cloud2Picture;
extern Picture cloud3Picture;
extern Picture creditsPicture;     // 320 x 512: four 320 x 128 panels
extern Picture rotoPicture;        // 256 x 256 tile
extern Picture birdPicture;        // 192 x 32: six 32 x 32 frames
extern Picture lightningPicture;   // 256 x 192 bit planes
extern Picture landscapePicture;   // 320 x 240, sky is index 255
extern Picture heightMapPicture;   // 320 x 240 sand heights
extern Picture sandLogoPicture;    // 320 x 240, indices 0..127
extern Picture sandPicture;        // 320 x 240, indices 128..255
extern Picture knotTexture;
extern Picture leafTexture;
extern Picture maskPicture;        // 320 x 240
extern Picture junglePicture;      // 684 x 248
extern Picture portraitPicture;    // 320 x 240
extern Picture starTexture;
extern Picture forestPicture;      // 320 x 240 web backdrop
extern Picture spiderTexture;
extern Picture calendarTexture;
extern Picture stoneBlockPicture;  // 256 x 256, indices 0..127
extern Picture backgroundPicture;  // 320 x 240 attractor backdrop

extern Mesh knotMesh;
extern Mesh starMesh;
extern Mesh spiderMesh;
extern Mesh calendarMesh;
extern Mesh pyramidMesh;
