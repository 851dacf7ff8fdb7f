#include "gfx3d/raster.h"

#include "gfx3d/face.h"
#include "core/bytes.h"
#include "core/divide.h"
#include "core/tables.h"

#include <algorithm>
#include <cstring>

// Sets `count` entries from `depth` on, sixteen a step: the 3D scenes clear
// every frame (and the calendar's views 64 times at start-up), and wide or
// unrolled stores keep that cheap where a plain fill would count each entry.
// With ByBytes a value whose four bytes are equal (0, as the scenes clear to,
// or -1) is set by memset instead: without a vector unit the compiler's loop
// stores one entry an instruction, the C library's memset several. 32-bit ARM
// takes fillWords' store-multiples instead (setDepthEntries).
template <bool ByBytes>
void fillDepth(int32_t* depth, int32_t count, int32_t value)
{
    if (ByBytes && uint32_t(value) == 0x01010101u * (uint32_t(value) & 0xFF)) {
        std::memset(depth, value & 0xFF, size_t(count) * sizeof *depth);
        return;
    }
    for (int32_t block = count / 16; block > 0; --block, depth += 16)
        for (int32_t j = 0; j < 16; ++j)
            depth[j] = value;
    for (int32_t j = 0; j < count % 16; ++j)
        depth[j] = value;
}

template void fillDepth<false>(int32_t*, int32_t, int32_t);
template void fillDepth<true>(int32_t*, int32_t, int32_t);

// The depth clears' way for the target: store-multiples where there are
// some (see StoreMultiple), else fillDepth's.
static void setDepthEntries(int32_t* depth, int32_t count, int32_t value)
{
    if constexpr (StoreMultiple)
        fillWords<true>(depth, size_t(count), uint32_t(value));
    else
        fillDepth<!VectorUnit>(depth, count, value);
}

void clearDepth(Screen& screen, int32_t v)
{
    setDepthEntries(screen.depth, ScreenPixels, shiftLeft8(v));
}

void clearDepthCorner(Screen& screen, int32_t v, int32_t width, int32_t height)
{
    for (int32_t row = 0; row < height; ++row)
        setDepthEntries(screen.depth + RowOffsets[row], width, shiftLeft8(v));
}

void findTexelRuns(TexelRuns& runs, const uint8_t* texels, int32_t seeThrough)
{
    // The run through texel 0 continues past 65535 into the ring's start.
    const bool firstSeen = texels[0] == seeThrough;
    uint32_t length = 0;
    while (length < 65536 && (texels[length] == seeThrough) == firstSeen)
        ++length;
    bool nextSeen = firstSeen;
    for (int32_t i = 65535; i >= 0; --i) {
        const bool seen = texels[i] == seeThrough;
        length = seen == nextSeen ? std::min(length + 1, 65536u) : 1;
        nextSeen = seen;
        runs.reach[i] = length * 256 + (seen ? 0 : OpaqueRun);
    }
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
    const Divisor height(dy);
    return {height.divide(shiftLeft8(b.x - a.x)), height.divide(shiftLeft8(b.z - a.z)),
            height.divide(shiftLeft8(b.u - a.u)), height.divide(shiftLeft8(b.v - a.v))};
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
    const TexelRuns* runs;    // null: every sample tests its own texel
    int32_t transparentColour;
    int32_t shade;            // subtracted from each texel, 0 when unshaded
    int64_t left, right;      // exclusive bounds on a sample's x
    int64_t top, bottom;      // inclusive top, exclusive bottom on a row's y
};

// The samples of one row left after clipping: where the first lands, how
// many there are, its texture position (16.16) and depth (8.8), and their
// change from one sample to the next.
struct Span {
    uint8_t* pixel;
    int32_t* depth;
    int32_t count;
    int32_t u, v, z;
    int32_t du, dv, dz;
};

// A shaded texel: the face's offset subtracted, floored at 0.
static uint8_t shadeTexel(int32_t texel, int32_t shade)
{
    const int32_t shaded = texel - shade;
    return uint8_t(shaded < 0 ? 0 : shaded);
}

// Texture-mapped, depth-tested samples: u and v are 16.16 texture positions,
// so u >> 8 is the texel column and v & 0xFF00 is 256 times the row counted
// upwards; the 16-bit mask wraps the index into the 256 x 256 texture. z is
// 8.8 view depth; a sample is kept only when strictly nearer than what the
// depth buffer holds and its texel is not the transparent one. Without
// shading or with a transparent colour no texel can match, those steps
// drop out of the loop.
template <bool Shaded, bool SeeThrough>
static void drawSamples(const FaceContext& face, const Span& s)
{
    const uint8_t* texels = face.texels;
    const int32_t transparentColour = face.transparentColour, shade = face.shade;
    uint8_t* pixel = s.pixel;
    int32_t* depth = s.depth;
    int32_t u = s.u, v = s.v, z = s.z;
    for (int32_t n = s.count; n > 0; --n) {
        if (z < *depth) {
            const int32_t texel = texels[((u >> 8) - (v & 0xFF00)) & 0xFFFF];
            if (!SeeThrough || texel != transparentColour) {
                *depth = z;
                *pixel = Shaded ? shadeTexel(texel, shade) : uint8_t(texel);
            }
        }
        ++pixel;
        ++depth;
        u += s.du;
        v += s.dv;
        z += s.dz;
    }
}

// On a row with dv = 0 the texel index ((u >> 8) - (v & 0xFF00)) & 0xFFFF is
// bits 8..23 of the 32-bit walk position u - 256 (v & 0xFF00). The row can
// go by texel runs when that position only grows (du > 0): the index then
// steps through the texture's bytes as a ring in one direction, also where
// the position wraps past 2^32, a whole number of turns of the ring.
static bool walksTexelRuns(const Span& s)
{
    return s.dv == 0 && s.du > 0;
}

// One sample of an opaque run: its texel is kept where nearer than the depth
// buffer. `index` is the walk position shifted left by 8, so the texel index
// is its top 16 bits whatever it wraps to.
template <bool Shaded>
[[gnu::always_inline]] inline void drawOpaqueSample(const uint8_t* texels, int32_t shade,
                                                    uint8_t* pixel, int32_t* depth,
                                                    uint32_t index, int32_t z)
{
    if (z < *depth) {
        const int32_t texel = texels[index >> 16];
        *depth = z;
        *pixel = Shaded ? shadeTexel(texel, shade) : uint8_t(texel);
    }
}

// Samples of one opaque run: an odd one first, then two a step, so the pair
// shares the loop's counting. The pairs are counted from -count up to 0
// against the run's end; index and depth step by twice their change, which
// wraps to what two single steps give.
template <bool Shaded>
[[gnu::always_inline]] inline void drawOpaqueRun(const uint8_t* texels, int32_t shade,
                                                 uint8_t* pixel, int32_t* depth, int32_t count,
                                                 uint32_t index, uint32_t indexStep, int32_t z,
                                                 int32_t dz)
{
    if (count & 1) {
        drawOpaqueSample<Shaded>(texels, shade, pixel, depth, index, z);
        ++pixel;
        ++depth;
        index += indexStep;
        z += dz;
    }
    const intptr_t pairs = count & ~1;
    uint8_t* pixelEnd = pixel + pairs;
    int32_t* depthEnd = depth + pairs;
    uint32_t nextIndex = index + indexStep;
    int32_t nextZ = z + dz;
    const uint32_t pairStep = 2 * indexStep;
    const int32_t pairDz = 2 * dz;
    for (intptr_t i = -pairs; i != 0; i += 2) {
        drawOpaqueSample<Shaded>(texels, shade, pixelEnd + i, depthEnd + i, index, z);
        drawOpaqueSample<Shaded>(texels, shade, pixelEnd + i + 1, depthEnd + i + 1, nextIndex,
                                 nextZ);
        index += pairStep;
        nextIndex += pairStep;
        z += pairDz;
        nextZ += pairDz;
    }
}

// The same as a call of its own, for targets short of registers (see
// RoomyRegisters).
template <bool Shaded>
[[gnu::noinline]] void drawOpaqueRunApart(const uint8_t* texels, int32_t shade, uint8_t* pixel,
                                          int32_t* depth, int32_t count, uint32_t index,
                                          uint32_t indexStep, int32_t z, int32_t dz)
{
    drawOpaqueRun<Shaded>(texels, shade, pixel, depth, count, index, indexStep, z, dz);
}

// The row by texel runs (see walksTexelRuns), from walk position `start`:
// a see-through run passes all its samples at once, an opaque one draws its
// samples without testing their texels. From walk position p in a run
// reaching r positions, r - (p & 255) more stay in the run.
template <bool Shaded>
[[gnu::always_inline]] inline void drawByTexelRuns(const FaceContext& face, const Span& s,
                                                   uint32_t start,
                                                   const RunCounter<HardwareDivide>& counter)
{
    const uint32_t* runs = face.runs->reach;
    const uint8_t* texels = face.texels;
    const int32_t shade = face.shade;
    const uint32_t du = uint32_t(s.du);
    uint32_t at = start;
    for (int32_t k = 0; k < s.count;) {
        const uint32_t run = runs[(at >> 8) & 0xFFFF];
        const uint32_t ahead = (run & ~OpaqueRun) - (at & 255);
        const int32_t inRun = int32_t(counter.samples(ahead, uint32_t(s.count - k)));
        if (run & OpaqueRun) {
            if constexpr (RoomyRegisters)
                drawOpaqueRun<Shaded>(texels, shade, s.pixel + k, s.depth + k, inRun, at << 8,
                                      du << 8, s.z + k * s.dz, s.dz);
            else
                drawOpaqueRunApart<Shaded>(texels, shade, s.pixel + k, s.depth + k, inRun,
                                           at << 8, du << 8, s.z + k * s.dz, s.dz);
        }
        k += inRun;
        at += uint32_t(inRun) * du;
    }
}

// Number of k >= 0 with start + 256 k < end.
static int64_t samplesBelow(int64_t start, int64_t end)
{
    return end > start ? (end - start + 255) >> 8 : 0;
}

// How a face's samples are drawn, fixed per face so that each combination
// gets row and sample loops of its own with nothing of the others in them.
struct SampleKind {
    bool runs;        // the mesh has texel runs: rows along one texel row use them
    bool shaded;      // the face's shade is above 0
    bool seeThrough;  // the transparent colour is a texel value
};

// How a row is clipped to the columns: not at all (None: the caller knows
// that left < l.x and rightX <= right), in 32 bits (Near: the caller knows
// that the row's ends and the clip's columns lie within +-NearReach, so their
// distances fit), or in 64 bits (Far: any ends).
enum class Clip { None, Near, Far };
constexpr int64_t NearReach = int64_t(1) << 29;

// Draws the samples of a row from the left walker l on: they sit at
// x = l.x + 256 k for x < rightX, stepping by du, dv and dz, and are drawn
// where left < x < right, at pixel column x >> 8. `counter` serves the rows
// of one part that go by texel runs.
template <SampleKind Kind, Clip Clipped = Clip::Far>
[[gnu::always_inline]] inline void drawFromLeft(const FaceContext& face, int32_t rowOffset,
                                                const EdgeState& l, int32_t rightX, int32_t du,
                                                int32_t dv, int32_t dz,
                                                RunCounter<HardwareDivide>& counter)
{
    // Samples left of the clip are skipped in one step and the walk ends at
    // the clip, so a span reaching far off-screen costs nothing extra. The
    // bounds are 64-bit so that no edge position can overflow them; the
    // walk itself stays 32-bit and wraps like every other sum.
    int32_t skipped = 0, count;
    if constexpr (Clipped == Clip::Near) {
        const int32_t left = int32_t(face.left);
        const int32_t last = std::min<int32_t>(rightX, int32_t(face.right));
        skipped = l.x > left ? 0 : ((left - l.x) >> 8) + 1;
        count = (last > l.x ? (last - l.x + 255) >> 8 : 0) - skipped;
        if (count <= 0)
            return;
    } else if constexpr (Clipped == Clip::Far) {
        const int64_t first = l.x > face.left ? 0 : ((face.left - l.x) >> 8) + 1;
        const int64_t end = samplesBelow(l.x, std::min<int64_t>(rightX, face.right));
        if (first >= end)
            return;
        skipped = int32_t(first);
        count = int32_t(end - first);
    } else {
        // Both ends lie within the screen's columns: 32 bits hold the count.
        count = rightX > l.x ? (rightX - l.x + 255) >> 8 : 0;
        if (count == 0)
            return;
    }
    const int32_t offset = rowOffset + (l.x >> 8) + skipped;
    const Span span{face.pixels + offset, face.depth + offset, count,
                    l.u + du * skipped,   l.v + dv * skipped,  l.z + dz * skipped,
                    du,                   dv,                  dz};
    if constexpr (Kind.runs) {
        const uint32_t start = uint32_t(span.u) - 256 * uint32_t(span.v & 0xFF00);
        if (walksTexelRuns(span)) {
            counter.step(uint32_t(du));
            drawByTexelRuns<Kind.shaded>(face, span, start, counter);
            return;
        }
    }
    drawSamples<Kind.shaded, Kind.seeThrough>(face, span);
}

// A row whose ends both lie left of column 0 or both right of column 319
// draws nothing.
static bool rowOffScreen(int32_t xa, int32_t xb)
{
    const int32_t lastColumnFixed = (ScreenWidth - 1) * 256;
    return (xa & xb) < 0 || (xa > lastColumnFixed && xb > lastColumnFixed);
}

// Draws the row whose first pixel is at `rowOffset` between walkers p and q.
template <SampleKind Kind>
static void drawRow(const FaceContext& face, int32_t rowOffset, const EdgeState& p,
                    const EdgeState& q, RunCounter<HardwareDivide>& counter)
{
    if (rowOffScreen(p.x, q.x))
        return;
    const EdgeState l = p.x <= q.x ? p : q;
    const EdgeState r = p.x <= q.x ? q : p;
    const int32_t w = r.x - l.x;
    int32_t du = 0, dv = 0, dz = 0;
    if (w > 0) {
        const Divisor width(w);
        du = width.divide(shiftLeft8(r.u - l.u));
        dv = width.divide(shiftLeft8(r.v - l.v));
        dz = width.divide(shiftLeft8(r.z - l.z));
    }
    drawFromLeft<Kind>(face, rowOffset, l, r.x, du, dv, dz, counter);
}

// True when a level row draws nothing because every sample falls in the
// see-through run at its left end: u from uLeft there to uLeft + uSpan at
// its right end, w (24.8) apart, v its texel row. Its samples lie at walk
// positions start + k du with 0 <= k du < uSpan (k < w / 256, and du, the
// quotient truncated, is at most 256 uSpan / w), so a run reaching uSpan
// positions or more holds them all, clipped or not. Only rows that go by
// texel runs (du >= 1, that is 256 uSpan >= w; uSpan below 2^23 keeps
// 256 uSpan within 32 bits, as the quotient takes it): a row drawn sample by
// sample tests its texels itself. Checked before u's quotient: a fifth of
// the forest's leaf rows lie wholly in a gap of their texture, and then cost
// neither the quotient nor the run walk.
static bool inSeeThroughGap(const TexelRuns& runs, int32_t uLeft, uint32_t uSpan, int32_t w,
                            int32_t v)
{
    if (w <= 0 || uSpan >= (1u << 23) || int32_t(uSpan << 8) < w)
        return false;
    const uint32_t start = uint32_t(uLeft) - 256 * uint32_t(v & 0xFF00);
    const uint32_t run = runs.reach[(start >> 8) & 0xFFFF];
    return !(run & OpaqueRun) && uSpan <= run - (start & 255);
}

// The same for a level row (see walkLevelPart): both ends share z and v, so
// dv and dz are 0 and only u is divided out, mostly to the row above's
// quotient. Unclipped, both ends lie right of the clip's left edge and at
// most at column 319's position.
template <SampleKind Kind, Clip Clipped>
[[gnu::always_inline]] inline void drawLevelRow(const FaceContext& face, int32_t rowOffset,
                                                int32_t xa, int32_t ua, int32_t xb, int32_t ub,
                                                int32_t z, int32_t v,
                                                RepeatingQuotient<HardwareDivide>& uStep,
                                                RunCounter<HardwareDivide>& counter)
{
    if (Clipped != Clip::None && rowOffScreen(xa, xb))
        return;
    const bool aLeft = xa <= xb;
    const EdgeState l{aLeft ? xa : xb, z, aLeft ? ua : ub, v};
    const int32_t rightX = aLeft ? xb : xa;
    const int32_t w = rightX - l.x;
    if constexpr (Kind.runs)
        if (inSeeThroughGap(*face.runs, l.u, uint32_t((aLeft ? ub : ua) - l.u), w, v))
            return;
    const int32_t du = w > 0 ? uStep.divide(shiftLeft8((aLeft ? ub : ua) - l.u), w) : 0;
    drawFromLeft<Kind, Clipped>(face, rowOffset, l, rightX, du, 0, 0, counter);
}

// The rows of a part at y = yStart + 256 k while y < yEnd: `steps` of them,
// of which k from `first` up to end - 1 lie within the clip's rows.
struct PartRows {
    int64_t steps, first, end;
};

static PartRows partRows(const FaceContext& face, int64_t yStart, int32_t yEnd)
{
    const int64_t steps = samplesBelow(yStart, yEnd);
    const int64_t first = std::min(steps, samplesBelow(yStart, face.top));
    return {steps, first, std::max(first, std::min(steps, samplesBelow(yStart, face.bottom)))};
}

// Walks one part of a face: rows at y = yStart + 256 k while y < yEnd, the
// long walker following `longGradient` and the short one `shortGradient`.
// Rows outside the clip are not visited; the walkers are still advanced as if
// they were, so the next part starts from the same state. Returns the y after
// the last step.
template <SampleKind Kind>
static int64_t walkPart(const FaceContext& face, int64_t yStart, int32_t yEnd,
                        EdgeState& longWalker, const EdgeState& longGradient,
                        EdgeState& shortWalker, const EdgeState& shortGradient)
{
    const auto [steps, first, end] = partRows(face, yStart, yEnd);
    // Local copies: the pixel stores could otherwise alias them.
    const FaceContext context = face;
    const EdgeState longStep = longGradient, shortStep = shortGradient;
    EdgeState a = longWalker, b = shortWalker;
    advance(a, longStep, int32_t(first));
    advance(b, shortStep, int32_t(first));
    const int32_t firstRow = int32_t((yStart >> 8) + first);
    RunCounter<HardwareDivide> counter;
    for (int32_t row = firstRow; row < firstRow + int32_t(end - first); ++row) {
        drawRow<Kind>(context, RowOffsets[row], a, b, counter);
        advance(a, longStep, 1);
        advance(b, shortStep, 1);
    }
    advance(a, longStep, int32_t(steps - end));
    advance(b, shortStep, int32_t(steps - end));
    longWalker = a;
    shortWalker = b;
    return yStart + 256 * steps;
}

// A part whose walkers start with equal z and v and step them alike keeps
// them equal on every row: its rows are level, of one depth and along one
// texel row, as every row of a leaf plane tilted only about x is. Such a part
// walks x and u per edge and the shared z and v once, and leaves the walkers
// where walkPart would.
static bool isLevel(const EdgeState& a, const EdgeState& aStep, const EdgeState& b,
                    const EdgeState& bStep)
{
    return a.z == b.z && a.v == b.v && aStep.z == bStep.z && aStep.v == bStep.v;
}

// The walk of a level part: x and u per edge, z and v shared.
struct LevelWalk {
    int32_t xa, ua, xb, ub, z, v;
};

template <SampleKind Kind, Clip Clipped>
static void walkLevelRows(const FaceContext& face, int32_t firstRow, int32_t rows, LevelWalk w,
                          const LevelWalk& step)
{
    const FaceContext context = face;
    const LevelWalk d = step;
    RepeatingQuotient<HardwareDivide> uStep;
    RunCounter<HardwareDivide> counter;
    // Short of registers, a row's offset is computed (RowOffsets[row] is
    // ScreenWidth row): the table's address would be one more value for the
    // loop to keep. With registers to spare the table costs less.
    for (int32_t row = firstRow; row < firstRow + rows; ++row) {
        const int32_t rowOffset = RoomyRegisters ? RowOffsets[row] : row * ScreenWidth;
        drawLevelRow<Kind, Clipped>(context, rowOffset, w.xa, w.ua, w.xb, w.ub, w.z, w.v,
                                    uStep, counter);
        w.xa += d.xa;
        w.ua += d.ua;
        w.xb += d.xb;
        w.ub += d.ub;
        w.z += d.z;
        w.v += d.v;
    }
}

// True when x, and x + n dx in exact arithmetic, lie in (low, high]: so do
// the positions between, and the 32-bit walk reaches them without wrapping.
static bool staysWithin(int32_t x, int32_t dx, int32_t n, int64_t low, int64_t high)
{
    const int64_t last = x + int64_t(n) * dx;
    return x > low && x <= high && last > low && last <= high;
}

template <SampleKind Kind>
static int64_t walkLevelPart(const FaceContext& face, int64_t yStart, int32_t yEnd,
                             EdgeState& longWalker, const EdgeState& longGradient,
                             EdgeState& shortWalker, const EdgeState& shortGradient)
{
    const auto [steps, first, end] = partRows(face, yStart, yEnd);
    EdgeState a = longWalker, b = shortWalker;
    advance(a, longGradient, int32_t(first));
    advance(b, shortGradient, int32_t(first));
    const LevelWalk walk{a.x, a.u, b.x, b.u, a.z, a.v};
    const LevelWalk step{longGradient.x, longGradient.u, shortGradient.x,
                         shortGradient.u, longGradient.z, longGradient.v};
    const int32_t firstRow = int32_t((yStart >> 8) + first);
    const int32_t rows = int32_t(end - first);
    // Rows whose ends all lie right of the clip's left edge and at most at
    // column 319's position need no clipping.
    // Rows reaching past the screen's sides by less than NearReach, the
    // leaves', clip in 32 bits (the clip's columns lie within the screen's
    // but for a right edge left of it).
    const auto within = [&](int64_t low, int64_t high) {
        return staysWithin(walk.xa, step.xa, rows - 1, low, high) &&
               staysWithin(walk.xb, step.xb, rows - 1, low, high);
    };
    if (rows > 0) {
        if (within(face.left, std::min<int64_t>(face.right, (ScreenWidth - 1) * 256)))
            walkLevelRows<Kind, Clip::None>(face, firstRow, rows, walk, step);
        else if (face.right > -NearReach && within(-NearReach, NearReach))
            walkLevelRows<Kind, Clip::Near>(face, firstRow, rows, walk, step);
        else
            walkLevelRows<Kind, Clip::Far>(face, firstRow, rows, walk, step);
    }
    advance(longWalker, longGradient, int32_t(steps));
    advance(shortWalker, shortGradient, int32_t(steps));
    return yStart + 256 * steps;
}

// Level parts of a mesh with texel runs take walkLevelPart, the rest walkPart.
template <SampleKind Kind>
static int64_t walkAnyPart(const FaceContext& face, int64_t yStart, int32_t yEnd,
                           EdgeState& longWalker, const EdgeState& longGradient,
                           EdgeState& shortWalker, const EdgeState& shortGradient)
{
    if constexpr (Kind.runs)
        if (isLevel(longWalker, longGradient, shortWalker, shortGradient))
            return walkLevelPart<Kind>(face, yStart, yEnd, longWalker, longGradient, shortWalker,
                                       shortGradient);
    return walkPart<Kind>(face, yStart, yEnd, longWalker, longGradient, shortWalker,
                          shortGradient);
}

template <SampleKind Kind>
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
    const int64_t yAfterUpper = walkAnyPart<Kind>(face, top.y, middle.y, longWalker,
                                                 longGradient, shortWalker, upperGradient);
    shortWalker = walkerAt(middle);
    // With the long edge on the left the lower part keeps the upper part's
    // row phase; otherwise it restarts at the middle corner.
    const bool longEdgeLeft = upperGradient.x > longGradient.x;
    const int64_t yLower = longEdgeLeft ? yAfterUpper : middle.y;
    walkAnyPart<Kind>(face, yLower, bottom.y, longWalker, longGradient, shortWalker, lowerGradient);
}

using FaceDrawer = void (*)(const Mesh&, const FaceContext&, const Corner (&)[3]);

static FaceDrawer drawFaceOf(SampleKind kind)
{
    if (kind.runs)
        return kind.shaded ? drawFace<SampleKind{true, true, true}>
                           : drawFace<SampleKind{true, false, true}>;
    if (kind.shaded)
        return kind.seeThrough ? drawFace<SampleKind{false, true, true}>
                               : drawFace<SampleKind{false, true, false}>;
    return kind.seeThrough ? drawFace<SampleKind{false, false, true}>
                           : drawFace<SampleKind{false, false, false}>;
}

void drawMesh(Mesh& mesh)
{
    if (mesh.visible == 0)
        return;
    Screen& screen = *mesh.screen;
    FaceContext face{screen.pixels,
                     screen.depth,
                     mesh.texture->pixels,
                     mesh.texelRuns,
                     mesh.transparentColour,
                     0,
                     std::max<int64_t>(mesh.clipLeftFixed, 0),
                     std::min<int64_t>(mesh.clipRightFixed, ScreenRightFixed),
                     std::max<int64_t>(mesh.clipTopFixed, 0),
                     std::min<int64_t>(mesh.clipBottomFixed, ScreenBottomFixed)};
    // Runs are only ever found for a see-through colour within 0..255.
    const bool seeThrough = mesh.transparentColour >= 0 && mesh.transparentColour <= 255;
    Corner corners[3];
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
        if (!setUpFace(mesh, f, true, corners))
            continue;
        face.shade = mesh.shaded == 1 && mesh.shadeOffset > 0 ? mesh.shadeOffset : 0;
        drawFaceOf(SampleKind{face.runs != nullptr, face.shade > 0, seeThrough})(mesh, face,
                                                                                  corners);
    }
}
