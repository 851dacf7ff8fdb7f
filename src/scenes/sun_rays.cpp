// Sun rays over water, the closing picture. A sun behind drifting clouds
// sends shafts of light outwards: every frame the sun disc is stamped into
// the light image (WorkBufferB), the clouds are subtracted from it, and it is
// enlarged slightly about a point near the sun and blurred (into
// WorkBufferA), so light passing between clouds streams outwards over many
// frames. Five birds cross the sky; the bottom quarter is water mirroring a
// band of the sky with ripples. In the last ten seconds all fades to black.
#include "scenes/sun_rays.h"

#include "assets/assets.h"
#include "core/bytes.h"
#include "core/target.h"
#include "gfx2d/byte_words.h"
#include "gfx2d/feedback.h"
#include "core/saturate.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

alignas(4) uint8_t SpotMask[76800];  // 0 or 255 per screen pixel, set at start-up
alignas(4) uint8_t cloudSum[76800];  // 0..62 per pixel, rewritten each frame for rows 0..179
SunRaysState SunRays;

void resetSunRays()
{
    SunRays = {};
}
// Rows and columns (inclusive) of the sky that hold the sun disc's pixels of
// SpotMask, measured when the light is whitened; until then the whole sky.
static int32_t sunTop = 0, sunBottom = 179, sunLeft = 0, sunRight = 319;

constexpr int32_t SkyRows = 180;
constexpr int32_t SkyPixels = SkyRows * ScreenWidth;
constexpr int32_t BirdFrames = 6;

constexpr int32_t SunX = 220, SunY = 80;  // centre of the disc, screen pixels
constexpr uint32_t SunRadius = 40;         // pixels nearer than this are lit

// A pixel is nearer than the radius when dx^2 + dy^2 < radius^2, so each row
// of the disc is one run about the centre column, as wide as the largest dx
// with dx^2 <= radius^2 - 1 - dy^2 allows.
void buildSunSpot()
{
    static_assert(SunY - int32_t(SunRadius) >= 0 && SunY + int32_t(SunRadius) < SkyRows &&
                  SunX - int32_t(SunRadius) >= 0 && SunX + int32_t(SunRadius) < ScreenWidth,
                  "the disc lies within the sky");
    std::memset(SpotMask, 0, sizeof SpotMask);
    const int32_t reach = int32_t(SunRadius) - 1;  // the farthest row and column from the centre
    for (int32_t dy = -reach; dy <= reach; ++dy) {
        const int32_t halfWidth = int32_t(isqrt(uint32_t(reach * reach + 2 * reach - dy * dy)));
        std::memset(SpotMask + RowOffsets[SunY + dy] + SunX - halfWidth, 255, size_t(2 * halfWidth + 1));
    }
}

// The light is enlarged by 256/235 about (233.14, 83.43), near the sun:
// screen x samples column (x * 235 + 4896) >> 8, where 4896 = 233.14 * (256 -
// 235) keeps the centre column in place, and likewise 1752 = 83.43 * 21 for
// rows. Screen columns land on 19..311 and rows on 6..226.
constexpr int32_t EnlargeStep = 235;      // 8.8 source pixels per screen pixel
constexpr int32_t EnlargeOriginX = 4896;  // 8.8
constexpr int32_t EnlargeOriginY = 1752;  // 8.8

// The bounding box of the disc within the sky, so the stamp need not scan
// the whole sky every frame.
static void measureSunDisc()
{
    sunTop = SkyRows;
    sunBottom = -1;
    sunLeft = ScreenWidth;
    sunRight = -1;
    // Each row is searched from its left end and then from its right end
    // for its first and last lit pixel: a row is read about once.
    for (int32_t y = 0; y < SkyRows; ++y) {
        const uint8_t* row = SpotMask + y * ScreenWidth;
        const int32_t left = firstNonZero(row, ScreenWidth);
        if (left == ScreenWidth)
            continue;
        int32_t right = ScreenWidth - 1;
        while (row[right] == 0)
            --right;
        sunTop = std::min(sunTop, y);
        sunBottom = y;
        sunLeft = std::min(sunLeft, left);
        sunRight = std::max(sunRight, right);
    }
}

void updateSunRays()
{
    for (int32_t b = 0; b < BirdCount; ++b)
        SunRays.birdX[b] += 1;
    if (SunRays.stampPending) {
        std::memset(WorkBufferB, 255, sizeof WorkBufferB);
        measureSunDisc();
        SunRays.stampPending = 0;
    }
    if (DemoTime > sceneStart(SunRaysBit) + SunRaysFadeAfter)
        SunRays.fade += 1;
}

// Stamps the sun disc (within its box) into the light and subtracts the two
// drifting cloud layers (the near one moves 2 columns per update step, the far one 1) and
// the fade, remembering each pixel's cloud sum for the sky.
void subtractCloudsPlainly(int32_t frame, int32_t fade)
{
    for (int32_t y = sunTop; y <= sunBottom; ++y)
        for (int32_t i = RowOffsets[y] + sunLeft; i <= RowOffsets[y] + sunRight; ++i)
            if (SpotMask[i] != 0)
                WorkBufferB[i] = SpotMask[i];
    // The light is at most 255 and the sum at least 0, so with the fade at
    // least 0 (as it always is) only 0 can clip.
    // The cloud pictures' rows are 256 wide and wrap: screen column x reads
    // column (start + x) & 255. The row goes in stretches where neither
    // layer wraps, at most four, each read straight from the pictures.
    const int32_t nearStart = (-2 * frame) & 255, farStart = (-frame) & 255;
    const auto subtractClouds = [nearStart, farStart, fade](auto fadeNotNegative) {
        for (int32_t r = 0; r < SkyRows; ++r) {
            const uint8_t* nearRow = cloud3Picture.pixels + r * 256;
            const uint8_t* farRow = cloud2Picture.pixels + (r + 20) * 256;
            uint8_t* sums = cloudSum + RowOffsets[r];
            uint8_t* light = WorkBufferB + RowOffsets[r];
            for (int32_t x = 0; x < ScreenWidth;) {
                const int32_t nearFrom = (nearStart + x) & 255, farFrom = (farStart + x) & 255;
                const int32_t end = x + std::min({256 - nearFrom, 256 - farFrom, ScreenWidth - x});
                const int32_t nearShift = nearFrom - x, farShift = farFrom - x;
                for (; x < end; ++x) {
                    const int32_t sum = nearRow[nearShift + x] + farRow[farShift + x];
                    sums[x] = uint8_t(sum);
                    const int32_t left = light[x] - sum - fade;
                    light[x] = fadeNotNegative ? uint8_t(std::max(left, 0)) : clampToByte(left);
                }
            }
        }
    };
    if (fade >= 0)
        subtractClouds(std::true_type());
    else
        subtractClouds(std::false_type());
}

// One row of subtractCloudsByWords with the cloud rows' byte offsets within
// their words as constants (the shifts then cost no registers): the row goes
// in stretches where neither cloud row wraps, reading each cloud word once
// and joining it with the one before.
template <uint32_t NearShift, uint32_t FarShift, bool Fading>
static void subtractCloudRowByWords(int32_t r, int32_t nearStart, int32_t farStart, uint32_t fadeBytes)
{
    const uint8_t* nearRow = cloud3Picture.pixels + r * 256;
    const uint8_t* farRow = cloud2Picture.pixels + (r + 20) * 256;
    const uint8_t* near = nearRow + (nearStart & 252);
    const uint8_t* far = farRow + (farStart & 252);
    uint32_t nearLow = loadWord(near), farLow = loadWord(far);
    uint8_t* sums = cloudSum + RowOffsets[r];
    uint8_t* light = WorkBufferB + RowOffsets[r];
    uint8_t* const end = light + ScreenWidth;
    while (light < end) {
        near = near + 4 == nearRow + 256 ? nearRow : near + 4;
        far = far + 4 == farRow + 256 ? farRow : far + 4;
        const int32_t words = int32_t(std::min({nearRow + 256 - near, farRow + 256 - far, end - light}) / 4);
        for (int32_t k = 0; k < words; ++k, near += 4, far += 4, sums += 4, light += 4) {
            const uint32_t nearHigh = loadWord(near), farHigh = loadWord(far);
            const uint32_t sum = bytesAcross(nearLow, nearHigh, NearShift) + bytesAcross(farLow, farHigh, FarShift);
            nearLow = nearHigh;
            farLow = farHigh;
            storeWord(sums, sum);
            uint32_t left = minusSmallClamped(loadWord(light), sum);
            if constexpr (Fading)
                left = minusClamped(left, fadeBytes);
            storeWord(light, left);
        }
        near -= 4;
        far -= 4;
    }
}

// The same light and sums as subtractCloudsPlainly with a fade of 0 or more,
// four pixels a step (byte_words.h): the cloud pictures' values are 0..31
// (darkenClouds), so a sum stays below 128 and subtracts as a "small" byte;
// the fade, which may pass 255, leaves 0 from 255 on. SpotMask holds only 0
// and 255, so stamping it is OR-ing it in, the whole words of the disc's box.
void subtractCloudsByWords(int32_t frame, int32_t fade)
{
    for (int32_t y = sunTop; y <= sunBottom; ++y)
        for (int32_t i = RowOffsets[y] + (sunLeft & ~3); i <= RowOffsets[y] + sunRight; i += 4)
            storeWord(WorkBufferB + i, loadWord(WorkBufferB + i) | loadWord(SpotMask + i));
    using Row = void (*)(int32_t, int32_t, int32_t, uint32_t);
    // By the near row's offset (even: it moves 2 columns a step), the far
    // row's, and whether there is a fade.
    static constexpr Row Rows[2][4][2] = {
        {{subtractCloudRowByWords<0, 0, false>, subtractCloudRowByWords<0, 0, true>},
         {subtractCloudRowByWords<0, 8, false>, subtractCloudRowByWords<0, 8, true>},
         {subtractCloudRowByWords<0, 16, false>, subtractCloudRowByWords<0, 16, true>},
         {subtractCloudRowByWords<0, 24, false>, subtractCloudRowByWords<0, 24, true>}},
        {{subtractCloudRowByWords<16, 0, false>, subtractCloudRowByWords<16, 0, true>},
         {subtractCloudRowByWords<16, 8, false>, subtractCloudRowByWords<16, 8, true>},
         {subtractCloudRowByWords<16, 16, false>, subtractCloudRowByWords<16, 16, true>},
         {subtractCloudRowByWords<16, 24, false>, subtractCloudRowByWords<16, 24, true>}},
    };
    const int32_t nearStart = (-2 * frame) & 255, farStart = (-frame) & 255;
    const Row row = Rows[(nearStart & 3) / 2][farStart & 3][fade != 0];
    const uint32_t fadeBytes = EveryByte * uint32_t(std::min(fade, 255));
    for (int32_t r = 0; r < SkyRows; ++r)
        row(r, nearStart, farStart, fadeBytes);
}

static constexpr ColumnRuns EnlargedColumns = columnRuns(EnlargeOriginX, EnlargeStep);

// Screen (x, y) takes B at the enlarged position.
static void enlargeLight()
{
    for (int32_t y = 0; y < ScreenHeight; ++y)
        enlargeRow(WorkBufferA + RowOffsets[y],
                   WorkBufferB + RowOffsets[(EnlargeOriginY + EnlargeStep * y) >> 8],
                   EnlargedColumns);
}

// Blurs A in place in increasing order from pixel 320 to 76479: the left and
// upper neighbours are already blurred, the right and lower ones not yet.
static void blurLight()
{
    blurInScanOrder(WorkBufferA, ScreenWidth, ScreenPixels - ScreenWidth - 1, false);
}

void enlargeAndBlurLightApart()
{
    enlargeLight();
    blurLight();
}

constexpr int32_t enlargedSource(int32_t screen, int32_t origin)
{
    return (origin + EnlargeStep * screen) >> 8;
}

// The enlarged columns in runs that take consecutive source columns; the
// next run starts on the source column its run ended on (the step is below
// one source column, so a column is repeated or the next one taken).
struct SourceRuns {
    std::array<int32_t, ScreenWidth> length{};
    int32_t count = 0;
};
static constexpr SourceRuns EnlargedSourceRuns = [] {
    SourceRuns runs;
    runs.length[0] = 1;
    runs.count = 1;
    for (int32_t x = 1; x < ScreenWidth; ++x) {
        if (enlargedSource(x, EnlargeOriginX) == enlargedSource(x - 1, EnlargeOriginX))
            runs.length[size_t(runs.count++)] = 1;
        else
            runs.length[size_t(runs.count - 1)] += 1;
    }
    return runs;
}();

// One row of the blur straight from the light before enlarging: `out` is the
// row in A, `source` the light at its first pixel's source, `Down` the bytes
// from a source pixel to the next screen row's (320, or 0 where the source
// row repeats), `rightOfLast` the next screen row's first pixel. Returns the
// row's last blurred pixel, the next row's left neighbour.
template <int32_t Down>
static uint32_t blurEnlargedRow(uint8_t* out, const uint8_t* source, uint32_t behind, uint32_t rightOfLast)
{
    for (int32_t r = 0; r < EnlargedSourceRuns.count; ++r) {
        for (int32_t k = 1; k < EnlargedSourceRuns.length[size_t(r)]; ++k, ++source, ++out) {
            behind = (behind + source[1] + source[Down] + out[-ScreenWidth]) >> 2;
            *out = uint8_t(behind);
        }
        const uint32_t right = r + 1 < EnlargedSourceRuns.count ? source[0] : rightOfLast;
        behind = (behind + right + source[Down] + out[-ScreenWidth]) >> 2;
        *out++ = uint8_t(behind);
    }
    return behind;
}

// The same A as enlargeAndBlurLightApart in one pass that reads the pixels
// not yet blurred from B, where they would have been enlarged from, so A is
// written once and read once (the upper neighbour) instead of written twice
// and read four times. Rows 0 and 239, which the blur only reads, are
// enlarged as before.
void enlargeAndBlurLightTogether()
{
    const auto sourceRow = [](int32_t y) { return RowOffsets[enlargedSource(y, EnlargeOriginY)]; };
    constexpr int32_t FirstColumn = enlargedSource(0, EnlargeOriginX);
    enlargeRow(WorkBufferA, WorkBufferB + sourceRow(0), EnlargedColumns);
    uint32_t behind = WorkBufferA[ScreenWidth - 1];
    for (int32_t y = 1; y < ScreenHeight - 1; ++y) {
        const uint8_t* source = WorkBufferB + sourceRow(y) + FirstColumn;
        const uint32_t rightOfLast = WorkBufferB[sourceRow(y + 1) + FirstColumn];
        uint8_t* out = WorkBufferA + RowOffsets[y];
        if (sourceRow(y + 1) == sourceRow(y))
            behind = blurEnlargedRow<0>(out, source, behind, rightOfLast);
        else
            behind = blurEnlargedRow<ScreenWidth>(out, source, behind, rightOfLast);
    }
    enlargeRow(WorkBufferA + RowOffsets[ScreenHeight - 1], WorkBufferB + sourceRow(ScreenHeight - 1),
               EnlargedColumns);
}

// The sky below row 0: the brighter of the cloud sum and the light, each
// less the fade, never below 0.
void drawSkyPlainly(int32_t fade)
{
    const uint8_t* light = WorkBufferA;
    uint8_t* screen = MainScreen.pixels;
    const auto skyPixels = [&](int32_t by) {
        const auto pixel = [&](int32_t i) {
            int32_t sky = cloudSum[i] - by;
            if (sky < 0)
                sky = 0;
            if (sky <= light[i])
                sky = light[i] - by;
            screen[i] = uint8_t(sky < 0 ? 0 : sky);
        };
        // Two pixels a step (the count is even) halve the loop's counting.
        static_assert((SkyPixels - ScreenWidth) % 2 == 0);
        for (int32_t i = ScreenWidth; i < SkyPixels; i += 2) {
            pixel(i);
            pixel(i + 1);
        }
    };
    // Until the last seconds nothing fades, and the loop without the fade's
    // subtractions and clamps takes a third less.
    if (fade == 0)
        skyPixels(0);
    else
        skyPixels(fade);
}

// The same sky with a fade of 0 or more, four pixels a step: the cloud sum
// less the fade (below 128, a "small" byte) where it is above the light, else
// the light less the fade; without a fade, the brighter of the two. A fade
// of 62 or more leaves no cloud above 0, and the sky is the light less the
// fade alone.
void drawSkyByWords(int32_t fade)
{
    constexpr int32_t MostCloud = 62;  // 31 + 31
    const uint32_t fadeBytes = EveryByte * uint32_t(std::min(fade, 255));
    const uint8_t* const light = WorkBufferA;
    uint8_t* const screen = MainScreen.pixels;
    static_assert(ScreenWidth % 4 == 0 && SkyPixels % 4 == 0);
    if (fade == 0) {
        for (int32_t i = ScreenWidth; i < SkyPixels; i += 4) {
            const uint32_t cloud = loadWord(cloudSum + i), lit = loadWord(light + i);
            storeWord(screen + i, selectBytes(widenHighBits(atLeastSmall(lit, cloud)), lit, cloud));
        }
    } else if (fade < MostCloud) {
        for (int32_t i = ScreenWidth; i < SkyPixels; i += 4) {
            const uint32_t cloud = minusSmallClamped(loadWord(cloudSum + i), fadeBytes);
            const uint32_t lit = loadWord(light + i);
            storeWord(screen + i, selectBytes(widenHighBits(atLeastSmall(lit, cloud)),
                                              minusSmallClamped(lit, fadeBytes), cloud));
        }
    } else {
        for (int32_t i = ScreenWidth; i < SkyPixels; i += 4)
            storeWord(screen + i, minusClamped(loadWord(light + i), fadeBytes));
    }
}

// Each bird darkens the sky by a quarter of its picture value; six frames of
// flapping at half the update rate. Screen column 0 and anything right of 319
// are left alone.
static void drawBirds(int32_t frame)
{
    for (int32_t b = 0; b < BirdCount; ++b) {
        const int32_t flap = (b + (frame >> 1)) % BirdFrames;
        for (int32_t r = 0; r < 32; ++r) {
            const uint8_t* source = birdPicture.pixels + r * 192 + 32 * flap;
            uint8_t* row = MainScreen.pixels + RowOffsets[BirdY[b] + r];
            for (int32_t x = 0; x < 32; ++x) {
                const int32_t sx = SunRays.birdX[b] + x;
                if (sx < 1 || sx > 319)
                    continue;
                const int32_t darker = row[sx] - (source[x] >> 2);
                row[sx] = uint8_t(darker > 0 ? darker : 0);
            }
        }
    }
}

// Water rows 180..239: row j mirrors sky row 125 - j/5 (rows 103..135, five
// water rows per sky row), wobbling by up to 10 rows; four travelling
// cosines (x 256, scaled by 5120 >> 16: within +-80) ripple it, two along the
// row and two down the columns; the rows nearest the horizon are darkened by
// 8 per row above row 210. The light shows through where it is brighter than
// the reflection.
static void drawWater(int32_t frame, int32_t fade)
{
    int32_t columnWave[ScreenWidth];
    for (int32_t x = 0; x < ScreenWidth; ++x)
        columnWave[x] = CosineTable[(8 * frame + 16 * x) & 4095] +
                        CosineTable[(32 * frame + 32 * x) & 4095];
    uint8_t* screen = MainScreen.pixels;
    for (int32_t row = SkyRows; row < ScreenHeight; ++row) {
        const int32_t j = row - SkyRows;
        const int32_t k = 140 - j;
        const int32_t horizon = 30 - j;
        const int32_t darken = horizon > 0 ? 8 * horizon : 0;
        const int32_t sourceRow =
            125 - j / 5 - ((SineTable[(-64 * frame - k * k) & 4095] * 2560) >> 16);
        const uint8_t* mirrored = screen + RowOffsets[sourceRow];
        const uint8_t* light = WorkBufferA + RowOffsets[row];
        uint8_t* out = screen + RowOffsets[row];
        const int32_t rowWave =
            CosineTable[(256 * k + 4 * frame) & 4095] + CosineTable[(128 * row + 8 * frame) & 4095];
        if (fade == 0) {
            // Without a fade the reflection adds what it has above 0 to the
            // light, up to 255: lit = value + light is above the light just
            // where value is above 0.
            for (int32_t x = 0; x < ScreenWidth; ++x) {
                const int32_t wave = (5120 * (columnWave[x] + rowWave)) >> 16;
                const int32_t value = mirrored[x] + wave - darken;
                const int32_t lit = light[x] + (value > 0 ? value : 0);
                out[x] = uint8_t(lit < 255 ? lit : 255);
            }
            continue;
        }
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            const int32_t wave = (5120 * (columnWave[x] + rowWave)) >> 16;
            const int32_t value = mirrored[x] + wave - darken;
            const int32_t lit = clampToByte(value + light[x] - fade);
            const int32_t dim = light[x] - fade;
            out[x] = uint8_t(light[x] < lit ? lit : dim > 0 ? dim : 0);
        }
    }
}

// Four pixels a word pay where there is no vector unit (which takes the
// plain loops many pixels at a time) and every buffer is word aligned.
static bool wordsSuit()
{
    const uintptr_t addresses = reinterpret_cast<uintptr_t>(MainScreen.pixels) |
                                reinterpret_cast<uintptr_t>(WorkBufferA) |
                                reinterpret_cast<uintptr_t>(WorkBufferB) |
                                reinterpret_cast<uintptr_t>(cloud2Picture.pixels) |
                                reinterpret_cast<uintptr_t>(cloud3Picture.pixels);
    return !VectorUnit && std::endian::native == std::endian::little && (addresses & 3) == 0;
}

void drawSunRays()
{
    const int32_t frame = TickCount;
    const int32_t fade = SunRays.fade;
    std::memset(MainScreen.pixels, 0, ScreenWidth);
    const bool byWords = wordsSuit() && fade >= 0;
    if (byWords)
        subtractCloudsByWords(frame, fade);
    else
        subtractCloudsPlainly(frame, fade);
    // A vector unit blurs by pieces many pixels at a time; without one the
    // single pass costs least.
    if constexpr (VectorUnit)
        enlargeAndBlurLightApart();
    else
        enlargeAndBlurLightTogether();
    if (byWords)
        drawSkyByWords(fade);
    else
        drawSkyPlainly(fade);
    std::memcpy(WorkBufferB, WorkBufferA, sizeof WorkBufferB);
    drawBirds(frame);
    drawWater(frame, fade);
}
