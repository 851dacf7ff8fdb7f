// Rain over landscape: diagonal rain streaks behind the see-through sky of a
// still landscape, a small feedback effect in the two work buffers. B carries
// the raw pattern from frame to frame; A receives the smoothed copy shown.
#include "scenes/rain.h"
#include "core/random.h"

#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <cstring>

RainOverLandState RainOverLand;

void resetRainOverLand()
{
    RainOverLand = {};
}

constexpr uint32_t RainStart = sceneStart(RainBit) + RainThickensAfter;  // DemoTime, centiseconds
constexpr int32_t MaxIntensity = 250;
constexpr uint8_t SkyColour = 90;      // the flat sky before any drop
constexpr uint8_t SkyIndex = 255;      // landscape pixels that show the rain
constexpr int32_t FallBytes = 38400;   // the top 120 rows of the pattern move each frame
// Screen offsets that may show the rain (row 64 column 1 to row 167 column 0)
// and the pattern row shown 60 rows lower.
constexpr int32_t SkyFirst = 20481, SkyLast = 53440, SkyShift = 19200;

void updateRain()
{
    if (RainOverLand.resetPending) {
        RainOverLand.resetPending = 0;
        std::memset(WorkBufferB, SkyColour, sizeof WorkBufferB);
    }
    if (DemoTime > RainStart && RainOverLand.intensity < MaxIntensity)
        RainOverLand.intensity += 1;
}

// RainOverLand.intensity >> 4 new drops in B[1..640], each drawing its position, then
// its value 50..99. A drop in the first row stays and feeds its streak every
// frame until another replaces it.
static void addDrops()
{
    for (int32_t i = 0; i < RainOverLand.intensity >> 4; ++i) {
        const int32_t p = showRandom() % 640;
        WorkBufferB[p + 1] = uint8_t(showRandom() % 50 + 50);
    }
}

// The top half of the pattern moves one row down and one pixel right; B's
// first row and first pixel of the second are not overwritten.
static void fallOneRow()
{
    std::memcpy(WorkBufferA, WorkBufferB, FallBytes);
    std::memcpy(WorkBufferB + 321, WorkBufferA, FallBytes - 1);
}

// A[k] becomes the truncated average of B's two pixels to the left, the pixel
// above and the pixel above-left, for k = 321..76799; A[0..320] keep the
// copy of the fall.
static void smoothRain()
{
    const uint8_t* b = WorkBufferB + 321;
    uint8_t* a = WorkBufferA + 321;
    for (int32_t k = 321; k < 76800; ++k, ++a, ++b)
        *a = uint8_t((b[-1] + b[-2] + b[-320] + b[-321]) >> 2);
}

void drawRain()
{
    const uint8_t* landscape = landscapePicture.pixels;
    std::memcpy(MainScreen.pixels, landscape, ScreenPixels);
    addDrops();
    fallOneRow();
    smoothRain();
    // Sky pixels of the band show pattern A 60 rows higher; every other pixel
    // keeps the landscape.
    uint8_t* dst = MainScreen.pixels + SkyFirst;
    const uint8_t* shown = WorkBufferA + SkyFirst - SkyShift;
    for (int32_t k = SkyFirst; k <= SkyLast; ++k, ++dst, ++shown)
        if (landscape[k] == SkyIndex)
            *dst = *shown;
}
