// Set-up shared by the two rasterisers: which faces are drawn, their area and
// shade, and their corners ordered from top to bottom.
#pragma once

#include "gfx3d/mesh.h"

#include <cstdint>

// One corner of a projected face: screen position (24.8), view depth (8.8)
// and texture position (16.16; left 0 for flat faces).
struct Corner {
    int32_t x, y, z, u, v;
};

// Corners at or nearer than this depth (8.8) are behind a usable eye: the
// face is dropped whatever the mesh's own eye depth.
constexpr int32_t NearDepthLimit = -43520;
// The screen's extent in 24.8.
constexpr int32_t ScreenRightFixed = ScreenWidth * 256;
constexpr int32_t ScreenBottomFixed = ScreenHeight * 256;

// Wrapping multiply by 256: the 32-bit result of v << 8 for any sign.
inline int32_t shiftLeft8(int32_t v)
{
    return int32_t(uint32_t(v) << 8);
}

// Sets up face f: stores its doubled signed area in faceArea[f] (also for a
// dropped face) and, for a face that is drawn, lastFace and, when shaded,
// shadeOffset. Returns false for a dropped, back-facing or degenerate face;
// otherwise `corners` holds T, M, B in ascending y, equal y in file order.
bool setUpFace(Mesh& mesh, int32_t f, bool textured, Corner (&corners)[3]);
