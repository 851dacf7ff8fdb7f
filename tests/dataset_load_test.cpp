// The forged data set through the show's own loaders: exact file sizes,
// picture shapes and mesh counts, and the leaves' share of rand(). Skipped
// when data/ has not been forged.
#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "assets/assets.h"
#include "scenes/spinning_leaves.h"
#include "show/startup.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct PictureFile {
    const char* path;
    int32_t size;  // 0: any
    bool grayscale;
    int width, height;
};

const PictureFile Pictures[] = {
    {"data/flare", 494, true, 32, 32},
    {"data/cloud1", 27248, true, 256, 256},
    {"data/cloud2", 24607, true, 256, 256},
    {"data/cloud3", 23988, true, 256, 256},
    {"data/credits", 22384, true, 320, 512},
    {"data/roto", 41675, true, 256, 256},
    {"data/bird", 666, true, 192, 32},
    {"data/lightning", 2170, true, 256, 192},
    {"data/maasto", 13913, false, 320, 240},
    {"data/heightmap", 12926, true, 320, 240},
    {"data/hiekkalogo", 14334, false, 320, 240},
    {"data/sand", 61479, false, 320, 240},
    {"data/knot", 10910, false, 256, 256},
    {"data/lehti", 18234, false, 256, 256},
    {"data/mask", 26316, false, 320, 240},
    {"data/jungle", 47107, false, 684, 248},
    {"data/girl", 0, false, 320, 240},
    {"data/stara", 0, false, 256, 256},
    {"data/forest", 33883, false, 320, 240},
    {"data/spidey", 5018, false, 256, 256},
    {"data/calendar", 13461, false, 256, 256},
    {"data/stoneblock", 22074, false, 256, 256},
    {"data/puut", 17122, false, 256, 256},
    {"data/lehdet", 11409, false, 256, 256},
    {"data/tausta", 29000, true, 320, 240},
    {"data/font-16x16", 0, true, 256, 64},
};

struct MeshFile {
    const char* path;
    int32_t vertices, faces, texCoords;
};

const MeshFile Meshes[] = {
    {"data/knot.ob", 72, 144, 304},     {"data/lehti.ob", 9, 12, 20},
    {"data/stara.ob", 160, 320, 386},   {"data/spidey.ob", 140, 276, 396},
    {"data/calendar.ob", 30, 56, 66},   {"data/pyramid.ob", 41, 56, 46},
    {"data/junkka.ob", 168, 168, 728},  {"data/plane.ob", 9, 8, 15},
    {"data/cube.ob", 26, 48, 54},
};

class DataSet : public testing::Test {
protected:
    void SetUp() override
    {
        if (!haveDataSet())
            GTEST_SKIP() << "data/ has not been forged";
        testScreen();
    }
};

TEST_F(DataSet, EveryPictureLoadsAtItsSizeAndShape)
{
    for (const PictureFile& file : Pictures) {
        // A wrong size or shape ends the child with status 1.
        EXPECT_EXIT(
            {
                Picture picture{};
                loadPicture(picture, file.path, testScreen(), file.size, file.grayscale);
                const bool fontSheet = std::string(file.path) == "data/font-16x16";
                requirePictureShape(picture, file.path, file.width, file.height,
                                    fontSheet ? 0xFFFF : file.height);
                std::exit(0);
            },
            testing::ExitedWithCode(0), "")
            << file.path;
        if (file.size != 0) {
            EXPECT_EXIT(
                {
                    Picture picture{};
                    loadPicture(picture, file.path, testScreen(), file.size + 1, file.grayscale);
                },
                testing::ExitedWithCode(1), "")
                << file.path << " one byte longer than it is";
        }
    }
}

TEST_F(DataSet, EveryMeshLoadsWithExactlyItsCounts)
{
    Picture texture{};
    for (const MeshFile& file : Meshes) {
        Mesh mesh{};
        loadMesh(mesh, file.path, texture, testScreen(), file.vertices, file.faces,
                 file.texCoords);
        EXPECT_EQ(mesh.vertexCount, file.vertices);
        // One entry fewer in the counts and the file has too many.
        EXPECT_EXIT(
            {
                dup2(2, 1);
                Mesh smaller{};
                loadMesh(smaller, file.path, texture, testScreen(), file.vertices - 1,
                         file.faces, file.texCoords);
            },
            testing::ExitedWithCode(1), "^bad mesh .*: more than [0-9]+ vertices\n$")
            << file.path;
    }
}

// Run in a fresh process by the test below: start the show as it starts and
// report the leaves' angles and spins, and whether they are the first 96
// values of the unseeded generator.
TEST(LeafAngles, DISABLED_ReportFromAFreshShow)
{
    constructShowObjects();
    prepareShow();
    std::string report;
    for (int i = 0; i < LeafCount; ++i)
        report += std::to_string(leafMeshes[i].angleX) + " " +
                  std::to_string(leafMeshes[i].angleZ) + " " + std::to_string(leafSpinX[i]) +
                  " " + std::to_string(leafSpinZ[i]) + "\n";
    std::srand(1);  // the sequence an unseeded program starts with
    bool first96 = true;
    for (int i = 0; i < LeafCount; ++i) {
        // The meshes' angles are reduced to 0..4095 by the projection, which
        // leaves values below 4000 as they are.
        first96 = first96 && leafMeshes[i].angleX == std::rand() % 4000;
        first96 = first96 && leafMeshes[i].angleZ == std::rand() % 4000;
        first96 = first96 && leafSpinX[i] == std::rand() % 20 + 40;
        first96 = first96 && leafSpinZ[i] == std::rand() % 20 + 40;
    }
    std::printf("LEAVES %s\n%s", first96 ? "first96" : "other", report.c_str());
}

TEST(LeafAngles, TwoRunsDrawTheSameFirstValues)
{
    if (!haveDataSet())
        GTEST_SKIP() << "data/ has not been forged";
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    self[length] = '\0';
    const std::string command =
        std::string(self) +
        " --gtest_also_run_disabled_tests --gtest_filter=LeafAngles.DISABLED_ReportFromAFreshShow"
        " 2>/dev/null | sed -n '/^LEAVES/,/^\\[/p' | grep -v '^\\['";
    const CommandResult first = runCommand(command);
    const CommandResult second = runCommand(command);
    ASSERT_EQ(first.output.rfind("LEAVES first96\n", 0), 0u) << first.output;
    EXPECT_EQ(std::count(first.output.begin(), first.output.end(), '\n'), LeafCount + 1);
    EXPECT_EQ(first.output, second.output);
}

}  // namespace
