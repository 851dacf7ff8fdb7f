// Attractor glow: a quadratic map iterated in 64-bit fixed point, its points
// splatted into a glow buffer that is blurred and faded each frame and laid
// over the background picture. The coefficients drift with a cosine.
#include "scenes/attractor_glow.h"

#include "assets/assets.h"
#include "core/saturate.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstring>

AttractorGlowState AttractorGlow;

void resetAttractorGlow()
{
    AttractorGlow = {};
}

constexpr int32_t IterationsPerFrame = 800;
constexpr int32_t GlowFade = 5;  // taken off each blurred glow value above it
constexpr int32_t DriftAmplitude = 1200;

int64_t mulFixed20(int64_t a, int64_t b)
{
    return int64_t(uint64_t(a) * uint64_t(b)) >> 20;
}

// The low 12 bits of v as a signed number (-2048..2047).
static int32_t signExtend12(int64_t v)
{
    return int32_t(uint32_t(v) << 20) >> 20;
}

void splatGlow(int32_t row, int32_t column, int32_t a, int32_t b)
{
    uint8_t* glow = WorkBufferB + RowOffsets[row] + column;
    glow[0] = addSaturating(glow[0], ((180 - a) * (180 - b)) >> 8);
    glow[1] = addSaturating(glow[1], (a * (180 - b)) >> 8);
    glow[320] = addSaturating(glow[320], (b * (180 - a)) >> 8);
    glow[321] = addSaturating(glow[321], (a * b) >> 8);
}

void updateAttractor()
{
    if (AttractorGlow.steps == 0)
        std::memset(WorkBufferB, 255, sizeof WorkBufferB);
    const uint32_t k = ++AttractorGlow.steps;
    const int64_t drift = (CosineTable[(16 * k) & 4095] * DriftAmplitude) >> 8;
    for (int i = 0; i < 12; ++i)
        AttractorGlow.waveParams[i] += drift;
}

void iterateAttractor(int32_t count)
{
    const int64_t* c = AttractorGlow.waveParams;
    int64_t u = AttractorGlow.u, v = AttractorGlow.v;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t uu = mulFixed20(u, u);
        const int64_t vv = mulFixed20(v, v);
        const int64_t uv = mulFixed20(v, u);
        const int64_t nextV = c[0] + mulFixed20(c[1], v) + mulFixed20(c[2], vv) +
                              mulFixed20(c[3], uv) + mulFixed20(c[4], u) + mulFixed20(c[5], uu);
        const int64_t nextU = c[6] + mulFixed20(c[7], v) + mulFixed20(c[8], vv) +
                              mulFixed20(c[9], uv) + mulFixed20(c[10], u) + mulFixed20(c[11], uu);
        u = nextU;
        v = nextV;
        // u picks the row and v the column, 200 pixels per unit around (280, 100);
        // the offsets wrap at 12 bits, so far-flung points fold back near the figure.
        const int32_t rowOffset = signExtend12(int64_t(uint64_t(u) * 200u) >> 20);
        const int32_t columnOffset = signExtend12(int64_t(uint64_t(v) * 200u) >> 20);
        const int32_t row = 100 + rowOffset;
        const int32_t column = 280 + columnOffset;
        // The splat also writes one column right and one row down of (column, row).
        if (column >= 5 && column <= 311 && row >= 5 && row <= 231)
            splatGlow(row, column, (columnOffset & 255) >> 1, (rowOffset & 255) >> 1);
    }
    AttractorGlow.u = u;
    AttractorGlow.v = v;
}

// The glow walk's ends: the last offset with a row below it (row 238, column
// 319) and row 1, column 2, where the walk stops short of the two pixels
// before it.
constexpr int32_t GlowWalkLast = (ScreenHeight - 1) * ScreenWidth - 1;
constexpr int32_t GlowWalkFirst = ScreenWidth + 2;

void drawAttractor()
{
    // Walking down from GlowWalkLast to GlowWalkFirst, each glow byte becomes
    // the average of its four neighbours less the fade, in place: the right
    // and lower neighbours are already this frame's (the right one is carried
    // in a register; the first one's wraps to the start of the last row). The
    // screen shows glow plus background, saturated at 255; the offsets before
    // the walk and the last row keep what they show.
    uint8_t* glow = WorkBufferB + GlowWalkLast;
    uint8_t* dst = MainScreen.pixels + GlowWalkLast;
    const uint8_t* background = backgroundPicture.pixels + GlowWalkLast;
    int32_t right = glow[1];
    for (int32_t o = GlowWalkLast; o >= GlowWalkFirst; --o, --glow, --dst, --background) {
        int32_t g = (glow[-1] + right + glow[ScreenWidth] + glow[-ScreenWidth]) >> 2;
        if (g > GlowFade)
            g -= GlowFade;
        *glow = uint8_t(g);
        right = g;
        *dst = addSaturating(g, *background);
    }
    iterateAttractor(IterationsPerFrame);
}
