// The forged data set through the show's own loaders, against the data
// table: exact file sizes, picture shapes and mesh counts, and the leaves'
// share of rand().
#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "assets/assets.h"
#include "scenes/spinning_leaves.h"
#include "core/show_state.h"
#include "scenes/scenes.h"
#include "show/load.h"
#include "show/snapshot.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class DataSet : public testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_DATA_SET();
        testScreen();
    }
};

TEST_F(DataSet, EveryPictureLoadsAtItsSizeAndShape)
{
    for (const DataFile& file : DataFiles) {
        if (!isPicture(file))
            continue;
        // A wrong size or shape ends the child with status 1.
        EXPECT_EXIT(
            {
                Picture picture{};
                loadDataPicture(picture, file, testScreen());
                std::exit(0);
            },
            testing::ExitedWithCode(0), "")
            << file.path;
        if (file.bytes != 0) {
            EXPECT_EXIT(
                {
                    DataFile longer = file;
                    ++longer.bytes;
                    Picture picture{};
                    loadDataPicture(picture, longer, testScreen());
                },
                testing::ExitedWithCode(1), "")
                << file.path << " one byte longer than it is";
        }
    }
}

TEST_F(DataSet, EveryMeshLoadsWithExactlyItsCounts)
{
    Picture texture{};
    for (const DataFile& file : DataFiles) {
        if (file.kind != DataKind::Mesh)
            continue;
        Mesh mesh{};
        loadDataMesh(mesh, file, texture, testScreen());
        EXPECT_EQ(mesh.vertexCount, file.vertices);
        // One entry fewer in the counts and the file has too many.
        EXPECT_EXIT(
            {
                dup2(2, 1);
                DataFile smaller = file;
                --smaller.vertices;
                Mesh mesh{};
                loadDataMesh(mesh, smaller, texture, testScreen());
            },
            testing::ExitedWithCode(1), "^bad mesh .*: more than [0-9]+ vertices\n$")
            << file.path;
    }
}

// The leaves take the first 96 draws of the show's generator, which are the
// first 96 values of an unseeded glibc rand(); a reset gives them back.
TEST(LeafAngles, LeavesTakeTheFirstDrawsAndAResetRestoresThem)
{
    REQUIRE_DATA_SET();
    freshShow();
    std::srand(1);  // the sequence an unseeded program starts with
    for (int i = 0; i < LeafCount; ++i) {
        // The meshes' angles are reduced to 0..4095 by the projection, which
        // leaves values below 4000 as they are.
        EXPECT_EQ(leafMeshes[i].angleX, std::rand() % 4000) << i;
        EXPECT_EQ(leafMeshes[i].angleZ, std::rand() % 4000) << i;
        EXPECT_EQ(leafSpinX[i], std::rand() % 20 + 40) << i;
        EXPECT_EQ(leafSpinZ[i], std::rand() % 20 + 40) << i;
    }
    const Mesh first = leafMeshes[5];
    DemoTime = 9000;
    for (int step = 0; step < 30; ++step)
        updateLeaves();
    ASSERT_NE(leafMeshes[5].angleX, first.angleX);
    resetShow();
    EXPECT_EQ(leafMeshes[5].angleX, first.angleX);
    EXPECT_EQ(leafMeshes[5].angleZ, first.angleZ);
    EXPECT_EQ(DemoTime, 0u);
}

// Every value of every cloud picture comes down to a value in 0..31, the
// word-aligned pictures and one that is not.
TEST(DarkenClouds, EveryValueShiftedDownByThree)
{
    Picture* clouds[] = {&cloud1Picture, &cloud2Picture, &cloud3Picture};
    const Picture saved[] = {cloud1Picture, cloud2Picture, cloud3Picture};
    std::vector<uint8_t> pixels(3 * 65536 + 8);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 7 + i / 256);
    const std::vector<uint8_t> before = pixels;
    const size_t starts[] = {0, 65536 + 4, 2 * 65536 + 5};
    for (int k = 0; k < 3; ++k)
        clouds[k]->pixels = pixels.data() + starts[k];
    darkenClouds();
    for (int k = 0; k < 3; ++k)
        for (size_t i = starts[k]; i < starts[k] + 65536; ++i)
            ASSERT_EQ(pixels[i], before[i] >> 3) << k << " " << i;
    for (int k = 0; k < 3; ++k)
        *clouds[k] = saved[k];
}

}  // namespace
