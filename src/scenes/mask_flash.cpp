// Flashing mask zoom: the mask zooms from a small picture to a close-up of its
// centre, seen only in five short flashes; between them the drawn window is
// black.
#include "scenes/mask_flash.h"

#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <cstring>

MaskFlashState MaskFlash;

void resetMaskFlash()
{
    MaskFlash = {};
}

constexpr int32_t StartZoom = 1000;
constexpr int32_t ZoomStep = 5;
// Source window sampled, as unsigned 24.8 limits: rows 0..238, columns 0..318
// (the source's last row and column are never read).
constexpr uint32_t LastSourceRow = 238 * 256 + 255;
constexpr uint32_t LastSourceColumn = 318 * 256 + 255;

// Centiseconds after the scene's start, inclusive.
struct FlashWindow {
    uint32_t first, last;
};
constexpr FlashWindow Flashes[] = {
    {101, 119}, {131, 139}, {301, 309}, {501, 519}, {701, 719},
};

static int32_t flashVisibility(uint32_t time)
{
    constexpr uint32_t Start = sceneStart(MaskFlashBit);
    for (const FlashWindow& flash : Flashes)
        if (time >= Start + flash.first && time <= Start + flash.last)
            return 1;
    return 0;
}

void updateMaskFlash()
{
    // Pixels outside the source window are never drawn, so the first step
    // clears the screen they keep for the rest of the scene.
    if (MaskFlash.zoom == StartZoom)
        std::memset(MainScreen.pixels, 0, ScreenPixels);
    // Stops at 5, the closest view (about 51 times magnified), and never goes
    // to zero or below.
    if (MaskFlash.zoom > ZoomStep && MaskFlash.zoom < 64000)
        MaskFlash.zoom -= ZoomStep;
    MaskFlash.visible = flashVisibility(DemoTime);
    // Centred zoom: screen (160, 120) always samples source (160, 120).
    MaskFlash.originX = 160 * 256 - 160 * MaskFlash.zoom;
    MaskFlash.originY = 120 * 256 - 120 * MaskFlash.zoom;
}

// Source column of each screen column in this frame, or -1 outside the window.
static int32_t SourceColumn[ScreenWidth];

void drawMaskFlash()
{
    const int32_t z = MaskFlash.zoom;
    int32_t u = MaskFlash.originX;
    for (int32_t x = 0; x < ScreenWidth; ++x, u += z)
        SourceColumn[x] = uint32_t(u) <= LastSourceColumn ? u >> 8 : -1;

    // Screen rows 0..238 (row 239 is never drawn) sample the mask at
    // origin + z * (x, y); pixels whose source lies outside the window (the
    // unsigned tests also catch negative positions) keep what they show. Drawn
    // pixels take the mask times MaskFlash.visible, so between flashes they are 0.
    const uint8_t visible = uint8_t(MaskFlash.visible);
    int32_t v = MaskFlash.originY;
    for (int32_t y = 0; y < ScreenHeight - 1; ++y, v += z) {
        if (uint32_t(v) > LastSourceRow)
            continue;
        const uint8_t* source = maskPicture.pixels + RowOffsets[v >> 8];
        uint8_t* dst = MainScreen.pixels + RowOffsets[y];
        for (int32_t x = 0; x < ScreenWidth; ++x)
            if (SourceColumn[x] >= 0)
                dst[x] = uint8_t(visible * source[SourceColumn[x]]);
    }
}
