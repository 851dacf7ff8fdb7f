#include "objects/forest.h"
#include "core/random.h"

#include "gfx3d/raster.h"
#include "core/palette.h"


Forest SceneForest;

void createForest(Forest& forest)
{
    Screen& screen = *forest.screen;
    loadPalette(screen, dataFile("data/junkka.pal").path, 0, 256, 0);
    loadDataPicture(forest.trunkTexture, dataFile("data/puut"), screen);
    loadDataPicture(forest.leafTexture, dataFile("data/lehdet"), screen);
    // Each file is read once; the other meshes are copies.
    Mesh& firstTrunk = forest.trunks[0];
    loadDataMesh(firstTrunk, dataFile("data/junkka.ob"), forest.trunkTexture, screen);
    for (int i = 1; i < ForestTrunkCount; ++i)
        copyMesh(forest.trunks[i], firstTrunk, forest.trunkTexture);
    Mesh& firstLeaf = forest.leavesLeft[0];
    loadDataMesh(firstLeaf, dataFile("data/plane.ob"), forest.leafTexture, screen);
    // The leaves see through 254 from placeForest on, so they pass its runs
    // of the texture a run at a time.
    findTexelRuns(forest.leafRuns, forest.leafTexture.pixels, LeafSeeThrough);
    firstLeaf.texelRuns = &forest.leafRuns;
    for (int i = 0; i < ForestLeafPairs; ++i) {
        if (i > 0)
            copyMesh(forest.leavesLeft[i], firstLeaf, forest.leafTexture);
        copyMesh(forest.leavesRight[i], firstLeaf, forest.leafTexture);
    }
    placeForest(forest);
}

// offsetZ is 8.8: 10, 11 or 12 units off the eye line, at random.
static void placeLeaf(Mesh& leaf, int32_t offsetX, int32_t offsetY)
{
    leaf.offsetX = offsetX;
    leaf.offsetZ = (showRandom() % 3 + 10) * 256;
    leaf.transparentColour = LeafSeeThrough;
    leaf.offsetY = offsetY;
    leaf.angleZ = 0;
    leaf.angleX = 40;
}

void placeForest(Forest& forest)
{
    for (int i = 0; i < ForestTrunkCount; ++i) {
        Mesh& trunk = forest.trunks[i];
        trunk.angleX = 40;
        trunk.offsetY = 12800 * i - 25600;  // -100, -50 and 0 units deep
        trunk.offsetX = 0;
        trunk.offsetZ = 0;
        trunk.angleZ = 0;
    }
    // The pairs stand 10 units apart in depth, from -140 units to -70.
    for (int i = 0; i < ForestLeafPairs; ++i) {
        const int32_t offsetY = 2560 * i - 35840;
        placeLeaf(forest.leavesLeft[i], -3840, offsetY);
        placeLeaf(forest.leavesRight[i], 3840, offsetY);
    }
}

// One step towards the eye; a mesh that would pass `nearLimit` jumps back
// from where it stood, so the rows keep their spacing.
static void glide(Mesh& mesh, int32_t nearLimit, int32_t jumpBack)
{
    const int32_t next = mesh.offsetY - ForestStep;
    mesh.offsetY = next < nearLimit ? mesh.offsetY + jumpBack : next;
}

void tickForest(Forest& forest)
{
    for (Mesh& trunk : forest.trunks) {
        glide(trunk, TrunkNearLimit, TrunkJumpBack);
        transformMesh(trunk);
    }
    // A pair that has jumped back stays unprojected until it is in view again.
    for (int i = 0; i < ForestLeafPairs; ++i) {
        glide(forest.leavesLeft[i], LeafNearLimit, LeafJumpBack);
        glide(forest.leavesRight[i], LeafNearLimit, LeafJumpBack);
        if (forest.leavesLeft[i].offsetY < LeafShownDepth) {
            transformMesh(forest.leavesLeft[i]);
            transformMesh(forest.leavesRight[i]);
        }
    }
}

void drawForest(Forest& forest)
{
    for (Mesh& trunk : forest.trunks)
        drawMeshFlat(trunk, TrunkColour);
    // The left leaf's first vertex, as last projected, decides for the pair.
    for (int i = 0; i < ForestLeafPairs; ++i) {
        if (forest.leavesLeft[i].vertexDepth[0] < LeafShownDepth) {
            drawMesh(forest.leavesLeft[i]);
            drawMesh(forest.leavesRight[i]);
        }
    }
}
