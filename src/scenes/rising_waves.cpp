// Rising waves: two layers of water, each a sum of travelling sine waves with
// a swelling height, rise from the bottom of a black screen. Each layer is
// filled downwards with a colour ramp that darkens with depth; the front
// layer lies 30 rows lower and covers the back one.
#include "scenes/rising_waves.h"

#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstring>

RisingWavesState RisingWaves;

void resetRisingWaves()
{
    RisingWaves = {};
}

constexpr int32_t BackColour = 64;   // colour at the back layer's surface
constexpr int32_t FrontColour = 80;  // colour at the front layer's surface
constexpr int32_t FrontDrop = 30;    // rows the front layer lies below the back one

void updateWaves()
{
    RisingWaves.base -= 1;
}

// Fills column x from row `surface` down to row 239: the pixel k rows below
// the surface gets topColour - k / 4. Rows above the screen (reachable only
// with 10 ms steps) are skipped, and the ramp stops at colour 0 rather than
// wrapping round to bright.
static void fillWaterColumn(int32_t x, int32_t surface, int32_t topColour)
{
    int32_t k = surface < 0 ? -surface : 0;
    uint8_t* pixel = MainScreen.pixels + RowOffsets[surface + k] + x;
    for (; surface + k <= 239; ++k, pixel += ScreenWidth) {
        const int32_t colour = topColour - (k >> 2);
        *pixel = uint8_t(colour > 0 ? colour : 0);
    }
}

// Each column's two surfaces: the mean level plus the swell A (at most 2048)
// times a travelling sine, both x 256, brought back with >> 16 to rows within
// 8 of the mean. The back surface travels twice as fast as the front one.
void drawWaves()
{
    const int32_t frame = TickCount;
    std::memset(MainScreen.pixels, 0, ScreenPixels);
    const int32_t swell = SineTable[(frame * 128) & 4095] * 8;
    for (int32_t x = 0; x < ScreenWidth; ++x) {
        const int32_t back = RisingWaves.base + ((swell * SineTable[(frame * 32 + 4 * x) & 4095]) >> 16);
        const int32_t front =
            RisingWaves.base + ((swell * SineTable[(frame * 16 + 4 * x + 80) & 4095]) >> 16) + FrontDrop;
        fillWaterColumn(x, back, BackColour);
        fillWaterColumn(x, front, FrontColour);
    }
}
