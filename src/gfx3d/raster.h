// The two triangle rasterisers and the depth buffer they share.
#pragma once

#include "gfx3d/mesh.h"
#include "core/screen.h"

#include <cstdint>

// Every depth entry becomes v * 256.
void clearDepth(Screen& screen, int32_t v);
// The same for the entries of the top-left width x height pixels only.
void clearDepthCorner(Screen& screen, int32_t v, int32_t width, int32_t height);
// Texture-mapped, depth-tested triangles, faces in file order.
void drawMesh(Mesh& mesh);
// One-colour triangles, no depth buffer, optionally darkened per face.
void drawMeshFlat(Mesh& mesh, int32_t colour);
