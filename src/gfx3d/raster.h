// The two triangle rasterisers and the depth buffer they share.
#pragma once

#include "gfx3d/mesh.h"
#include "core/screen.h"

#include <cstdint>

// A texture's 65536 texel bytes read as one ring and cut into runs of the
// see-through colour and runs of other texels. Entry i describes the run from
// texel i on, to the run's end or at most once round the ring: its length
// times 256, the walk positions it spans, with OpaqueRun added for a run of
// other texels. A mesh that points to its texture's runs has rows along one
// texel row drawn a run at a time instead of a texel at a time.
struct TexelRuns {
    uint32_t reach[65536];
};
constexpr uint32_t OpaqueRun = 0x80000000u;
void findTexelRuns(TexelRuns& runs, const uint8_t* texels, int32_t seeThrough);

// Of `remaining` samples stepping `du` > 0 walk positions each, how many fall
// in a run that reaches `ahead` positions on (1 to 2^24): ceil(ahead / du),
// at most `remaining`.
uint32_t samplesInRun(uint32_t ahead, uint32_t du, uint32_t remaining);

// Every depth entry becomes v * 256.
void clearDepth(Screen& screen, int32_t v);
// The same for the entries of the top-left width x height pixels only.
void clearDepthCorner(Screen& screen, int32_t v, int32_t width, int32_t height);
// Texture-mapped, depth-tested triangles, faces in file order.
void drawMesh(Mesh& mesh);
// One-colour triangles, no depth buffer, optionally darkened per face.
void drawMeshFlat(Mesh& mesh, int32_t colour);
