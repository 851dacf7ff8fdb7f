// The two triangle rasterisers and the depth buffer they share.
#pragma once

#include "gfx3d/mesh.h"
#include "core/divide.h"
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

// Of `remaining` samples (1 to 2^31 - 1) stepping du > 0 walk positions
// each, how many fall in a run that reaches `ahead` positions on (1 to 2^24):
// ceil(ahead / du), at most `remaining`. ahead + du - 1 stays below
// 2^24 + 2^31, within 32 bits. Without a divide instruction (Hardware false)
// the quotient is quotientWith's, a multiply and a check, by du's inverse
// found once for the rows that share du (the rows of a face mostly do).
// Both ways are built everywhere for the tests.
template <bool Hardware>
class RunCounter {
public:
    // Counts for rows stepping du from here on.
    void step(uint32_t du)
    {
        if (!Hardware && du != du_)
            inverse_ = inverseBelow(du);
        du_ = du;
    }

    uint32_t samples(uint32_t ahead, uint32_t remaining) const
    {
        const uint32_t reach = ahead + du_ - 1;
        const uint32_t inRun = Hardware ? reach / du_ : quotientWith(reach, du_, inverse_);
        return inRun < remaining ? inRun : remaining;
    }

private:
    uint32_t du_ = 0;
    uint32_t inverse_ = 0;  // inverseBelow(du_) without a divide instruction
};

// How many rows an edge stays in its pixel column from the current row on:
// `sum` is 65536 times the edge's x on that row (24.8, so bits 16 up are the
// column), `step` its change per row (256 times the slope, below 2^39 either
// way); INT64_MAX for a step of 0. With `within` = sum mod 65536 (0..65535),
// a step of 65536 or more leaves the column after one row either way;
// smaller steps divide numbers below 2^17, which 32 bits hold. Without a
// divide instruction (Hardware false) that spares the 64-bit division, which
// costs an ARM9 three times a 32-bit one, and quotientBelow the call; with
// one, the plain quotients are cheaper still. Both ways are built everywhere for the tests.
template <bool Hardware>
int64_t rowsInColumn(int64_t sum, int64_t step)
{
    const int64_t within = sum - (sum >> 16) * 65536;
    if (Hardware) {
        if (step > 0)
            return (65536 - within + step - 1) / step;
        if (step < 0)
            return within / -step + 1;
        return INT64_MAX;
    }
    if (step >= 65536 || step <= -65536)
        return 1;
    if (step > 0)
        return quotientBelow(65536 - uint32_t(within) + uint32_t(step) - 1, uint32_t(step));
    if (step < 0)
        return quotientBelow(uint32_t(within), uint32_t(-step)) + 1;
    return INT64_MAX;
}

// Sets depth[0..count) to value; ByBytes takes memset where value's four
// bytes are equal. Both ways are built everywhere for the tests.
template <bool ByBytes>
void fillDepth(int32_t* depth, int32_t count, int32_t value);
// The same for an edge whose sum fits 32 bits (a column within +-32768), its
// step's inverse found once for all its blocks: `inverse` is
// inverseBelow(|step|) when 0 < |step| < 65536, unused otherwise. Numerators
// stay below 2^17; INT32_MAX for a step of 0. Without a divide instruction
// each quotient is then a multiply and a check instead of a call.
template <bool Hardware>
int32_t rowsInColumnNarrow(int32_t sum, int32_t step, uint32_t inverse)
{
    const uint32_t within = uint32_t(sum) & 0xFFFF;
    if (step >= 65536 || step <= -65536)
        return 1;
    if (step == 0)
        return INT32_MAX;
    const uint32_t n = step > 0 ? 65536 - within + uint32_t(step) - 1 : within;
    const uint32_t d = step > 0 ? uint32_t(step) : 0u - uint32_t(step);
    const uint32_t q = Hardware ? n / d : quotientWith(n, d, inverse);
    return int32_t(q) + (step < 0);
}

// Every depth entry becomes v * 256.
void clearDepth(Screen& screen, int32_t v);
// The same for the entries of the top-left width x height pixels only.
void clearDepthCorner(Screen& screen, int32_t v, int32_t width, int32_t height);
// Texture-mapped, depth-tested triangles, faces in file order.
void drawMesh(Mesh& mesh);
// One-colour triangles, no depth buffer, optionally darkened per face.
void drawMeshFlat(Mesh& mesh, int32_t colour);
