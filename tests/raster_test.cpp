// The two rasterisers and the depth buffer: exact pixels and depths of small
// faces, and the drawn result against the rules followed literally.
#include "gfx3d/raster.h"
#include "raster_support.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr int32_t FarDepth = 25600;

uint8_t codedTexel(int i)
{
    return uint8_t(40 + i * 7 + (i >> 8) * 3);
}
uint8_t texel100(int)
{
    return 100;
}
uint8_t texel50(int)
{
    return 50;
}
uint8_t texel101(int)
{
    return 101;
}

using Pixel = std::pair<int, int>;

// Every pixel that differs from the fill colour, as (x, y).
std::set<Pixel> drawnPixels(const Canvas& canvas, uint8_t background = 0)
{
    std::set<Pixel> drawn;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (canvas.pixel(x, y) != background)
                drawn.insert({x, y});
    return drawn;
}

std::set<Pixel> pixelsInRow(const Canvas& canvas, int y, uint8_t background = 0)
{
    std::set<Pixel> drawn;
    for (int x = 0; x < 320; ++x)
        if (canvas.pixel(x, y) != background)
            drawn.insert({x, y});
    return drawn;
}

std::set<Pixel> span(int y, int firstX, int lastX)
{
    std::set<Pixel> pixels;
    for (int x = firstX; x <= lastX; ++x)
        pixels.insert({x, y});
    return pixels;
}

class Textured : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();  // the row-offset table
        canvas.fill(0, FarDepth);
    }

    // A right-angled face with corners at pixels (10, 10), (15, 10), (10, 15),
    // running clockwise; u and z grow by 256 per pixel to the right.
    std::vector<TestCorner> staircase(int32_t z = 1000)
    {
        return {at(10, 10, z, 0), at(15, 10, z + 1280, 1280), at(10, 15, z, 0)};
    }

    Canvas canvas;
    Texture coded{codedTexel};
};

TEST_F(Textured, ClockwiseFaceDrawsItsStaircaseWithInterpolatedTexelsAndDepths)
{
    TestMesh face(canvas, coded.picture, staircase());
    drawMesh(face.mesh);
    EXPECT_EQ(face.faceArea[0], 6400);
    EXPECT_EQ(face.mesh.lastFace, 0);
    std::set<Pixel> expected;
    for (int y = 10; y <= 14; ++y)
        for (int x = 10; x <= 24 - y; ++x) {
            expected.insert({x, y});
            EXPECT_EQ(canvas.pixel(x, y), codedTexel(x - 10)) << x << "," << y;
            EXPECT_EQ(canvas.depth(x, y), 1000 + 256 * (x - 10)) << x << "," << y;
        }
    EXPECT_EQ(drawnPixels(canvas), expected);
    EXPECT_EQ(canvas.depth(15, 10), FarDepth) << "the right end of a span is exclusive";
    EXPECT_EQ(canvas.depth(10, 15), FarDepth) << "the bottom row is exclusive";
}

TEST_F(Textured, ReversedFaceStoresNegativeAreaAndDrawsNothing)
{
    const std::vector<TestCorner> c = staircase();
    TestMesh face(canvas, coded.picture, {c[0], c[2], c[1]});
    drawMesh(face.mesh);
    EXPECT_EQ(face.faceArea[0], -6400);
    EXPECT_EQ(face.mesh.lastFace, -1);
    EXPECT_TRUE(drawnPixels(canvas).empty());

    // The one-pixel faces: area +256 is set up (and has no sample inside
    // column 0), -256 is not.
    TestMesh tiny(canvas, coded.picture,
                  {at(0, 0), at(1, 0), at(0, 1), at(0, 0), at(0, 1), at(1, 0)});
    drawMesh(tiny.mesh);
    EXPECT_EQ(tiny.faceArea[0], 256);
    EXPECT_EQ(tiny.faceArea[1], -256);
    EXPECT_EQ(tiny.mesh.lastFace, 0);
    EXPECT_TRUE(drawnPixels(canvas).empty());
}

TEST_F(Textured, FlatOrDegenerateFacesDrawNothing)
{
    TestMesh face(canvas, coded.picture, {at(10, 10), at(20, 10), at(30, 10)});
    drawMesh(face.mesh);
    EXPECT_EQ(face.faceArea[0], 0);
    EXPECT_EQ(face.mesh.lastFace, -1);
    EXPECT_TRUE(drawnPixels(canvas).empty());
}

TEST_F(Textured, InvisibleMeshIsNotSetUp)
{
    TestMesh face(canvas, coded.picture, staircase());
    face.mesh.visible = 0;
    drawMesh(face.mesh);
    EXPECT_EQ(face.faceArea[0], 0x5A5A5A5A);
    EXPECT_TRUE(drawnPixels(canvas).empty());
}

TEST_F(Textured, TransparentTexelLeavesPixelAndDepthAlone)
{
    TestMesh face(canvas, coded.picture, staircase());
    face.mesh.transparentColour = codedTexel(2);
    drawMesh(face.mesh);
    for (int y = 10; y <= 12; ++y) {
        EXPECT_EQ(canvas.pixel(12, y), 0);
        EXPECT_EQ(canvas.depth(12, y), FarDepth);
        EXPECT_EQ(canvas.pixel(11, y), codedTexel(1));
    }
}

TEST_F(Textured, DepthTestIsStrictlyNearer)
{
    Texture other{texel101};
    TestMesh first(canvas, coded.picture, staircase());
    TestMesh same(canvas, other.picture, staircase());
    drawMesh(first.mesh);
    drawMesh(same.mesh);
    EXPECT_EQ(canvas.pixel(10, 10), codedTexel(0)) << "equal depth: the first face keeps it";
    TestMesh nearer(canvas, other.picture, staircase(999));
    drawMesh(nearer.mesh);
    EXPECT_EQ(canvas.pixel(10, 10), 101);
    EXPECT_EQ(canvas.depth(10, 10), 999);
}

// Widths on both sides of the sixteen-entry steps, and the whole screen.
TEST_F(Textured, DepthClearsReachExactlyTheirEntries)
{
    for (const auto& [width, height] : {std::pair{0, 5}, std::pair{1, 1}, std::pair{15, 3},
                                       std::pair{16, 2}, std::pair{17, 4}, std::pair{128, 128},
                                       std::pair{320, 240}}) {
        canvas.fill(0, 77 * 256);
        clearDepthCorner(*canvas.screen, 3, width, height);
        for (int32_t y = 0; y < ScreenHeight; ++y)
            for (int32_t x = 0; x < ScreenWidth; ++x)
                ASSERT_EQ(canvas.depth(x, y), x < width && y < height ? 3 * 256 : 77 * 256)
                    << width << " x " << height << " at " << x << ", " << y;
    }
    clearDepth(*canvas.screen, -2);
    EXPECT_EQ(std::count(std::begin(canvas.screen->depth), std::end(canvas.screen->depth), -512),
              ScreenPixels);
}

// Both ways, with values memset can and cannot give, at lengths around the
// sixteen-entry steps, between guard entries.
TEST(DepthFill, BothWaysSetExactlyTheirEntries)
{
    for (const int32_t value : {0, -1, 0x01010101, 0x7F7F7F7F, 3 * 256, -512, 0x0101FF01})
        for (const int32_t count : {0, 1, 15, 16, 17, 100}) {
            std::vector<int32_t> bytes(120, 42), words(120, 42);
            fillDepth<true>(bytes.data() + 1, count, value);
            fillDepth<false>(words.data() + 1, count, value);
            ASSERT_EQ(bytes, words) << value << " " << count;
            for (size_t i = 0; i < words.size(); ++i)
                ASSERT_EQ(words[i], i >= 1 && i <= size_t(count) ? value : 42) << i;
        }
}

TEST_F(Textured, ClearDepthHidesEverythingAtOrBeyondIt)
{
    clearDepth(*canvas.screen, 100);
    for (int i = 0; i < 76800; ++i)
        ASSERT_EQ(canvas.screen->depth[i], 25600);
    Texture flat{texel100};
    const auto constantDepth = [](int32_t z) {
        return std::vector<TestCorner>{at(10, 10, z), at(15, 10, z), at(10, 15, z)};
    };
    TestMesh atLimit(canvas, flat.picture, constantDepth(25600));
    drawMesh(atLimit.mesh);
    EXPECT_TRUE(drawnPixels(canvas).empty());
    TestMesh inFront(canvas, flat.picture, constantDepth(25599));
    drawMesh(inFront.mesh);
    EXPECT_EQ(drawnPixels(canvas).size(), 15u);

    clearDepth(*canvas.screen, -3);
    EXPECT_EQ(canvas.screen->depth[76799], -768);
}

TEST_F(Textured, ColumnZeroIsNeverTheFirstSample)
{
    // A span starting exactly at x = 0 skips its first sample ...
    TestMesh atZero(canvas, coded.picture, {at(0, 10), at(5, 10), at(0, 15)});
    drawMesh(atZero.mesh);
    EXPECT_EQ(pixelsInRow(canvas, 10), span(10, 1, 4));
    // ... while one starting half a pixel in draws column 0.
    canvas.fill(0, FarDepth);
    TestMesh halfIn(canvas, coded.picture, {at(0.5, 10), at(5.5, 10), at(0.5, 15)});
    drawMesh(halfIn.mesh);
    EXPECT_EQ(pixelsInRow(canvas, 10), span(10, 0, 4));
}

TEST_F(Textured, RowWhollyRightOfColumn319IsSkipped)
{
    // Both edges at 319 + 51/256 or beyond: nothing, though the sample at
    // 81715 would lie inside the screen.
    const int32_t y0 = 10 * 256, y1 = 15 * 256;
    TestMesh beyond(canvas, coded.picture, {{81715, y0, 0}, {81894, y0, 0}, {81715, y1, 0}});
    drawMesh(beyond.mesh);
    EXPECT_EQ(beyond.mesh.lastFace, 0);
    EXPECT_TRUE(drawnPixels(canvas).empty());
    // An edge exactly at 319 * 256 is not beyond.
    TestMesh onEdge(canvas, coded.picture, {{81664, y0, 0}, {81894, y0, 0}, {81664, y1, 0}});
    drawMesh(onEdge.mesh);
    EXPECT_EQ(pixelsInRow(canvas, 10), span(10, 319, 319));
}

TEST_F(Textured, FacesNearTheEyeOrWhollyOffSideAreDropped)
{
    std::vector<TestCorner> nearEye = staircase();
    nearEye[2].z = -43520;
    TestMesh dropped(canvas, coded.picture, nearEye);
    dropped.mesh.cameraDepth = -60000;  // the limit does not follow the eye
    drawMesh(dropped.mesh);
    EXPECT_EQ(dropped.faceArea[0], 6400) << "the area is stored even so";
    EXPECT_EQ(dropped.mesh.lastFace, -1);
    EXPECT_TRUE(drawnPixels(canvas).empty());
    nearEye[2].z = -43519;
    TestMesh kept(canvas, coded.picture, nearEye);
    drawMesh(kept.mesh);
    EXPECT_EQ(kept.mesh.lastFace, 0);
    EXPECT_FALSE(drawnPixels(canvas).empty());

    // Wholly left (x <= 0) or wholly right (x > 81920) of the screen, with
    // the boundary corner in each of the three places.
    const int32_t y0 = 10 * 256, y1 = 15 * 256;
    const auto setUpInEveryRotation = [&](std::vector<TestCorner> c) {
        std::vector<int16_t> lastFaces;
        for (int turn = 0; turn < 3; ++turn) {
            TestMesh face(canvas, coded.picture, c);
            drawMesh(face.mesh);
            lastFaces.push_back(face.mesh.lastFace);
            std::rotate(c.begin(), c.begin() + 1, c.end());
        }
        return lastFaces;
    };
    const std::vector<int16_t> dropped3 = {-1, -1, -1}, kept3 = {0, 0, 0};
    EXPECT_EQ(setUpInEveryRotation({{-1280, y0, 0}, {0, y0, 0}, {-1280, y1, 0}}), dropped3);
    EXPECT_EQ(setUpInEveryRotation({{-1280, y0, 0}, {1, y0, 0}, {-1280, y1, 0}}), kept3);
    EXPECT_EQ(setUpInEveryRotation({{81921, y0, 0}, {83000, y0, 0}, {81921, y1, 0}}), dropped3);
    EXPECT_EQ(setUpInEveryRotation({{81920, y0, 0}, {83000, y0, 0}, {81921, y1, 0}}), kept3);
}

// Two corners at the same height keep their file order: here the later one
// is B, so the gentle edge is the long edge T -> B and the steep one (5
// pixels per row) is not limited.
TEST_F(Textured, EqualHeightCornersKeepFileOrder)
{
    TestMesh face(canvas, coded.picture, {at(60, 20), at(12, 20), at(10, 10)});
    drawMesh(face.mesh);
    std::set<Pixel> expected;
    for (int k = 0; k < 10; ++k)
        for (int32_t x = 2560 + 51 * k; x < 2560 + 1280 * k; x += 256)
            expected.insert({x >> 8, 10 + k});
    EXPECT_EQ(drawnPixels(canvas), expected);
}

// The long edge T -> B falls 5 pixels per row (gradient 1280). With the limit
// it is drawn at 100/256 pixels per row; row 10 + k then holds
// ceil(g k / 256) samples from column 10.
TEST_F(Textured, SlopeLimitTamesOnlyTheLongEdge)
{
    for (const uint8_t limit : {uint8_t(0), uint8_t(1)}) {
        canvas.fill(0, FarDepth);
        TestMesh face(canvas, coded.picture, {at(10, 10), at(60, 20), at(10, 19)});
        face.mesh.edgeSlopeLimit = limit;
        drawMesh(face.mesh);
        const int g = limit ? 100 : 1280;
        std::set<Pixel> expected;
        for (int k = 0; k <= 9; ++k) {
            const int count = (g * k + 255) / 256;
            for (int x = 10; x < 10 + count; ++x)
                expected.insert({x, 10 + k});
        }
        EXPECT_EQ(drawnPixels(canvas), expected) << "edgeSlopeLimit " << int(limit);
    }
}

// y of T, M, B: 10, 15.5, 20.25. With the long edge on the left the lower
// part keeps the phase 10 + n and reaches row 20; mirrored, it restarts at
// 15.5 and its last row is 19.
TEST_F(Textured, LowerPartPhaseFollowsTheLongEdgeSide)
{
    TestMesh longLeft(canvas, coded.picture, {at(50, 10), at(60, 15.5), at(50, 20.25)});
    drawMesh(longLeft.mesh);
    EXPECT_EQ(pixelsInRow(canvas, 20), span(20, 50, 51));
    EXPECT_TRUE(pixelsInRow(canvas, 21).empty());

    canvas.fill(0, FarDepth);
    TestMesh longRight(canvas, coded.picture, {at(60, 10), at(60, 20.25), at(50, 15.5)});
    drawMesh(longRight.mesh);
    EXPECT_TRUE(pixelsInRow(canvas, 20).empty());
    EXPECT_FALSE(pixelsInRow(canvas, 19).empty());
}

TEST_F(Textured, ShadingDarkensSmallFacesAndFloorsAtZero)
{
    Texture hundred{texel100};
    TestMesh small(canvas, hundred.picture, staircase());
    small.mesh.shaded = 1;
    drawMesh(small.mesh);
    EXPECT_EQ(small.mesh.shadeOffset, 110 - 25);
    EXPECT_EQ(canvas.pixel(10, 10), 15);

    canvas.fill(0, FarDepth);
    Texture fifty{texel50};
    TestMesh floored(canvas, fifty.picture, staircase());
    floored.mesh.shaded = 1;
    drawMesh(floored.mesh);
    EXPECT_EQ(canvas.pixel(10, 10), 0);
    EXPECT_EQ(canvas.depth(10, 10), 1000) << "a texel shaded to 0 is still drawn";

    canvas.fill(0, FarDepth);
    TestMesh large(canvas, hundred.picture, {at(10, 10), at(21, 10), at(10, 30)});
    large.mesh.shaded = 1;
    drawMesh(large.mesh);
    EXPECT_EQ(large.mesh.shadeOffset, 110 - 220);
    EXPECT_EQ(canvas.pixel(10, 10), 100);

    canvas.fill(0, FarDepth);
    TestMesh unshaded(canvas, hundred.picture, staircase());
    unshaded.mesh.shadeOffset = 50;
    drawMesh(unshaded.mesh);
    EXPECT_EQ(unshaded.mesh.shadeOffset, 50) << "set only for shaded meshes";
    EXPECT_EQ(canvas.pixel(10, 10), 100);
}

TEST_F(Textured, TexelRowsRunUpwardsAndColumnsCarry)
{
    const auto fetch = [&](int32_t u, int32_t v) {
        canvas.fill(0, FarDepth);
        TestMesh face(canvas, coded.picture,
                      {at(10, 10, 0, u, v), at(15, 10, 0, u, v), at(10, 15, 0, u, v)});
        drawMesh(face.mesh);
        return canvas.pixel(12, 11);
    };
    EXPECT_EQ(fetch(7 << 8, 16384), codedTexel(192 * 256 + 7)) << "v = 0.25 is row 192";
    EXPECT_EQ(fetch(7 << 8, 0), codedTexel(7));
    EXPECT_EQ(fetch(-1 << 8, 0), codedTexel(65535)) << "column -1 wraps to the last texel";
    EXPECT_EQ(fetch(300 << 8, 0), codedTexel(300)) << "column 300 carries into row 1";
}

TEST_F(Textured, RowsBelowTheScreenAreNotDrawn)
{
    TestMesh tall(canvas, coded.picture, {at(10, 230), at(20, 230), at(10, 400)});
    drawMesh(tall.mesh);
    EXPECT_FALSE(pixelsInRow(canvas, 239).empty());
    EXPECT_TRUE(pixelsInRow(canvas, 229).empty());
}

// A small deterministic generator, so every run draws the same faces.
struct Lcg {
    uint32_t state;
    int32_t next(int32_t low, int32_t high)
    {
        state = state * 1664525u + 1013904223u;
        return low + int32_t((state >> 8) % uint32_t(high - low + 1));
    }
};

std::vector<TestCorner> randomFaces(Lcg& rng, int faces, int32_t reach)
{
    std::vector<TestCorner> corners;
    for (int i = 0; i < 3 * faces; ++i) {
        TestCorner c{rng.next(-reach, 81920 + reach), rng.next(-reach, 61440 + reach),
                     rng.next(-46000, 30000), rng.next(-150000, 150000),
                     rng.next(-150000, 150000)};
        // Shared rows and whole pixels are where ties live.
        if (rng.next(0, 3) == 0)
            c.y = (c.y >> 8) << 8;
        if (rng.next(0, 3) == 0)
            c.y = 2560 * rng.next(1, 3);
        corners.push_back(c);
    }
    return corners;
}

void randomiseFlags(Lcg& rng, Mesh& mesh)
{
    mesh.shaded = uint8_t(rng.next(0, 1));
    mesh.edgeSlopeLimit = uint8_t(rng.next(0, 1));
    mesh.transparentColour = rng.next(0, 1) ? -1 : codedTexel(rng.next(0, 65535));
}

// Draws `fast` with drawMesh on `canvas` and `slow` with the plain rules on
// `plain`, both filled with `colour` and depth `cleared` first, and compares.
testing::AssertionResult drawsLikeThePlainRules(Canvas& canvas, TestMesh& fast, Canvas& plain,
                                                TestMesh& slow, uint8_t colour, int32_t cleared)
{
    canvas.fill(colour, cleared);
    plain.fill(colour, cleared);
    drawMesh(fast.mesh);
    plainDrawMesh(slow.mesh);
    if (canvas.pixels != plain.pixels)
        return testing::AssertionFailure() << "pixels differ";
    if (!std::equal(canvas.screen->depth, canvas.screen->depth + 76800, plain.screen->depth))
        return testing::AssertionFailure() << "depths differ";
    return testing::AssertionSuccess();
}

TEST_F(Textured, AgreesWithThePlainRulesOverRandomFaces)
{
    Canvas plain;
    Lcg rng{12345};
    for (int round = 0; round < 400; ++round) {
        const int32_t reach = round % 10 == 0 ? 600000 : 20000;
        const std::vector<TestCorner> corners = randomFaces(rng, 6, reach);
        TestMesh fast(canvas, coded.picture, corners);
        TestMesh slow(plain, coded.picture, corners);
        randomiseFlags(rng, fast.mesh);
        slow.mesh.shaded = fast.mesh.shaded;
        slow.mesh.edgeSlopeLimit = fast.mesh.edgeSlopeLimit;
        slow.mesh.transparentColour = fast.mesh.transparentColour;
        ASSERT_TRUE(drawsLikeThePlainRules(canvas, fast, plain, slow, uint8_t(round),
                                           rng.next(-20000, 30000)))
            << "round " << round;
        ASSERT_EQ(fast.faceArea, slow.faceArea) << "round " << round;
        ASSERT_EQ(fast.mesh.lastFace, slow.mesh.lastFace) << "round " << round;
        ASSERT_EQ(fast.mesh.shadeOffset, slow.mesh.shadeOffset) << "round " << round;
    }
}

TEST_F(Textured, FaceReachingThousandsOfPixelsOffScreenDrawsWhatThePlainWalkDraws)
{
    // Corners 3000 to 4000 pixels away; the 32-bit area wraps and still comes
    // out positive. The bounded walk must give the plain walk's pixels.
    Canvas plain;
    plain.fill(0, FarDepth);
    const std::vector<TestCorner> corners = {{40960, -1000033, 500, 0, 0},
                                             {777777, 1000033, 900, 65536, 0},
                                             {-777777, 1000033, 100, 0, 65536}};
    TestMesh fast(canvas, coded.picture, corners);
    TestMesh slow(plain, coded.picture, corners);
    drawMesh(fast.mesh);
    plainDrawMesh(slow.mesh);
    EXPECT_EQ(fast.mesh.lastFace, 0);
    const auto covered = std::count_if(canvas.screen->depth, canvas.screen->depth + 76800,
                                       [](int32_t z) { return z != FarDepth; });
    EXPECT_GT(covered, 76800 - 240) << "the face covers the screen";
    EXPECT_EQ(canvas.pixels, plain.pixels);
    EXPECT_TRUE(
        std::equal(canvas.screen->depth, canvas.screen->depth + 76800, plain.screen->depth));
}

// Leaf-like texels: runs of see-through 254 between runs of colours, of
// every length from 1 to a few hundred texels, some reaching across the
// texture's last byte into its first.
uint8_t leafTexel(int i)
{
    const uint32_t run = uint32_t(i) / 37 * 2654435761u >> 24;
    return run % 3 == 0 ? 254 : uint8_t(1 + run % 120);
}

TEST(TexelRuns, LengthsRunToTheNextChangeAroundTheRing)
{
    std::vector<uint8_t> texels(65536, 9);
    TexelRuns runs;
    findTexelRuns(runs, texels.data(), 254);
    EXPECT_EQ(runs.reach[0], OpaqueRun + 65536 * 256) << "a ring of one kind runs once round";
    EXPECT_EQ(runs.reach[65535], OpaqueRun + 65536 * 256);
    texels[65534] = texels[65535] = texels[0] = texels[1] = 254;
    texels[5] = 254;
    findTexelRuns(runs, texels.data(), 254);
    EXPECT_EQ(runs.reach[65534], 4 * 256u) << "the run carries on at texel 0";
    EXPECT_EQ(runs.reach[65535], 3 * 256u);
    EXPECT_EQ(runs.reach[1], 1 * 256u);
    EXPECT_EQ(runs.reach[2], OpaqueRun + 3 * 256);
    EXPECT_EQ(runs.reach[5], 1 * 256u);
    EXPECT_EQ(runs.reach[6], OpaqueRun + (65534 - 6) * 256);
    EXPECT_EQ(runs.reach[65533], OpaqueRun + 1 * 256);
    findTexelRuns(runs, texels.data(), -1);
    EXPECT_EQ(runs.reach[0], OpaqueRun + 65536 * 256) << "-1 matches no texel";
}

// Rows along one texel row (equal v at every corner, so dv = 0) go by texel
// runs, and level rows (dz = 0 as well) by their own walk; the result must
// be the plain walk's, also where u runs backwards, wraps past 2^31 or the
// rows leave the screen.
// Both ways, over the edges of every argument and every count near the
// boundary where the run and the row end together.
TEST(TexelRuns, SamplesInARunAreTheCeilingAtMostTheRowsRest)
{
    const auto plain = [](uint32_t ahead, uint32_t du, uint32_t remaining) {
        return uint32_t(std::min<uint64_t>((uint64_t(ahead) + du - 1) / du, remaining));
    };
    // One counter of each way for all, as for a part's rows: it keeps du's
    // inverse while du stays and finds it again when du changes.
    RunCounter<false> counter;
    RunCounter<true> plainCounter;
    const auto check = [&](uint32_t ahead, uint32_t du, uint32_t remaining) {
        const uint32_t expected = plain(ahead, du, remaining);
        counter.step(du);
        plainCounter.step(du);
        return counter.samples(ahead, remaining) == expected &&
               plainCounter.samples(ahead, remaining) == expected;
    };
    const uint32_t edges[] = {1, 2, 3, 255, 256, 257, 65535, 65536, 1u << 24};
    const uint32_t steps[] = {1, 2, 255, 256, 257, 4096, 65536, 1u << 24, (1u << 31) - 1};
    const uint32_t rests[] = {1, 2, 3, 160, 319, 320, 65536, (1u << 31) - 1};
    for (const uint32_t ahead : edges)
        for (const uint32_t du : steps)
            for (const uint32_t remaining : rests)
                ASSERT_TRUE(check(ahead, du, remaining)) << ahead << " " << du << " " << remaining;
    for (uint32_t du = 1; du <= 600; du += 7)
        for (uint32_t remaining = 1; remaining <= 320; ++remaining)
            for (const uint32_t ahead : {du * remaining - du, du * remaining - du + 1,
                                         du * remaining - 1, du * remaining, du * remaining + 1}) {
                if (ahead >= 1) {
                    ASSERT_TRUE(check(ahead, du, remaining))
                        << ahead << " " << du << " " << remaining;
                }
            }
}

// Both ways against the 64-bit rule, for positions all through a column and
// steps around the one-row limit, either way, and at the extremes.
TEST(FlatEdges, RowsInAColumnAgreeWithTheSixtyFourBitRule)
{
    const auto plain = [](int64_t sum, int64_t step) -> int64_t {
        const int64_t within = sum - (sum >> 16) * 65536;
        if (step > 0)
            return (65536 - within + step - 1) / step;
        if (step < 0)
            return within / -step + 1;
        return INT64_MAX;
    };
    std::vector<int64_t> steps = {0, 1, 255, 256, 65535, 65536, 65537, int64_t(1) << 38};
    for (int64_t s = 2; s < 70000; s = s * 3 / 2 + 1)
        steps.push_back(s);
    const size_t positive = steps.size();
    for (size_t i = 1; i < positive; ++i)
        steps.push_back(-steps[i]);
    const int64_t columns[] = {0, 1, -1, 319, -40000, 1 << 20};
    for (const int64_t step : steps)
        for (const int64_t column : columns)
            for (int64_t within = 0; within < 65536; within += 127) {
                const int64_t sum = column * 65536 + within;
                ASSERT_EQ(rowsInColumn<false>(sum, step), plain(sum, step)) << sum << " " << step;
                ASSERT_EQ(rowsInColumn<true>(sum, step), plain(sum, step)) << sum << " " << step;
            }
}

// The 32-bit way against the same rule, for every step that divides (and a
// little beyond), at the ends of a column and where the quotient changes.
TEST(FlatEdges, NarrowRowsInAColumnAgreeWithTheSixtyFourBitRule)
{
    for (int32_t step = -65540; step <= 65540; ++step) {
        const uint32_t d = uint32_t(step < 0 ? -step : step);
        const uint32_t inverse = d > 0 && d < 65536 ? inverseBelow(d) : 0;
        std::vector<int32_t> withins = {0, 1, 2, 255, 256, 32767, 65534, 65535};
        if (d > 0 && d < 65536)
            for (const uint32_t edge : {d, 65536 % d, 65536 - 65536 % d})
                for (const uint32_t near : {edge - 1, edge, edge + 1})
                    if (near < 65536)
                        withins.push_back(int32_t(near));
        for (const int32_t column : {0, -1, 319, 32767, -32768})
            for (const int32_t within : withins) {
                const int32_t sum = int32_t(uint32_t(column) * 65536u + uint32_t(within));
                // A step of 0 never leaves the column: INT32_MAX rows here.
                const int64_t expected = step == 0 ? INT32_MAX : rowsInColumn<true>(sum, step);
                ASSERT_EQ(rowsInColumnNarrow<false>(sum, step, inverse), expected)
                    << sum << " " << step;
                ASSERT_EQ(rowsInColumnNarrow<true>(sum, step, inverse), expected)
                    << sum << " " << step;
            }
    }
}

// Gaps of 4,000 see-through texels and more between runs of 1,000: many a
// row lies wholly in one, many ends just inside or past one.
uint8_t gappedTexel(int i)
{
    return i % 9000 < 1000 || (i % 9000 >= 5000 && i % 9000 < 5003) ? uint8_t(1 + i % 120) : 254;
}

// Random faces, most of them level, with either texture.
class TexelRunsAgree : public Textured, public testing::WithParamInterface<uint8_t (*)(int)> {};

TEST_P(TexelRunsAgree, TexelRunsDrawWhatThePlainRulesDraw)
{
    Canvas plain;
    Texture leaves{GetParam()};
    TexelRuns runs;
    findTexelRuns(runs, leaves.pixels.data(), 254);
    Lcg rng{4711};
    for (int round = 0; round < 400; ++round) {
        // Rows within the screen, reaching past its sides, and reaching
        // beyond 2^29 (24.8), where clipping needs 64 bits.
        const int32_t reach = round % 10 == 0 ? 600000 : round % 10 == 5 ? 700000000 : 20000;
        std::vector<TestCorner> corners = randomFaces(rng, 6, reach);
        const int32_t v = rng.next(-150000, 150000);
        const int64_t uBase = round % 7 == 0 ? INT32_MAX - 40000 : 0;
        for (TestCorner& c : corners) {
            c.v = round % 5 == 0 ? c.v : v;
            c.u = int32_t(uBase + (c.u + 150000) * int64_t(rng.next(1, 4)) / 4 +
                          int64_t(c.x) * (round % 3));
        }
        // Level parts: two corners of a face on one row with one depth and
        // texel row, as on a plane tilted only about x, or the whole face
        // at one depth.
        for (size_t f = 0; f + 2 < corners.size() && round % 4 != 3; f += 3) {
            const size_t other = f + 1 + size_t(rng.next(0, 1));
            corners[other].y = corners[f].y;
            corners[other].z = corners[f].z;
            corners[other].v = corners[f].v;
            if (round % 4 == 2)
                corners[f + 1].z = corners[f + 2].z = corners[f].z;
        }
        TestMesh fast(canvas, leaves.picture, corners);
        TestMesh slow(plain, leaves.picture, corners);
        fast.mesh.shaded = slow.mesh.shaded = uint8_t(rng.next(0, 1));
        fast.mesh.transparentColour = slow.mesh.transparentColour = 254;
        fast.mesh.texelRuns = &runs;
        ASSERT_TRUE(drawsLikeThePlainRules(canvas, fast, plain, slow, uint8_t(round),
                                           rng.next(-20000, 30000)))
            << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Textures, TexelRunsAgree, testing::Values(leafTexel, gappedTexel));

// Level faces (one depth and texel row throughout) whose rows reach millions
// of pixels past the screen's sides, beyond what 32-bit clipping holds.
TEST_F(Textured, FarReachingLevelFacesDrawWhatThePlainRulesDraw)
{
    Canvas plain;
    Texture leaves{leafTexel};
    TexelRuns runs;
    findTexelRuns(runs, leaves.pixels.data(), 254);
    int drawn = 0;
    for (const int32_t reach : {1 << 28, 600000000, 2000000000})
        for (const bool clockwise : {true, false}) {
            std::vector<TestCorner> corners = {{-reach, 2560, -300, 0, 70000},
                                               {reach, 2560, -300, 900000, 70000},
                                               {40000, 51200, -300, 450000, 70000}};
            if (!clockwise)
                std::swap(corners[0], corners[1]);
            TestMesh fast(canvas, leaves.picture, corners);
            TestMesh slow(plain, leaves.picture, corners);
            fast.mesh.transparentColour = slow.mesh.transparentColour = 254;
            fast.mesh.texelRuns = &runs;
            ASSERT_TRUE(drawsLikeThePlainRules(canvas, fast, plain, slow, 3, 0))
                << reach << (clockwise ? " clockwise" : " anticlockwise");
            drawn += !drawnPixels(canvas, 3).empty();
        }
    EXPECT_GT(drawn, 0);
}

class Flat : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        canvas.fill(0, FarDepth);
    }

    Canvas canvas;
    Texture unused{texel100};
};

TEST_F(Flat, FillsBothEndsOfEveryRowFromTopToBottomCorner)
{
    TestMesh face(canvas, unused.picture, {at(10, 10), at(20, 10), at(10, 20)});
    drawMeshFlat(face.mesh, 77);
    std::set<Pixel> expected;
    for (int y = 10; y <= 20; ++y)
        for (int x = 10; x <= 30 - y; ++x)
            expected.insert({x, y});
    EXPECT_EQ(drawnPixels(canvas), expected);
    EXPECT_EQ(canvas.pixel(10, 10), 77);
    EXPECT_EQ(canvas.depth(10, 10), FarDepth) << "no depth buffer";
    EXPECT_EQ(face.faceArea[0], 25600);
    EXPECT_EQ(face.mesh.lastFace, 0);
}

TEST_F(Flat, FaceWithinOnePixelRowFillsItFromBothParts)
{
    // T, M, B at y 10, 10.5, 10.9: the upper part fills column 10 at y = 10,
    // the lower part restarts at M and fills columns 15..30 at y = 10.5.
    TestMesh face(canvas, unused.picture, {{2560, 2560, 0}, {7680, 2688, 0}, {5120, 2790, 0}});
    drawMeshFlat(face.mesh, 9);
    std::set<Pixel> expected = span(10, 15, 30);
    expected.insert({10, 10});
    EXPECT_EQ(drawnPixels(canvas), expected);
}

TEST_F(Flat, ClipsToTheScreenAndTheMeshBounds)
{
    TestMesh right(canvas, unused.picture, {at(300, 10), at(400, 10), at(300, 20)});
    drawMeshFlat(right.mesh, 5);
    EXPECT_EQ(pixelsInRow(canvas, 10), span(10, 300, 319));
    EXPECT_EQ(canvas.pixel(0, 11), 0) << "nothing runs on into the next row";

    canvas.fill(0, FarDepth);
    TestMesh left(canvas, unused.picture, {at(-50, 10), at(10, 10), at(-50, 20)});
    drawMeshFlat(left.mesh, 5);
    EXPECT_EQ(pixelsInRow(canvas, 10), span(10, 0, 10));
    EXPECT_EQ(canvas.pixel(319, 9), 0);

    canvas.fill(0, FarDepth);
    TestMesh bounded(canvas, unused.picture, {at(10, 10), at(20, 10), at(10, 20)});
    bounded.mesh.clipLeft = 12;
    bounded.mesh.clipRight = 15;
    bounded.mesh.clipTop = 12;
    bounded.mesh.clipBottom = 13;
    drawMeshFlat(bounded.mesh, 5);
    std::set<Pixel> expected = span(12, 12, 14);
    expected.merge(span(13, 12, 14));
    EXPECT_EQ(drawnPixels(canvas), expected);

    canvas.fill(0, FarDepth);
    TestMesh tall(canvas, unused.picture, {at(10, 230), at(20, 230), at(10, 400)});
    drawMeshFlat(tall.mesh, 5);
    EXPECT_FALSE(pixelsInRow(canvas, 239).empty());
}

TEST_F(Flat, FaceReachingThousandsOfPixelsOffScreenDrawsWhatThePlainWalkDraws)
{
    Canvas plain;
    plain.fill(0, FarDepth);
    const std::vector<TestCorner> corners = {
        {40960, -1000033, 0}, {777777, 1000033, 0}, {-777777, 1000033, 0}};
    TestMesh fast(canvas, unused.picture, corners);
    TestMesh slow(plain, unused.picture, corners);
    drawMeshFlat(fast.mesh, 3);
    plainDrawMeshFlat(slow.mesh, 3);
    EXPECT_EQ(drawnPixels(canvas).size(), 76800u);
    EXPECT_EQ(canvas.pixels, plain.pixels);
}

TEST_F(Flat, ShadedColoursStayWithinTheLowerHalf)
{
    const auto drawShaded = [&](std::vector<TestCorner> corners, int32_t colour) {
        canvas.fill(0, FarDepth);
        TestMesh face(canvas, unused.picture, corners);
        face.mesh.shaded = 1;
        drawMeshFlat(face.mesh, colour);
        return std::make_pair(face.mesh.shadeOffset, canvas.pixel(10, 10));
    };
    EXPECT_EQ(drawShaded({at(10, 10), at(20, 10), at(10, 20)}, 250),
              std::make_pair(10, uint8_t(127)));
    EXPECT_EQ(drawShaded({at(10, 10), at(20, 10), at(10, 18)}, 20), std::make_pair(30, uint8_t(0)));
    EXPECT_EQ(drawShaded({at(10, 10), at(21, 10), at(10, 20)}, 250),
              std::make_pair(0, uint8_t(250)));
    EXPECT_EQ(drawShaded({at(10, 10), at(21, 10), at(10, 20)}, -5), std::make_pair(0, uint8_t(251)))
        << "only the colour's low byte counts";
}

// Trunk-like faces: a few pixels wide and up to several screens tall, so
// their edges keep a column for many rows and change it now and then.
TEST_F(Flat, TallThinFacesFillWhatThePlainRulesFill)
{
    Canvas plain;
    Lcg rng{99};
    for (int round = 0; round < 400; ++round) {
        std::vector<TestCorner> corners;
        for (int face = 0; face < 6; ++face) {
            const int32_t x = rng.next(-2000, 83920), y = rng.next(-70000, 61440);
            const int32_t height = rng.next(0, round % 10 == 0 ? 400000 : 70000);
            const int32_t lean = rng.next(-height / 4, height / 4);
            corners.push_back({x, y, 0});
            corners.push_back({x + rng.next(-1500, 1500), y + rng.next(0, 3000), 0});
            corners.push_back({x + lean + rng.next(-1500, 1500), y + height, 0});
        }
        TestMesh fast(canvas, unused.picture, corners);
        TestMesh slow(plain, unused.picture, corners);
        if (round % 4 == 0) {
            fast.mesh.clipLeft = slow.mesh.clipLeft = rng.next(0, 100);
            fast.mesh.clipRight = slow.mesh.clipRight = rng.next(200, 320);
            fast.mesh.clipTop = slow.mesh.clipTop = rng.next(0, 60);
            fast.mesh.clipBottom = slow.mesh.clipBottom = rng.next(150, 239);
        }
        canvas.fill(uint8_t(round), 0);
        plain.fill(uint8_t(round), 0);
        drawMeshFlat(fast.mesh, 17);
        plainDrawMeshFlat(slow.mesh, 17);
        ASSERT_EQ(canvas.pixels, plain.pixels) << "round " << round;
    }
}

TEST_F(Flat, AgreesWithThePlainRulesOverRandomFaces)
{
    Canvas plain;
    Lcg rng{777};
    for (int round = 0; round < 400; ++round) {
        const int32_t reach = round % 10 == 0 ? 600000 : 20000;
        const std::vector<TestCorner> corners = randomFaces(rng, 6, reach);
        TestMesh fast(canvas, unused.picture, corners);
        TestMesh slow(plain, unused.picture, corners);
        fast.mesh.shaded = slow.mesh.shaded = uint8_t(rng.next(0, 1));
        const int32_t colour = rng.next(-300, 300);
        canvas.fill(uint8_t(round), 0);
        plain.fill(uint8_t(round), 0);
        drawMeshFlat(fast.mesh, colour);
        plainDrawMeshFlat(slow.mesh, colour);
        ASSERT_EQ(canvas.pixels, plain.pixels) << "round " << round;
        ASSERT_EQ(fast.faceArea, slow.faceArea) << "round " << round;
        ASSERT_EQ(fast.mesh.lastFace, slow.mesh.lastFace) << "round " << round;
        ASSERT_EQ(fast.mesh.shadeOffset, slow.mesh.shadeOffset) << "round " << round;
    }
}

}  // namespace
