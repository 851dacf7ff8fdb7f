// The pyramid of flares. Only the pyramid's projected vertices are drawn, as
// 32 x 32 additive flares. While the overlay bit is set the screen is never
// cleared: the overlay blurs the last picture, zooms it in about the
// pyramid's centre and darkens it, so every flare streams a trail outwards.
#include "scenes/flare_pyramid.h"

#include "gfx2d/blit.h"
#include "gfx2d/feedback.h"
#include "gfx3d/mesh.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scene_bits.h"
#include "scenes/scenes.h"

#include <algorithm>
#include <cstring>

FlarePyramidState FlarePyramid;

void resetFlarePyramid()
{
    FlarePyramid = {};
}

namespace {

constexpr int32_t ZoomStep = 230;      // source step per screen pixel, 8.8 (256/230 zoom)
constexpr int32_t DropSteps = 200;     // steps of the drop; the spin follows
constexpr int32_t FloorY = 120;        // pixel row the drop stops at
constexpr int32_t UnlightFrom = 350;   // from here every 10th step lights one more vertex
constexpr int32_t DriftFrom = 450;     // from here the pyramid drifts and the trails shorten
constexpr int32_t RestX = 115 * 256;   // 24.8 screen position the pyramid drifts to
constexpr int32_t RestY = 165 * 256;
constexpr int32_t SpinStopAngle = 100; // the spin stops once angleX comes round below this
constexpr int BlurFirst = 16001;       // the blurred band: rows 50 to 208
constexpr int BlurLast = 66640;

// The zoom maps screen pixel (x, y) to source (zoomOrigin + 230 (x, y)) / 256;
// this origin leaves the 24.8 point c where it is.
int32_t zoomOriginFor(int32_t c)
{
    return c - ((c * ZoomStep) >> 8);
}

// The drop follows a sine arc: the table's angle index runs backwards from
// just under a full turn, so the centre starts 49 px above the screen and
// comes down; the arc would carry it past row 120, where it is held.
void dropPyramid(int32_t step)
{
    const int32_t s = SineTable[(-4 * step) & 4095];
    const int32_t height = std::min(((s * 48640) >> 16) - 50, FloorY);
    pyramidMesh.centreY = height * 256;
    pyramidMesh.angleX += 5;
    pyramidMesh.angleZ += 10;
}

// angleX was reduced to 0..4095 by the last transform, so the spin is
// caught on its way round past 0.
void spinPyramid(int32_t step)
{
    if (step > DriftFrom && pyramidMesh.angleX < SpinStopAngle)
        FlarePyramid.spinning = 0;
    if (FlarePyramid.spinning)
        pyramidMesh.angleX += 10;
}

void driftAndShortenTrails()
{
    if (pyramidMesh.centreX > RestX)
        pyramidMesh.centreX -= 256;
    if (pyramidMesh.centreY < RestY)
        pyramidMesh.centreY += 256;
    if (FlarePyramid.trailFade > 0 && (TickCount & 15) == 0)
        FlarePyramid.trailFade -= 1;
}

// Blurs the band of WorkBufferB in place with its four neighbours, walking
// downwards from the band's last offset: the right and lower neighbours are
// already blurred when a pixel is taken, the left and upper ones not yet, so
// the smear leans down and to the left. Row ends wrap into the next row.
void blurWorkBufferB()
{
    blurInScanOrder(WorkBufferB, BlurFirst, BlurLast, true);
}

// A source row of the zoom. During the drop the centre can lie above the
// screen, and a pause can bring the overlay on before the pyramid has landed;
// its rows are then held to the picture's edge instead of read outside it.
int32_t zoomSourceRow(int32_t y)
{
    return std::clamp((FlarePyramid.zoomOriginY + ZoomStep * y) >> 8, 0, ScreenHeight - 1);
}

// Screen pixel (x, y) takes the source pixel at (zoomOrigin + 230 (x, y)) >> 8,
// less FlarePyramid.trailFade, floored at 0. The source column stays inside the row: the
// pyramid's centreX only ever lies between 115 and 130 px, so the columns
// run from about 11 to 300.
void zoomAndFadeIntoScreen()
{
    const ColumnRuns columns = columnRuns(FlarePyramid.zoomOriginX, ZoomStep);
    const int32_t fade = FlarePyramid.trailFade;
    for (int y = 0; y < ScreenHeight; ++y) {
        uint8_t* dest = MainScreen.pixels + RowOffsets[y];
        enlargeRow(dest, WorkBufferB + RowOffsets[zoomSourceRow(y)], columns);
        for (int x = 0; x < ScreenWidth; ++x)
            dest[x] = uint8_t(dest[x] > fade ? dest[x] - fade : 0);
    }
}

}  // namespace

void updateFlarePyramid()
{
    FlarePyramid.step += 1;
    const int32_t step = FlarePyramid.step;
    FlarePyramid.zoomOriginX = zoomOriginFor(pyramidMesh.centreX);
    FlarePyramid.zoomOriginY = zoomOriginFor(pyramidMesh.centreY);
    if (step <= DropSteps)
        dropPyramid(step);
    else
        spinPyramid(step);
    if (step > UnlightFrom && step % 10 == 0 && FlarePyramid.firstFlare > 0)
        FlarePyramid.firstFlare -= 1;
    if (step > DriftFrom)
        driftAndShortenTrails();
    transformMesh(pyramidMesh);
}

// The overlay runs before every other draw block of the frame, so the screen
// still holds the previous frame's picture.
void drawZoomTrails()
{
    std::memcpy(WorkBufferB, MainScreen.pixels, ScreenPixels);
    blurWorkBufferB();
    zoomAndFadeIntoScreen();
}

void drawFlarePyramid()
{
    if (!(SceneMask & ZoomTrailsBit))
        std::memset(MainScreen.pixels, 0, ScreenPixels);
    for (int i = FlarePyramid.firstFlare; i < pyramidMesh.vertexCount; ++i)
        addSprite32(flarePicture, pyramidMesh.screenX[i] >> 8, pyramidMesh.screenY[i] >> 8);
}
