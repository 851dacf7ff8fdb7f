#include "gfx3d/raster.h"

#include "gfx3d/face.h"
#include "core/tables.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Where a span's walk stands: the next sample's pixel and depth entry, the
// samples left, and u, v (16.16 texture positions) and z (8.8 view depth).
struct SpanWalk {
    uint8_t* pixel;
    int32_t* depth;
    int32_t n;
    int32_t u, v, z;
};

struct SpanSteps {
    int32_t du, dv, dz;
};

// Texel index of texture position (u, v): u >> 8 is the texel column and
// v & 0xFF00 is 256 times the row counted upwards; the 16-bit mask wraps the
// index into the 256 x 256 texture.
static int32_t texelIndex(int32_t u, int32_t v)
{
    return ((u >> 8) - (v & 0xFF00)) & 0xFFFF;
}

// Texture-mapped, depth-tested samples: a sample is kept only when strictly
// nearer than what the depth buffer holds and its texel is not the
// transparent one. Shading subtracts the face's offset, floored at 0. u, v and
// z step on by their steps, wrapping.
static void drawSamples(const FaceContext& face, SpanWalk& s, const SpanSteps& d)
{
    for (; s.n > 0; --s.n) {
        const int32_t texel = face.texels[texelIndex(s.u, s.v)];
        if (s.z < *s.depth && texel != face.transparentColour) {
            *s.depth = s.z;
            const int32_t shadedTexel = texel - face.shade;
            *s.pixel = uint8_t(shadedTexel < 0 ? 0 : shadedTexel);
        }
        ++s.pixel;
        ++s.depth;
        s.u += d.du;
        s.v += d.dv;
        s.z += d.dz;
    }
}

#ifdef __SSE2__
// drawSamples for an unshaded face, four samples at a time while four are
// left: the four depth tests and texel indices are done side by side, and
// only the four texel reads one by one.
static void drawFoursUnshaded(const FaceContext& face, SpanWalk& s, const SpanSteps& d)
{
    if (s.n < 4)
        return;
    const __m128i stepU = _mm_set1_epi32(4 * d.du);
    const __m128i stepV = _mm_set1_epi32(4 * d.dv);
    const __m128i stepZ = _mm_set1_epi32(4 * d.dz);
    __m128i u = _mm_setr_epi32(s.u, s.u + d.du, s.u + 2 * d.du, s.u + 3 * d.du);
    __m128i v = _mm_setr_epi32(s.v, s.v + d.dv, s.v + 2 * d.dv, s.v + 3 * d.dv);
    __m128i z = _mm_setr_epi32(s.z, s.z + d.dz, s.z + 2 * d.dz, s.z + 3 * d.dz);
    const __m128i rowBits = _mm_set1_epi32(0xFF00);
    const __m128i indexBits = _mm_set1_epi32(0xFFFF);
    const __m128i transparent = _mm_set1_epi32(face.transparentColour);
    const uint8_t* texels = face.texels;
    int32_t fours = 0;
    for (; s.n - 4 * fours >= 4; ++fours) {
        int32_t* depth = s.depth + 4 * fours;
        const __m128i held = _mm_loadu_si128(reinterpret_cast<const __m128i*>(depth));
        const __m128i nearer = _mm_cmpgt_epi32(held, z);
        if (_mm_movemask_epi8(nearer) != 0) {
            const __m128i index = _mm_and_si128(
                _mm_sub_epi32(_mm_srai_epi32(u, 8), _mm_and_si128(v, rowBits)), indexBits);
            const int32_t t0 = texels[_mm_extract_epi16(index, 0)];
            const int32_t t1 = texels[_mm_extract_epi16(index, 2)];
            const int32_t t2 = texels[_mm_extract_epi16(index, 4)];
            const int32_t t3 = texels[_mm_extract_epi16(index, 6)];
            const __m128i texel = _mm_setr_epi32(t0, t1, t2, t3);
            const __m128i drawn = _mm_andnot_si128(_mm_cmpeq_epi32(texel, transparent), nearer);
            const int bits = _mm_movemask_ps(_mm_castsi128_ps(drawn));
            if (bits != 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(depth),
                                 _mm_or_si128(_mm_and_si128(drawn, z), _mm_andnot_si128(drawn, held)));
                uint8_t* pixel = s.pixel + 4 * fours;
                if (bits & 1)
                    pixel[0] = uint8_t(t0);
                if (bits & 2)
                    pixel[1] = uint8_t(t1);
                if (bits & 4)
                    pixel[2] = uint8_t(t2);
                if (bits & 8)
                    pixel[3] = uint8_t(t3);
            }
        }
        u = _mm_add_epi32(u, stepU);
        v = _mm_add_epi32(v, stepV);
        z = _mm_add_epi32(z, stepZ);
    }
    // The walk after 4 * fours samples, as repeated steps would leave it.
    s.pixel += 4 * fours;
    s.depth += 4 * fours;
    s.n -= 4 * fours;
    s.u = _mm_cvtsi128_si32(u);
    s.v = _mm_cvtsi128_si32(v);
    s.z = _mm_cvtsi128_si32(z);
}
#endif

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
    const int32_t offset = RowOffsets[y >> 8] + (l.x >> 8) + skipped;
    SpanWalk span{face.pixels + offset, face.depth + offset, int32_t(end - first),
                  l.u + du * skipped, l.v + dv * skipped, l.z + dz * skipped};
    const SpanSteps steps{du, dv, dz};
#ifdef __SSE2__
    if (face.shade == 0)
        drawFoursUnshaded(face, span, steps);
#endif
    drawSamples(face, span, steps);
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
