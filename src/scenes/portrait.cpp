// Portrait with spinning star: a still portrait with a small textured star
// turning in its upper right; for one second in the middle it spins faster.
#include "scenes/portrait.h"

#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "scenes/scenes.h"

#include <cstring>

// Spin per update step in angle steps (4096 to a turn), normal and fast.
constexpr int32_t SpinZ = 16, SpinX = 20;
constexpr int32_t FastSpinZ = 48, FastSpinX = 100;

void updatePortrait()
{
    const bool fast = DemoTime >= FastSpinFirst && DemoTime <= FastSpinLast;
    starMesh.angleZ += fast ? FastSpinZ : SpinZ;
    starMesh.angleX += fast ? FastSpinX : SpinX;
    starMesh.centreX = 230 * 256;       // 24.8 screen position
    starMesh.centreY = 70 * 256;
    starMesh.cameraDepth = -250 * 256;  // 8.8
    transformMesh(starMesh);
}

// The star never meets the portrait in depth: the portrait is a plain copy
// and the depth buffer is cleared after it.
void drawPortrait()
{
    std::memcpy(MainScreen.pixels, portraitPicture.pixels, ScreenPixels);
    clearDepth(MainScreen, 100);
    drawMesh(starMesh);
}
