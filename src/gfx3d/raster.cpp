#include "gfx3d/raster.h"

#include "gfx3d/face.h"
#include "core/tables.h"

#include <algorithm>

void clearDepth(Screen& screen, int32_t v)
{
    std::fill(screen.depth, screen.depth + ScreenPixels, shiftLeft8(v));
}

void clearDepthCorner(Screen& screen, int32_t v, int32_t width, int32_t height)
{
    for (int32_t row = 0; row < height; ++row)
        std::fill_n(screen.depth + RowOffsets[row], width, shiftLeft8(v));
}

// x (24.8), z (8.8), u and v (16.16) along an edge, or their change per row.
struct EdgeState {
    int32_t x, z, u, v;
};

// Change per screen row along the edge from a to b: (q_b - q_a) << 8 divided
// by the edge's height in 24.8, truncated toward zero. A flat edge has none.
static EdgeState gradientBetween(const Corner& a, const Corner& b)
{
    const int32_t dy = b.y - a.y;
    if (dy <= 0)
        return {0, 0, 0, 0};
    return {shiftLeft8(b.x - a.x) / dy, shiftLeft8(b.z - a.z) / dy, shiftLeft8(b.u - a.u) / dy,
            shiftLeft8(b.v - a.v) / dy};
}

static EdgeState walkerAt(const Corner& c)
{
    return {c.x, c.z, c.u, c.v};
}

// Adds `steps` rows' worth of gradient in one go; wrapping makes this equal to
// adding the gradient `steps` times.
static void advance(EdgeState& walker, const EdgeState& gradient, int32_t steps)
{
    walker.x += gradient.x * steps;
    walker.z += gradient.z * steps;
    walker.u += gradient.u * steps;
    walker.v += gradient.v * steps;
}

// What every row of one face needs. The bounds are the mesh's clip rectangle
// (24.8) intersected with the screen, so that no clip setting can address
// memory outside it.
struct FaceContext {
    uint8_t* pixels;
    int32_t* depth;
    const uint8_t* texels;
    int32_t transparentColour;
    int32_t shade;            // subtracted from each texel, 0 when unshaded
    int64_t left, right;      // exclusive bounds on a sample's x
    int64_t top, bottom;      // inclusive top, exclusive bottom on a row's y
};

// Number of k >= 0 with start + 256 k < end.
static int64_t samplesBelow(int64_t start, int64_t end)
{
    return end > start ? (end - start + 255) / 256 : 0;
}

// Draws the row at y between walkers p and q. Samples sit at x = xL + 256 k
// for x < xR; a sample is drawn where left < x < right, at pixel column x >> 8.
static void drawRow(const FaceContext& face, int32_t y, const EdgeState& p, const EdgeState& q)
{
    const int32_t lastColumnFixed = (ScreenWidth - 1) * 256;
    if ((p.x & q.x) < 0 || (p.x > lastColumnFixed && q.x > lastColumnFixed))
        return;
    const EdgeState& l = p.x <= q.x ? p : q;
    const EdgeState& r = p.x <= q.x ? q : p;
    const int32_t w = r.x - l.x;
    const int32_t du = w > 0 ? shiftLeft8(r.u - l.u) / w : 0;
    const int32_t dv = w > 0 ? shiftLeft8(r.v - l.v) / w : 0;
    const int32_t dz = w > 0 ? shiftLeft8(r.z - l.z) / w : 0;

    // Samples left of the clip are skipped in one step and the walk ends at
    // the clip, so a span reaching far off-screen costs nothing extra. The
    // bounds are 64-bit so that no edge position can overflow them; the
    // walk itself stays 32-bit and wraps like every other sum.
    const int64_t first = l.x > face.left ? 0 : (face.left - l.x) / 256 + 1;
    const int64_t end = samplesBelow(l.x, std::min<int64_t>(r.x, face.right));
    if (first >= end)
        return;
    const int32_t skipped = int32_t(first);
    int32_t u = l.u + du * skipped;
    int32_t v = l.v + dv * skipped;
    int32_t z = l.z + dz * skipped;
    const int32_t offset = RowOffsets[y >> 8] + (l.x >> 8) + skipped;
    uint8_t* pixel = face.pixels + offset;
    int32_t* depth = face.depth + offset;

    // Texture-mapped, depth-tested span: u and v are 16.16 texture positions,
    // so u >> 8 is the texel column and v & 0xFF00 is 256 times the row counted
    // upwards; the 16-bit mask wraps the index into the 256 x 256 texture. z is
    // 8.8 view depth; a sample is kept only when strictly nearer than what the
    // depth buffer holds and its texel is not the transparent one. Shading
    // subtracts the face's offset, floored at 0.
    for (int32_t n = int32_t(end - first); n > 0; --n) {
        const int32_t texel = face.texels[((u >> 8) - (v & 0xFF00)) & 0xFFFF];
        if (z < *depth && texel != face.transparentColour) {
            *depth = z;
            const int32_t shadedTexel = texel - face.shade;
            *pixel = uint8_t(shadedTexel < 0 ? 0 : shadedTexel);
        }
        ++pixel;
        ++depth;
        u += du;
        v += dv;
        z += dz;
    }
}

// Walks one part of a face: rows at y = yStart + 256 k while y < yEnd, the
// long walker following `longGradient` and the short one `shortGradient`.
// Rows outside the clip are not visited; the walkers are still advanced as if
// they were, so the next part starts from the same state. Returns the y after
// the last step.
static int64_t walkPart(const FaceContext& face, int64_t yStart, int32_t yEnd,
                        EdgeState& longWalker, const EdgeState& longGradient,
                        EdgeState& shortWalker, const EdgeState& shortGradient)
{
    const int64_t steps = samplesBelow(yStart, yEnd);
    const int64_t first = std::min(steps, samplesBelow(yStart, face.top));
    const int64_t end = std::max(first, std::min(steps, samplesBelow(yStart, face.bottom)));
    advance(longWalker, longGradient, int32_t(first));
    advance(shortWalker, shortGradient, int32_t(first));
    for (int64_t k = first; k < end; ++k) {
        drawRow(face, int32_t(yStart + 256 * k), longWalker, shortWalker);
        advance(longWalker, longGradient, 1);
        advance(shortWalker, shortGradient, 1);
    }
    advance(longWalker, longGradient, int32_t(steps - end));
    advance(shortWalker, shortGradient, int32_t(steps - end));
    return yStart + 256 * steps;
}

static void drawFace(const Mesh& mesh, const FaceContext& face, const Corner (&c)[3])
{
    const Corner& top = c[0];
    const Corner& middle = c[1];
    const Corner& bottom = c[2];
    EdgeState longGradient = gradientBetween(top, bottom);
    const EdgeState upperGradient = gradientBetween(top, middle);
    const EdgeState lowerGradient = gradientBetween(middle, bottom);
    // Tames slivers whose long edge runs nearly flat: more than 1000/256
    // pixels sideways per row becomes 100/256.
    if (mesh.edgeSlopeLimit == 1) {
        if (longGradient.x > 1000)
            longGradient.x = 100;
        else if (longGradient.x < -1000)
            longGradient.x = -100;
    }

    EdgeState longWalker = walkerAt(top);
    EdgeState shortWalker = walkerAt(top);
    const int64_t yAfterUpper = walkPart(face, top.y, middle.y, longWalker, longGradient,
                                         shortWalker, upperGradient);
    shortWalker = walkerAt(middle);
    // With the long edge on the left the lower part keeps the upper part's
    // row phase; otherwise it restarts at the middle corner.
    const bool longEdgeLeft = upperGradient.x > longGradient.x;
    const int64_t yLower = longEdgeLeft ? yAfterUpper : middle.y;
    walkPart(face, yLower, bottom.y, longWalker, longGradient, shortWalker, lowerGradient);
}

void drawMesh(Mesh& mesh)
{
    if (mesh.visible == 0)
        return;
    Screen& screen = *mesh.screen;
    FaceContext face{screen.pixels,
                     screen.depth,
                     mesh.texture->pixels,
                     mesh.transparentColour,
                     0,
                     std::max<int64_t>(mesh.clipLeftFixed, 0),
                     std::min<int64_t>(mesh.clipRightFixed, ScreenRightFixed),
                     std::max<int64_t>(mesh.clipTopFixed, 0),
                     std::min<int64_t>(mesh.clipBottomFixed, ScreenBottomFixed)};
    Corner corners[3];
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
        if (!setUpFace(mesh, f, true, corners))
            continue;
        face.shade = mesh.shaded == 1 && mesh.shadeOffset > 0 ? mesh.shadeOffset : 0;
        drawFace(mesh, face, corners);
    }
}
