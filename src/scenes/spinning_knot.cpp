// Spinning knot: a textured knot tumbling about two axes on black. Its angles
// are its only state and carry over between its two appearances.
#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/screen.h"
#include "scenes/scenes.h"

#include <cstring>

constexpr int32_t KnotTurnX = 90;   // angle steps per update step about x
constexpr int32_t KnotTurnZ = 128;  // about z: a full turn every 32 steps

void updateKnot()
{
    knotMesh.angleX += KnotTurnX;
    knotMesh.angleZ += KnotTurnZ;
    transformMesh(knotMesh);
}

void drawKnot()
{
    std::memset(MainScreen.pixels, 0, ScreenPixels);
    clearDepth(MainScreen, 120);  // parts 120 units away or farther stay hidden
    drawMesh(knotMesh);
}
