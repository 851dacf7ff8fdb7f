// Sun rays over water, the closing picture. A sun behind drifting clouds
// sends shafts of light outwards: every frame the sun disc is stamped into
// the light image (WorkBufferB), the clouds are subtracted from it, and it is
// enlarged slightly about a point near the sun and blurred (into
// WorkBufferA), so light passing between clouds streams outwards over many
// frames. Five birds cross the sky; the bottom quarter is water mirroring a
// band of the sky with ripples. In the last ten seconds all fades to black.
#include "scenes/sun_rays.h"

#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstring>

int32_t cloudSum[76800];      // 0..62 per pixel, rewritten each frame for rows 0..179
int32_t sunFade = 0;          // 0..255+, grows by one per update step after 274 s
uint8_t sunStampPending = 1;  // flag: the light starts all white

constexpr int32_t SkyRows = 180;
constexpr int32_t SkyPixels = SkyRows * ScreenWidth;
constexpr int32_t BirdCount = 5;
constexpr int32_t BirdFrames = 6;

void updateSunRays()
{
    for (int32_t b = 0; b < BirdCount; ++b)
        BirdX[b] += 1;
    if (sunStampPending) {
        std::memset(WorkBufferB, 255, sizeof WorkBufferB);
        sunStampPending = 0;
    }
    if (DemoTime > 27400)
        sunFade += 1;
}

static int32_t clampByte(int32_t value)
{
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

// Stamps the sun disc into the light and subtracts the two drifting cloud
// layers (the near one moves 2 columns per update step, the far one 1) and
// the fade, remembering each pixel's cloud sum for the sky.
static void stampSunAndClouds(int32_t frame, int32_t fade)
{
    for (int32_t i = 0; i < SkyPixels; ++i)
        if (SpotMask[i] != 0)
            WorkBufferB[i] = SpotMask[i];
    for (int32_t r = 0; r < SkyRows; ++r) {
        const uint8_t* nearRow = cloud3Picture.pixels + r * 256;
        const uint8_t* farRow = cloud2Picture.pixels + (r + 20) * 256;
        const int32_t row = RowOffsets[r];
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            const int32_t sum = nearRow[(x - 2 * frame) & 255] + farRow[(x - frame) & 255];
            cloudSum[row + x] = sum;
            WorkBufferB[row + x] = uint8_t(clampByte(WorkBufferB[row + x] - sum - fade));
        }
    }
}

// Enlarges the light by 256/235 about (233.1, 83.4), near the sun: screen
// (x, y) samples B at ((4896 + 235x) >> 8, (1752 + 235y) >> 8), which stays
// within columns 19..311 and rows 6..226.
static void enlargeLight()
{
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const uint8_t* source = WorkBufferB + RowOffsets[(1752 + 235 * y) >> 8];
        uint8_t* out = WorkBufferA + RowOffsets[y];
        for (int32_t x = 0; x < ScreenWidth; ++x)
            out[x] = source[(4896 + 235 * x) >> 8];
    }
}

// Blurs A in place in increasing order (the left neighbour is already
// blurred, the right and lower ones not yet) and writes the sky: the brighter
// of the cloud sum and the light, each less the fade, never below 0.
static void blurLightAndDrawSky(int32_t fade)
{
    uint8_t* a = WorkBufferA;
    uint8_t* screen = MainScreen.pixels;
    for (int32_t i = 320; i <= 76479; ++i) {
        a[i] = uint8_t((a[i - 1] + a[i + 1] + a[i + 320] + a[i - 320]) >> 2);
        if (i >= SkyPixels)
            continue;
        int32_t sky = cloudSum[i] - fade;
        if (sky < 0)
            sky = 0;
        if (sky <= a[i])
            sky = a[i] - fade;
        screen[i] = uint8_t(sky < 0 ? 0 : sky);
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
                const int32_t sx = BirdX[b] + x;
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
// cosines (x 256, scaled by 5120 >> 16: within +-80) ripple it; the rows
// nearest the horizon are darkened by 8 per row above row 210. The light
// shows through where it is brighter than the reflection.
static void drawWater(int32_t frame, int32_t fade)
{
    uint8_t* screen = MainScreen.pixels;
    for (int32_t row = SkyRows; row < ScreenHeight; ++row) {
        const int32_t j = row - SkyRows;
        const int32_t k = 140 - j;
        const int32_t horizon = 30 - j;
        const int32_t sourceRow =
            125 - j / 5 - ((SineTable[(-64 * frame - k * k) & 4095] * 2560) >> 16);
        const uint8_t* mirrored = screen + RowOffsets[sourceRow];
        const int32_t rowWave =
            CosineTable[(256 * k + 4 * frame) & 4095] + CosineTable[(128 * row + 8 * frame) & 4095];
        const int32_t p0 = RowOffsets[row];
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            const int32_t wave = (5120 * (CosineTable[(8 * frame + 16 * x) & 4095] +
                                          CosineTable[(32 * frame + 32 * x) & 4095] + rowWave)) >>
                                 16;
            int32_t value = mirrored[x] + wave;
            if (horizon > 0)
                value -= 8 * horizon;
            const int32_t light = WorkBufferA[p0 + x];
            const int32_t lit = clampByte(value + light - fade);
            const int32_t dim = light - fade;
            screen[p0 + x] = uint8_t(light < lit ? lit : dim > 0 ? dim : 0);
        }
    }
}

void drawSunRays()
{
    const int32_t frame = TickCount;
    const int32_t fade = sunFade;
    std::memset(MainScreen.pixels, 0, ScreenWidth);
    stampSunAndClouds(frame, fade);
    enlargeLight();
    blurLightAndDrawSky(fade);
    std::memcpy(WorkBufferB, WorkBufferA, sizeof WorkBufferB);
    drawBirds(frame);
    drawWater(frame, fade);
}
