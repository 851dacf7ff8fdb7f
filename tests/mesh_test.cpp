// The .ob reader, the mesh defaults, and the transform and projection.
#include "gfx3d/mesh.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One triangle in the layout the forge writes, with the extra tokens an
// exporter puts around the entries.
const char* const OneTriangle = R"(*3DSMAX_ASCIIEXPORT 200
*GEOMOBJECT {
  *NODE_NAME "tri"
  *MESH {
    *TIMEVALUE 0
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 1
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 0 1.0 0.0 0.0
      *MESH_VERTEX 1 0.0 1.0 0.0
      *MESH_VERTEX 2 0.0 0.0 1.0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1
    }
    *MESH_NUMTVERTEX 3
    *MESH_TVERTLIST {
      *MESH_TVERT 0 0.0 0.0 0.0
      *MESH_TVERT 1 0.5 0.0 0.0
      *MESH_TVERT 2 0.0 0.5 0.0
    }
    *MESH_NUMTVFACES 1
    *MESH_TFACELIST {
      *MESH_TFACE 0 0 1 2
    }
  }
}
)";

class ObFiles : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        dir = makeTempDir("mesh");
    }

    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = (dir / name).string();
        std::FILE* file = std::fopen(path.c_str(), "w");
        std::fputs(text.c_str(), file);
        std::fclose(file);
        return path;
    }

    void load(Mesh& mesh, const std::string& path, int32_t vertices, int32_t faces,
              int32_t texCoords)
    {
        loadMesh(mesh, path.c_str(), texture, testScreen(), vertices, faces, texCoords);
    }

    fs::path dir;
    Picture texture{};
};

TEST_F(ObFiles, ConvertsNumbersInSinglePrecisionAndTruncates)
{
    const std::string path = write("numbers.ob",
                                   "*MESH_VERTEX 0 1.5 -2.25 0.001\n"
                                   // 1.00390624 rounds to the float 1 + 1/256: 257, where
                                   // double precision would give 256.
                                   "*MESH_VERTEX 1 1.00390624 -0.999 -1.0039\n"
                                   "*MESH_TVERT 3 0.5 0.25 0.0\n"
                                   // 0.49999999 is the float 0.5: 32768, not 32767.
                                   "*MESH_TVERT 4 0.49999999 -0.00001\n"
                                   "*MESH_FACE 0: A: 0 B: 1 C: 0\n"
                                   "*MESH_TFACE 0 0 1 1\n");
    Mesh mesh{};
    load(mesh, path, 2, 1, 2);
    EXPECT_EQ(mesh.vertices[0], 384);
    EXPECT_EQ(mesh.vertices[1], -576);
    EXPECT_EQ(mesh.vertices[2], 0);
    EXPECT_EQ(mesh.vertices[3], 257);
    EXPECT_EQ(mesh.vertices[4], -255) << "truncated toward zero, not down";
    EXPECT_EQ(mesh.vertices[5], -256);
    EXPECT_EQ(mesh.texCoords[0], 32768);
    EXPECT_EQ(mesh.texCoords[1], 16384);
    EXPECT_EQ(mesh.texCoords[2], 32768);
    EXPECT_EQ(mesh.texCoords[3], 0);
}

TEST_F(ObFiles, EntriesFillSlotsInFileOrderWhateverTheirLabels)
{
    const std::string path = write("labels.ob",
                                   "*MESH_VERTEX 7 1 2 3\n"
                                   "*MESH_VERTEX 0 4 5 6\n"
                                   "*MESH_FACE 3: A: 1 B: 0 C: 1\n"
                                   "*MESH_TVERT 9 0.25 0.75 0.5\n"
                                   "*MESH_TFACE 5 0 0 0\n");
    Mesh mesh{};
    load(mesh, path, 2, 1, 1);
    const int32_t vertices[6] = {256, 512, 768, 1024, 1280, 1536};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(mesh.vertices[i], vertices[i]) << "value " << i;
    EXPECT_EQ(mesh.texCoords[0], 16384);
    EXPECT_EQ(mesh.texCoords[1], 49152);
}

TEST_F(ObFiles, KeywordsAreWholeTokensAndEverythingElseIsSkipped)
{
    std::string text = OneTriangle;
    // Tokens that begin with a keyword, a stray number, and a token longer
    // than the reader keeps, whose tail spells a keyword.
    text += "*MESH_VERTEXX 9 9 9\n*MESH_FACE_LIST 1.0\n";
    text += std::string(79, 'x') + "*MESH_VERTEX 5 5 5\n";
    text += std::string(300, 'y') + "\n";
    const std::string path = write("triangle.ob", text);
    Mesh mesh{};
    load(mesh, path, 3, 1, 3);
    const int32_t vertices[9] = {256, 0, 0, 0, 256, 0, 0, 0, 256};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(mesh.vertices[i], vertices[i]) << "value " << i;
    EXPECT_EQ(mesh.faces[0], 0);
    EXPECT_EQ(mesh.faces[1], 1);
    EXPECT_EQ(mesh.faces[2], 2);
    const int32_t texCoords[6] = {0, 0, 32768, 0, 0, 32768};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(mesh.texCoords[i], texCoords[i]) << "value " << i;
    EXPECT_EQ(mesh.texFaces[0], 0);
    EXPECT_EQ(mesh.texFaces[1], 1);
    EXPECT_EQ(mesh.texFaces[2], 2);
}

TEST_F(ObFiles, FaceCornersComeFromTheirLabelsAndEdgeFlagsAreSkipped)
{
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "*MESH_VERTEX " + std::to_string(i) + " 0 0 0\n";
    text += "*MESH_FACE 0: A: 5 B: 7 C: 9 AB: 1 BC: 1 CA: 1\n";
    text += "*MESH_TVERT 0 0 0 0\n*MESH_TFACE 0 0 0 0\n";
    Mesh mesh{};
    load(mesh, write("face.ob", text), 10, 1, 1);
    EXPECT_EQ(mesh.faces[0], 5);
    EXPECT_EQ(mesh.faces[1], 7);
    EXPECT_EQ(mesh.faces[2], 9);
}

TEST_F(ObFiles, LoadSetsTheDefaultsAndProjectsOnce)
{
    Mesh mesh{};
    load(mesh, write("triangle.ob", OneTriangle), 3, 1, 3);
    EXPECT_EQ(mesh.texture, &texture);
    EXPECT_EQ(mesh.screen, &testScreen());
    EXPECT_EQ(mesh.visible, 1);
    EXPECT_EQ(mesh.shaded, 0);
    EXPECT_EQ(mesh.edgeSlopeLimit, 1);
    EXPECT_EQ(mesh.angleX, 150);
    EXPECT_EQ(mesh.angleZ, 0);
    EXPECT_EQ(mesh.transparentColour, -1);
    EXPECT_EQ(mesh.offsetX, 0);
    EXPECT_EQ(mesh.offsetY, 0);
    EXPECT_EQ(mesh.offsetZ, 0);
    EXPECT_EQ(mesh.centreX, 40960);
    EXPECT_EQ(mesh.centreY, 30720);
    EXPECT_EQ(mesh.cameraDepth, -43520);
    EXPECT_EQ(mesh.vertexCount, 3);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_EQ(mesh.texCoordCount, 3);
    EXPECT_EQ(mesh.clipLeft, 0);
    EXPECT_EQ(mesh.clipRight, 320);
    EXPECT_EQ(mesh.clipTop, 0);
    EXPECT_EQ(mesh.clipBottom, 240);
    EXPECT_EQ(mesh.clipLeftFixed, 0);
    EXPECT_EQ(mesh.clipRightFixed, 81920);
    EXPECT_EQ(mesh.clipTopFixed, 0);
    EXPECT_EQ(mesh.clipBottomFixed, 61440);
    EXPECT_EQ(mesh.shadeOffset, 0);

    // The projection at load is the one transformMesh gives for the defaults.
    const int32_t x[3] = {mesh.screenX[0], mesh.screenX[1], mesh.screenX[2]};
    const int32_t y[3] = {mesh.screenY[0], mesh.screenY[1], mesh.screenY[2]};
    for (int i = 0; i < 3; ++i) {
        mesh.screenX[i] = mesh.screenY[i] = 0;
    }
    transformMesh(mesh);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mesh.screenX[i], x[i]);
        EXPECT_EQ(mesh.screenY[i], y[i]);
    }
    EXPECT_NE(y[1], 30720) << "angle 150 tilts the y axis on screen";
}

TEST_F(ObFiles, DamagedFilesAreRefusedWithTheirName)
{
    const std::string missing = (dir / "missing.ob").string();
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, missing, 3, 1, 3);
        },
        "^unable to open " + missing + "\n$");

    const std::string triangle = write("triangle.ob", OneTriangle);
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, triangle, 2, 1, 3);
        },
        "^bad mesh " + triangle + ": more than 2 vertices\n$");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, triangle, 3, 1, 2);
        },
        "^bad mesh " + triangle + ": more than 2 texture vertices\n$");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, triangle, 4, 1, 3);
        },
        "^bad mesh " + triangle + ": 3 of 4 vertices\n$");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, triangle, 3, 2, 3);
        },
        "^bad mesh " + triangle + ": 1 of 2 faces\n$");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, triangle, 3, 0, 3);
        },
        "^bad mesh " + triangle + ": more than 0 faces\n$");
}

TEST_F(ObFiles, IndicesOutsideTheCountsAreRefused)
{
    std::string text = OneTriangle;
    const std::string badFace = write(
        "face.ob", text.replace(text.find("C: 2"), 4, "C: 3"));
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, badFace, 3, 1, 3);
        },
        "^bad mesh " + badFace + ": vertex index 3 outside 0..2\n$");

    text = OneTriangle;
    const std::string negativeFace = write(
        "negative.ob", text.replace(text.find("A: 0"), 4, "A: -1"));
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, negativeFace, 3, 1, 3);
        },
        "^bad mesh " + negativeFace + ": vertex index -1 outside 0..2\n$");

    text = OneTriangle;
    const std::string badTexFace = write(
        "tface.ob", text.replace(text.find("TFACE 0 0 1 2"), 13, "TFACE 0 0 1 3"));
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, badTexFace, 3, 1, 3);
        },
        "^bad mesh " + badTexFace + ": texture vertex index 3 outside 0..2\n$");
}

TEST_F(ObFiles, MalformedNumbersAreRefusedWithFileAndLine)
{
    struct Damage {
        const char* from;
        const char* to;
        const char* message;
    };
    // Line 9 holds the first vertex, 14 the face, 19 the second texture
    // vertex, 24 the texture face.
    const Damage damages[] = {
        {"VERTEX 0 1.0", "VERTEX 0 1.0x", "line 9: malformed number \"1.0x\""},
        {"VERTEX 0 1.0", "VERTEX 0 nan", "line 9: malformed number \"nan\""},
        {"VERTEX 0 1.0", "VERTEX 0 1e60", "line 9: malformed number \"1e60\""},
        {"B: 1", "B: one", "line 14: malformed number \"one\""},
        {"B: 1", "B: 1.0", "line 14: malformed number \"1.0\""},
        {"B: 1", "B: 4294967296", "line 14: malformed number \"4294967296\""},
        {"TVERT 1 0.5", "TVERT 1 0,5", "line 19: malformed number \"0,5\""},
        {"TFACE 0 0 1 2", "TFACE 0 0 \x01 2", "line 24: malformed number \"\\?\""},
    };
    for (const Damage& damage : damages) {
        std::string text = OneTriangle;
        text.replace(text.find(damage.from), std::strlen(damage.from), damage.to);
        const std::string path = write("damaged.ob", text);
        EXPECT_EXIT_WITH_OUTPUT(
            {
                Mesh mesh{};
                load(mesh, path, 3, 1, 3);
            },
            "^bad mesh " + path + ": " + damage.message + "\n$");
    }
    // An entry the file ends inside.
    const std::string cut = write("cut.ob", "*MESH_VERTEX 0 1.0 2.0\n");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Mesh mesh{};
            load(mesh, cut, 1, 1, 1);
        },
        "^bad mesh " + cut + ": line 1: \\*MESH_VERTEX cut short by the end of the file\n$");
}

// Copies read once serve many meshes: equal entries, storage of their own.
TEST_F(ObFiles, CopiesHaveTheirOwnArrays)
{
    Mesh original{};
    load(original, write("triangle.ob", OneTriangle), 3, 1, 3);
    original.offsetX = 77;
    Picture other{};
    Mesh copy{};
    copyMesh(copy, original, other);
    EXPECT_EQ(copy.texture, &other);
    EXPECT_EQ(copy.offsetX, 77);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(copy.vertices[i], original.vertices[i]);
    EXPECT_EQ(copy.screenX[1], original.screenX[1]);
    copy.vertices[0] = 5;
    copy.screenX[0] = 6;
    copy.texCoords[5] = 7;
    EXPECT_EQ(original.vertices[0], 256);
    EXPECT_NE(original.screenX[0], 6);
    EXPECT_EQ(original.texCoords[5], 32768);
}

// The quick conversion of short decimals gives strtof's float, bit for bit,
// on random tokens of every length it takes and on the halfway cases; longer
// or other tokens are left to strtof.
TEST(ShortDecimals, MatchStrtofBitForBit)
{
    uint32_t state = 2024;
    const auto next = [&state](uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    const auto same = [](const std::string& token) {
        float quick = 0;
        if (!shortDecimalToFloat(token.data(), token.size(), quick))
            return testing::AssertionFailure() << token << " not taken";
        const float slow = std::strtof(token.c_str(), nullptr);
        if (std::memcmp(&quick, &slow, sizeof quick) != 0)
            return testing::AssertionFailure() << token << ": " << quick << " != " << slow;
        return testing::AssertionSuccess();
    };
    for (int round = 0; round < 200000; ++round) {
        const uint32_t fraction = next(13);
        const uint32_t whole = next(16 - fraction);
        std::string token = next(2) ? "-" : "";
        for (uint32_t i = 0; i < whole; ++i)
            token += char('0' + next(10));
        if (fraction > 0 || next(2))
            token += '.';
        for (uint32_t i = 0; i < fraction; ++i)
            token += char('0' + next(10));
        if (whole + fraction > 0) {
            ASSERT_TRUE(same(token));
        }
    }
    // Exactly halfway between two floats, and a hair either side of it.
    for (const char* token : {"16777217", "16777217.0", "16777216.999999", "16777217.000001",
                              "0.000000059604644775390625", "-0", "-0.0", "123.", "-.5", "0.1"}) {
        float quick = 0;
        if (shortDecimalToFloat(token, std::strlen(token), quick)) {
            EXPECT_TRUE(same(token));
        }
    }
    float untouched = 7;
    for (const char* token : {"", "-", ".", "1e5", "+1", "0x10", "1.2.3", "1234567890123456",
                              "0.1234567890123", "inf", "1 "})
        EXPECT_FALSE(shortDecimalToFloat(token, std::strlen(token), untouched)) << token;
    EXPECT_EQ(untouched, 7);
}

// A mesh of the given model points, loaded from a file with angles still at
// their defaults.
class Projection : public ObFiles {
protected:
    void loadPoints(const std::string& points, int32_t count)
    {
        std::string text = points;
        text += "*MESH_FACE 0: A: 0 B: 0 C: 0\n*MESH_TVERT 0 0 0 0\n*MESH_TFACE 0 0 0 0\n";
        load(mesh, write("points.ob", text), count, 1, 1);
    }

    Mesh mesh{};
};

TEST_F(Projection, WorkedExampleAtAngleZero)
{
    loadPoints("*MESH_VERTEX 0 1 0 0\n*MESH_VERTEX 1 0 0 1\n*MESH_VERTEX 2 0 1 0\n", 3);
    mesh.angleX = 0;
    transformMesh(mesh);
    // The tables start at -pi: cosine -256, sine 0, so x and z flip and depth = y.
    EXPECT_EQ(mesh.screenX[0], 40659) << "40960 + (-256 * 51200) / 43520, toward zero";
    EXPECT_EQ(mesh.screenY[0], 30720);
    EXPECT_EQ(mesh.vertexDepth[0], 0);
    EXPECT_EQ(mesh.screenX[1], 40960);
    EXPECT_EQ(mesh.screenY[1], 30419);
    EXPECT_EQ(mesh.vertexDepth[1], 0);
    EXPECT_EQ(mesh.screenX[2], 40960);
    EXPECT_EQ(mesh.screenY[2], 30720);
    EXPECT_EQ(mesh.vertexDepth[2], 256);
}

TEST_F(Projection, EveryProductIsShiftedOnItsOwn)
{
    // At angle 1024 the tables give sine -255 and cosine 0. With y = z = 257
    // (1 + 1/256) the term (257 * -255) >> 8 is -256, where shifting the
    // difference instead would give 255 and so a depth of -255.
    ASSERT_EQ(SineTable[1024], -255);
    ASSERT_EQ(CosineTable[1024], 0);
    loadPoints("*MESH_VERTEX 0 0 1.00390625 1.00390625\n", 1);
    mesh.angleX = 1024;
    transformMesh(mesh);
    EXPECT_EQ(mesh.vertexDepth[0], -256);
    EXPECT_EQ(mesh.screenX[0], 40960);
    EXPECT_EQ(mesh.screenY[0], 30720 - 302) << "-256 * 51200 / 43264, toward zero";
}

TEST_F(Projection, OffsetsCentreAndEyeDepth)
{
    loadPoints("*MESH_VERTEX 0 1 0 0\n", 1);
    mesh.angleX = 0;
    mesh.offsetX = 256;
    mesh.offsetY = 1024;
    mesh.centreX = 100 * 256;
    mesh.cameraDepth = -12800;
    transformMesh(mesh);
    // X = 512 lands at -512 * 51200 / (1024 + 12800) = -1896.29...
    EXPECT_EQ(mesh.screenX[0], 25600 - 1896);
    EXPECT_EQ(mesh.vertexDepth[0], 1024);
}

TEST_F(Projection, ProjectionMultipliesInSixtyFourBits)
{
    // X = -100000: the product with 51200 is far beyond 32 bits.
    loadPoints("*MESH_VERTEX 0 390.625 0 0\n", 1);
    mesh.angleX = 0;
    transformMesh(mesh);
    EXPECT_EQ(mesh.screenX[0], 40960 - 117647);
}

TEST_F(Projection, InvisibleMeshKeepsEverything)
{
    loadPoints("*MESH_VERTEX 0 1 0 0\n", 1);
    const int32_t x = mesh.screenX[0];
    mesh.visible = 0;
    mesh.angleX = 4096 + 1000;
    mesh.angleZ = -5;
    mesh.offsetX = 5000;
    transformMesh(mesh);
    EXPECT_EQ(mesh.screenX[0], x);
    EXPECT_EQ(mesh.angleX, 4096 + 1000);
    EXPECT_EQ(mesh.angleZ, -5);
}

TEST_F(Projection, AnglesAreReducedAndStoredBack)
{
    loadPoints("*MESH_VERTEX 0 1 2 3\n", 1);
    const int32_t x = mesh.screenX[0];
    const int32_t y = mesh.screenY[0];
    const int32_t depth = mesh.vertexDepth[0];
    mesh.angleX = 4096 + 150;
    mesh.angleZ = -4096;
    transformMesh(mesh);
    EXPECT_EQ(mesh.angleX, 150);
    EXPECT_EQ(mesh.angleZ, 0);
    EXPECT_EQ(mesh.screenX[0], x);
    EXPECT_EQ(mesh.screenY[0], y);
    EXPECT_EQ(mesh.vertexDepth[0], depth);
    mesh.angleZ = -1;
    transformMesh(mesh);
    EXPECT_EQ(mesh.angleZ, 4095);
}

TEST_F(Projection, VertexAtTheEyeIsMovedOneUnitInFront)
{
    loadPoints("*MESH_VERTEX 0 1 1 0\n", 1);
    mesh.angleX = 0;
    mesh.cameraDepth = 256;  // exactly the vertex's depth
    transformMesh(mesh);
    EXPECT_EQ(mesh.vertexDepth[0], 257);
    EXPECT_EQ(mesh.screenX[0], 40960 - 256 * 51200) << "divided by 1";
}

TEST_F(Projection, VertexBehindTheEyeIsMirrored)
{
    loadPoints("*MESH_VERTEX 0 1 -200 0\n", 1);
    mesh.angleX = 0;
    transformMesh(mesh);
    // Depth -51200 lies 7680 behind the eye: the point lands on the far side.
    EXPECT_EQ(mesh.vertexDepth[0], -51200);
    EXPECT_EQ(mesh.screenX[0], 40960 + 256 * 51200 / 7680);
}

// The 32-bit shortcut against the 64-bit rule: every coordinate around the
// narrow range's edges and a sweep through it, over depths at the limits,
// near 0 and at random.
TEST(ProjectedOffset, MatchesTheSixtyFourBitQuotientOverTheWholeNarrowRangeAndBeyond)
{
    const auto plain = [](int32_t coordinate, int32_t depth) {
        return int32_t(int64_t(coordinate) * (200 * 256) / int64_t(depth));
    };
    std::vector<int32_t> depths = {1, -1, 2, -2, 3, 255, 256, -256, 43520, INT32_MAX, INT32_MIN,
                                   INT32_MAX - 1, INT32_MIN + 1, 51200, -51200, 41943, -41943};
    uint32_t random = 12345;
    for (int i = 0; i < 40; ++i) {
        random = random * 1103515245u + 12345u;
        const int32_t depth = int32_t(random) >> (random % 24);
        depths.push_back(depth == 0 ? 7 : depth);
    }
    for (const int32_t depth : depths) {
        for (int32_t coordinate = -42200; coordinate <= 42200; ++coordinate)
            ASSERT_EQ(projectedOffset(coordinate, depth), plain(coordinate, depth))
                << coordinate << " / " << depth;
        for (const int32_t coordinate : {INT32_MIN, INT32_MAX, INT32_MIN + 1, -100000, 100000})
            ASSERT_EQ(projectedOffset(coordinate, depth), plain(coordinate, depth))
                << coordinate << " / " << depth;
    }
}

}  // namespace
