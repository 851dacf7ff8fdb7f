#include "gfx3d/face.h"

#include <utility>

static Corner cornerOf(const Mesh& mesh, int32_t vertex)
{
    return {mesh.screenX[vertex], mesh.screenY[vertex], mesh.vertexDepth[vertex], 0, 0};
}

static bool isDropped(const Corner (&c)[3])
{
    for (const Corner& corner : c)
        if (corner.z <= NearDepthLimit)
            return true;
    const bool allLeft = c[0].x <= 0 && c[1].x <= 0 && c[2].x <= 0;
    const bool allRight =
        c[0].x > ScreenRightFixed && c[1].x > ScreenRightFixed && c[2].x > ScreenRightFixed;
    return allLeft || allRight;
}

// Twice the signed area in 24.8, positive for corners running clockwise on
// the screen (y down). Each 32-bit product is shifted before the difference.
static int32_t doubledArea(const Corner (&c)[3])
{
    return (((c[1].x - c[0].x) * (c[2].y - c[0].y)) >> 8) -
           (((c[1].y - c[0].y) * (c[2].x - c[0].x)) >> 8);
}

// Three-element bubble sort on y with strict comparisons: stable, so corners
// with equal y keep their file order.
static void sortByY(Corner (&c)[3])
{
    if (c[1].y < c[0].y)
        std::swap(c[0], c[1]);
    if (c[2].y < c[1].y)
        std::swap(c[1], c[2]);
    if (c[1].y < c[0].y)
        std::swap(c[0], c[1]);
}

bool setUpFace(Mesh& mesh, int32_t f, bool textured, Corner (&corners)[3])
{
    const int32_t* face = mesh.faces + 3 * f;
    for (int i = 0; i < 3; ++i)
        corners[i] = cornerOf(mesh, face[i]);
    if (textured) {
        const int32_t* texFace = mesh.texFaces + 3 * f;
        for (int i = 0; i < 3; ++i) {
            corners[i].u = mesh.texCoords[2 * texFace[i]];
            corners[i].v = mesh.texCoords[2 * texFace[i] + 1];
        }
    }
    const int32_t area = doubledArea(corners);
    mesh.faceArea[f] = area;
    if (area <= 0 || isDropped(corners))
        return false;
    mesh.lastFace = int16_t(f);
    // Faces seen face-on have a large projected area and stay bright.
    if (mesh.shaded == 1)
        mesh.shadeOffset = 110 - (area >> 8);
    sortByY(corners);
    return true;
}
