// Cloud flight: three cloud pictures as flat layers, each zooming towards the
// viewer and brightening as it comes near, then restarting far away; the
// layers are staggered so that one is always close. The view sways sideways.
// The picture is built in WorkBufferA, every other row per frame, and then
// copied to the screen. No state of its own: all follows from the clock.
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <cstring>

constexpr int LayerCount = 3;

void drawCloudFlight()
{
    const int32_t frame = TickCount;
    // In the alternation of four scenes from the knot's start on, twice as fast.
    const int32_t travel = DemoTime > sceneStart(SpinningKnotBit) ? frame * 16 : frame * 8;
    const uint8_t* const clouds[LayerCount] = {cloud1Picture.pixels, cloud2Picture.pixels,
                                               cloud3Picture.pixels};
    // Depth index k of each layer: 255 far away, 0 passing the eye.
    const int32_t depth[LayerCount] = {(-travel) & 255, (150 - travel) & 255, (100 - travel) & 255};
    const int32_t sway = SineTable[(2 * travel) & 4095] >> 1;

    int32_t rowCoord[LayerCount];    // picture row of the current screen row, 8.8
    int32_t brightness[LayerCount];  // 0..512, applied as value * b >> 8
    int32_t step[LayerCount];        // picture columns per screen column, 8.8
    for (int j = 0; j < LayerCount; ++j) {
        rowCoord[j] = FalloffRamp[depth[j]];
        brightness[j] = TriangleRamp[depth[j]];
        step[j] = IdentityRamp[depth[j]];
    }

    // Each drawn row samples every layer along one picture row (row base
    // R = whole row of rowCoord, times 256, plus the sway) from picture
    // column FalloffRamp[k] / 256, stepping k / 256 columns per pixel; the
    // indices wrap at 65536, so the 256 x 256 clouds tile. The three scaled
    // values add up to at most 186, so the byte never wraps.
    for (int32_t y = frame & 1; y <= 239; y += 2) {
        int32_t rowBase[LayerCount];
        int32_t column[LayerCount];
        for (int j = 0; j < LayerCount; ++j) {
            rowBase[j] = (rowCoord[j] & ~255) + sway;
            column[j] = FalloffRamp[depth[j]];
        }
        uint8_t* out = WorkBufferA + RowOffsets[y];
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            int32_t sum = 0;
            for (int j = 0; j < LayerCount; ++j) {
                sum += (clouds[j][(rowBase[j] + (column[j] >> 8)) & 0xFFFF] * brightness[j]) >> 8;
                column[j] += step[j];
            }
            out[x] = uint8_t(sum);
        }
        for (int j = 0; j < LayerCount; ++j)
            rowCoord[j] += 4 * depth[j];
    }
    std::memcpy(MainScreen.pixels, WorkBufferA, ScreenPixels);
}
