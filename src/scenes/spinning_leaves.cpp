// Twenty-four leaves tumbling about the screen centre over a ring backdrop.
// Every leaf turns at its own rate, gets a sudden extra turn whenever the
// whole second changes, and spins twice as fast in the late appearances.
//
// The scene's state is the leaves' own: leafMeshes[i].angleX / angleZ (table
// indices, 4096 to a turn; random 0..3999 at load time) and the per-step
// rates leafSpinX / leafSpinZ (40..59), all set up with the meshes. Nothing
// is reset, so each appearance continues from the last one's orientations.
#include "gfx3d/mesh.h"
#include "gfx3d/raster.h"
#include "platform/assets.h"
#include "platform/frame.h"
#include "platform/screen.h"
#include "platform/tables.h"
#include "scenes/scenes.h"

#include <cstring>

namespace {

constexpr uint32_t FastSpinAfter = 23000;  // centiseconds; the late appearances spin twice as fast
constexpr int32_t SecondKick = 16;         // the once-a-second extra turn, in steps of the plain rate
constexpr int32_t LeafDepthClear = 200;    // far limit of the depth buffer, model units

}  // namespace

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
