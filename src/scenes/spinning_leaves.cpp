// Twenty-four leaves tumbling about the screen centre over a ring backdrop.
// Every leaf turns at its own rate, gets a sudden extra turn whenever the
// whole second changes, and spins twice as fast in the late appearances.
//
// Nothing is reset, so each appearance continues from the last one's
// orientations.
#include "core/random.h"
#include "gfx3d/mesh.h"
#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/credits_iris.h"
#include "scenes/scenes.h"
#include "scenes/spinning_leaves.h"
#include "scenes/timeline.h"

#include <cstring>

uint8_t RingBackground[76800];  // set at start-up, palette indices
Mesh leafMeshes[LeafCount];  // angleX / angleZ: table indices, random 0..3999 at load
int32_t leafSpinX[LeafCount];  // angle steps per update step, random 40..59 at load
int32_t leafSpinZ[LeafCount];

namespace {

// The late appearances, in the alternation from the knot's start on, spin
// twice as fast.
constexpr uint32_t FastSpinAfter = sceneStart(SpinningKnotBit);  // centiseconds
constexpr int32_t SecondKick = 16;         // the once-a-second extra turn, in steps of the plain rate
constexpr int32_t LeafDepthClear = 200;    // far limit of the depth buffer, model units

}  // namespace

// Rings 20 px apart about the screen centre: the pixel's distance d from it
// is its colour in the outer 9 px of each ring (11..19, 31..39, ...) and 0 in
// the inner 11. The distances are the credits' map (built first, about the
// same centre pixel (160, 120)): read there, not walked again.
void buildRingBackground()
{
    for (int32_t p = 0; p < ScreenPixels; ++p) {
        const uint32_t d = uint32_t(DistanceMap[p]);
        RingBackground[p] = d % 20 <= 10 ? 0 : uint8_t(d & 255);
    }
}

// The 24 leaves share one file, read once; each gets its own angles and spin
// rates, four random draws per leaf in this order.
void loadLeaves(Picture& texture)
{
    loadDataMesh(leafMeshes[0], dataFile("data/lehti.ob"), texture, MainScreen);
    for (int i = 1; i < LeafCount; ++i)
        copyMesh(leafMeshes[i], leafMeshes[0], texture);
    for (int i = 0; i < LeafCount; ++i) {
        Mesh& leaf = leafMeshes[i];
        leaf.angleX = showRandom() % 4000;
        leaf.angleZ = showRandom() % 4000;
        leafSpinX[i] = showRandom() % 20 + 40;
        leafSpinZ[i] = showRandom() % 20 + 40;
        leaf.shaded = 0;
        leaf.edgeSlopeLimit = 0;
    }
}

void updateLeaves()
{
    const int fast = DemoTime > FastSpinAfter ? 1 : 0;
    for (int i = 0; i < LeafCount; ++i) {
        Mesh& leaf = leafMeshes[i];
        if (SecondChanged) {
            leaf.angleX += leafSpinX[i] * SecondKick;
            leaf.angleZ += leafSpinZ[i] * SecondKick;
        }
        leaf.angleX += leafSpinX[i] << fast;
        leaf.angleZ += leafSpinZ[i] << fast;
        transformMesh(leaf);
    }
    SecondChanged = 0;
}

void drawLeaves()
{
    std::memcpy(MainScreen.pixels, RingBackground, ScreenPixels);
    clearDepth(MainScreen, LeafDepthClear);
    for (Mesh& leaf : leafMeshes)
        drawMesh(leaf);
}
