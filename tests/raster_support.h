// Meshes built straight from screen positions, a private screen to draw on,
// and a plain rasteriser written from the drawing rules, for the tests of the
// two rasterisers and the benchmark-free comparison over random faces.
#pragma once

#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "core/screen.h"

#include <cstdint>
#include <memory>
#include <vector>

// A screen record of its own whose pixels live in a plain buffer.
struct Canvas {
    Canvas();
    void fill(uint8_t colour, int32_t depth);
    uint8_t pixel(int x, int y) const { return screen->pixels[y * 320 + x]; }
    int32_t depth(int x, int y) const { return screen->depth[y * 320 + x]; }

    std::unique_ptr<Screen> screen;
    std::vector<uint8_t> pixels;
};

// A 256 x 256 texture (plus the spare byte) whose texel i is `texel(i)`.
struct Texture {
    explicit Texture(uint8_t (*texel)(int));
    Picture picture{};
    std::vector<uint8_t> pixels;
};

// One projected corner: screen position 24.8, depth 8.8, texture 16.16.
struct TestCorner {
    int32_t x, y, z, u = 0, v = 0;
};

// A mesh of independent triangles, each corner its own vertex and texture
// vertex, with the defaults loadMesh gives.
struct TestMesh {
    TestMesh(Canvas& canvas, Picture& texture, const std::vector<TestCorner>& corners);
    Mesh mesh{};
    std::vector<int32_t> faces, texFaces, texCoords, faceArea, screenX, screenY, depth;
};

// Corner helper in whole pixels.
inline TestCorner at(double x, double y, int32_t z = 0, int32_t u = 0, int32_t v = 0)
{
    return {int32_t(x * 256), int32_t(y * 256), z, u, v};
}

// The rules followed literally: every row and every sample walked, every
// clip tested per sample.
void plainDrawMesh(Mesh& mesh);
void plainDrawMeshFlat(Mesh& mesh, int32_t colour);
