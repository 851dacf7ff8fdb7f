#include "assets/assets.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

TEST(SpinningKnot, EachStepTurnsNinetyAboutXAndAnEighthAboutZ)
{
    testScreen();
    knotMesh.visible = 1;
    knotMesh.vertexCount = 0;
    knotMesh.angleX = 4050;
    knotMesh.angleZ = 4000;
    updateKnot();
    EXPECT_EQ(knotMesh.angleX, (4050 + 90) & 4095);
    EXPECT_EQ(knotMesh.angleZ, (4000 + 128) & 4095);
    updateKnot();
    EXPECT_EQ(knotMesh.angleX, (4050 + 180) & 4095) << "two steps before a frame turn twice";
    for (int step = 0; step < 32; ++step)
        updateKnot();
    EXPECT_EQ(knotMesh.angleZ, (4000 + 256) & 4095) << "a full turn about z every 32 steps";
}

}  // namespace
