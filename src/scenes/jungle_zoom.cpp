// Jungle pan and zoom: the wide jungle picture scrolls one source pixel per
// update step; after 280 steps the view sinks and the sampling step shrinks
// faster and faster until it reaches zero, so the picture rushes at the viewer.
#include "scenes/jungle_zoom.h"

#include "assets/assets.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <algorithm>

JungleZoomState JungleZoom;

void resetJungleZoom()
{
    JungleZoom = {};
}

// Steps of pure panning before the view starts to sink and zoom.
constexpr uint32_t PanOnlySteps = 280;

// Source column offset of each screen column in the current frame (may be
// negative: the picture is addressed linearly, so a negative column reaches
// into the end of the preceding row).
static int32_t ColumnSource[ScreenWidth];

void updateJungle()
{
    const uint32_t n = ++JungleZoom.ticks;
    if (n > PanOnlySteps) {
        if (n % 2 == 0)
            JungleZoom.accel += 1;
        JungleZoom.panY += 2;
    }
    // Once the step is no longer positive it stays where it ended.
    if (JungleZoom.step > 0)
        JungleZoom.step -= JungleZoom.accel;
    JungleZoom.panX += 1;
}

void drawJungle()
{
    const int32_t s = JungleZoom.step;
    const int32_t originY = 256 * JungleZoom.panY - 120 * s;
    const int32_t originX = 256 * JungleZoom.panX - 320 * s;
    for (int32_t x = 0; x < ScreenWidth; ++x)
        ColumnSource[x] = (originX + s * (x + 1)) >> 8;

    // Each screen pixel (x, y) shows jungle index 684 * row(y) + ColumnSource[x],
    // row(y) = (originY + s * (y + 1)) >> 8. The index is clamped into the
    // picture: with the normal 25 ms steps it never leaves it, but 10 ms steps
    // (the "q" key) pan and sink four times as far and would read past its ends.
    const uint8_t* source = junglePicture.pixels;
    const int32_t lastIndex = int32_t(junglePicture.pixelCount) - 1;
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const int32_t rowBase = JungleWidth * ((originY + s * (y + 1)) >> 8);
        uint8_t* dst = MainScreen.pixels + RowOffsets[y];
        for (int32_t x = 0; x < ScreenWidth; ++x)
            *dst++ = source[std::clamp(rowBase + ColumnSource[x], 0, lastIndex)];
    }
}
