// Jungle pan and zoom: the wide jungle picture scrolls one source pixel per
// update step; after 280 steps the view sinks and the sampling step shrinks
// faster and faster until it reaches zero, so the picture rushes at the viewer.
#include "scenes/jungle_zoom.h"

#include "assets/assets.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <algorithm>

uint32_t jungleTicks = 0;   // 0 at start, steps
int32_t jungleAccel = 0;    // 0 at start, 8.8 per step
int32_t jungleStep = 256;   // 256 at start (1:1), 8.8; ends at zero or below
int32_t junglePanX = -360;  // -360 at start, source columns
int32_t junglePanY = 120;   // 120 at start, source rows

// Steps of pure panning before the view starts to sink and zoom.
constexpr uint32_t PanOnlySteps = 280;

// Source column offset of each screen column in the current frame (may be
// negative: the picture is addressed linearly, so a negative column reaches
// into the end of the preceding row).
static int32_t ColumnSource[ScreenWidth];

void updateJungle()
{
    const uint32_t n = ++jungleTicks;
    if (n > PanOnlySteps) {
        if (n % 2 == 0)
            jungleAccel += 1;
        junglePanY += 2;
    }
    // Once the step is no longer positive it stays where it ended.
    if (jungleStep > 0)
        jungleStep -= jungleAccel;
    junglePanX += 1;
}

void drawJungle()
{
    const int32_t s = jungleStep;
    const int32_t originY = 256 * junglePanY - 120 * s;
    const int32_t originX = 256 * junglePanX - 320 * s;
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
