// Flooding sand logo: a rippling water surface rises over a logo modelled in
// sand. Sand above the water shows the logo; shallow water mixes logo, sand
// height and surface into a water shade; deep water is a plain shade that
// rises with the surface. Water shades are indices 128..255, logo 0..127.
#include "scenes/flooding_logo.h"

#include "assets/assets.h"
#include "core/saturate.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <algorithm>

FloodingLogoState FloodingLogo;

void resetFloodingLogo()
{
    FloodingLogo = {};
}
int32_t waterTable[76800];     // written by every update step, height units

constexpr int32_t SurfaceLift = 48;   // mean surface above FloodingLogo.level
constexpr int32_t SurfaceCap = 300;   // above every sand height (0..255)
constexpr int32_t DeepBelow = 70;     // sand further below the surface is deep
constexpr int32_t FirstWaterShade = 128;

// The ripple's three cosines: one across the columns, two across the rows.
static int32_t ColumnRipple[ScreenWidth];
static int32_t RowRipple[ScreenHeight];

void updateFlood()
{
    const int32_t level = ++FloodingLogo.level;
    const int32_t n = TickCount;
    for (int32_t x = 0; x < ScreenWidth; ++x)
        ColumnRipple[x] = CosineTable[(16 * n + 5104 - 16 * x) & 4095];
    for (int32_t y = 0; y < ScreenHeight; ++y)
        RowRipple[y] = CosineTable[(256 * n + 15296 - 64 * y) & 4095] +
                       CosineTable[(128 * n + 30592 - 128 * y) & 4095];

    // Surface height per pixel: the level lifted by 48, plus the three
    // cosines (each -256..255) scaled by 2560 / 65536 and floored (-30..29),
    // capped at SurfaceCap.
    int32_t* surface = waterTable;
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const int32_t rowRipple = RowRipple[y];
        for (int32_t x = 0; x < ScreenWidth; ++x)
            *surface++ = std::min(SurfaceCap,
                                  level + SurfaceLift + (((ColumnRipple[x] + rowRipple) * 2560) >> 16));
    }
}

void drawFlood()
{
    // Pixel by pixel with sand height h, surface w and logo index g: sand above
    // the surface shows g; sand more than DeepBelow under it shows the deep
    // shade w / 2 + 128 (at most 255); the rest shows the shallow shade
    // w / 2 + g / 2 + h / 2 kept in 128..255. Offset 0 is left as it is.
    const uint8_t* heights = heightMapPicture.pixels;
    const uint8_t* logo = sandLogoPicture.pixels;
    uint8_t* dst = MainScreen.pixels + 1;
    for (int32_t i = 1; i < ScreenPixels; ++i, ++dst) {
        const int32_t h = heights[i];
        const int32_t w = waterTable[i];
        const int32_t g = logo[i];
        if (h > w)
            *dst = uint8_t(g);
        else if (h < w - DeepBelow)
            *dst = addSaturating(w >> 1, FirstWaterShade);
        else
            *dst = uint8_t(std::clamp((w >> 1) + (g >> 1) + (h >> 1), FirstWaterShade, 255));
    }
}
