// The forest object and the forest scene with its spinning calendar.
#include "core/random.h"
#include "objects/forest.h"
#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/forest_calendar.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <array>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

struct Texture {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(65537, 0);
    Picture picture{};
    explicit Texture(Screen& screen)
    {
        picture.screen = &screen;
        picture.pixels = pixels.data();
        picture.width = 256;
        picture.height = 256;
        picture.pixelCount = 65536;
    }
};

// The forest with every mesh a small square, placed as at start-up.
struct SmallForest {
    Screen& screen = testScreen();
    Texture leafTexture{screen};
    Texture rightLeafTexture{screen};
    Forest forest{};
    explicit SmallForest()
    {
        const std::string square = writeSquareOb("forest");
        forest.screen = &screen;
        for (Mesh& trunk : forest.trunks)
            loadMesh(trunk, square.c_str(), leafTexture.picture, screen, 4, 4, 4);
        for (int i = 0; i < ForestLeafPairs; ++i) {
            loadMesh(forest.leavesLeft[i], square.c_str(), leafTexture.picture, screen, 4, 4, 4);
            loadMesh(forest.leavesRight[i], square.c_str(), rightLeafTexture.picture, screen, 4,
                     4, 4);
        }
        placeForest(forest);
    }
    void hideAll()
    {
        for (Mesh& trunk : forest.trunks)
            trunk.visible = 0;
        for (int i = 0; i < ForestLeafPairs; ++i)
            forest.leavesLeft[i].visible = forest.leavesRight[i].visible = 0;
    }
};

int countColour(const Screen& screen, uint8_t colour)
{
    int n = 0;
    for (int i = 0; i < ScreenPixels; ++i)
        n += screen.pixels[i] == colour;
    return n;
}

TEST(ForestObject, PlacementDrawsRandForLeftAndRightInTurn)
{
    SmallForest& small = keepForever(new SmallForest);
    seedShowRandom(4242);
    std::vector<int32_t> expected;
    for (int i = 0; i < 2 * ForestLeafPairs; ++i)
        expected.push_back((showRandom() % 3 + 10) * 256);
    seedShowRandom(4242);
    placeForest(small.forest);
    const Forest& forest = small.forest;
    for (int i = 0; i < ForestLeafPairs; ++i) {
        EXPECT_EQ(forest.leavesLeft[i].offsetZ, expected[2 * i]) << "left " << i;
        EXPECT_EQ(forest.leavesRight[i].offsetZ, expected[2 * i + 1]) << "right " << i;
        EXPECT_EQ(forest.leavesLeft[i].offsetY, 2560 * i - 35840);
        EXPECT_EQ(forest.leavesRight[i].offsetY, 2560 * i - 35840);
        EXPECT_EQ(forest.leavesLeft[i].offsetX, -3840);
        EXPECT_EQ(forest.leavesRight[i].offsetX, 3840);
        EXPECT_EQ(forest.leavesLeft[i].transparentColour, 254);
        EXPECT_EQ(forest.leavesRight[i].transparentColour, 254);
    }
    EXPECT_EQ(forest.trunks[0].offsetY, -25600);
    EXPECT_EQ(forest.trunks[1].offsetY, -12800);
    EXPECT_EQ(forest.trunks[2].offsetY, 0);
}

TEST(ForestObject, TrunksAndLeavesJumpBackFromWhereTheyStood)
{
    SmallForest& small = keepForever(new SmallForest);
    Forest& forest = small.forest;
    forest.trunks[0].offsetY = -43008;
    forest.leavesLeft[3].offsetY = -40448;
    forest.leavesRight[3].offsetY = -40448;
    tickForest(forest);
    EXPECT_EQ(forest.trunks[0].offsetY, -43520);  // at the limit, not past it
    EXPECT_EQ(forest.leavesLeft[3].offsetY, -40960);
    tickForest(forest);
    EXPECT_EQ(forest.trunks[0].offsetY, -43520 + 32768);
    EXPECT_EQ(forest.leavesLeft[3].offsetY, -40960 + 19968);
    EXPECT_EQ(forest.leavesRight[3].offsetY, -40960 + 19968);
    EXPECT_EQ(forest.trunks[1].offsetY, -12800 - 2 * 512);
}

TEST(ForestObject, PairIsProjectedOnlyOnceTheLeftLeafIsInView)
{
    SmallForest& small = keepForever(new SmallForest);
    Forest& forest = small.forest;
    // Left leaf lands on -23040 (not in view), the right one well inside.
    forest.leavesLeft[2].offsetY = -22528;
    forest.leavesRight[2].offsetY = -30000;
    forest.leavesRight[2].vertexDepth[0] = 12345;
    tickForest(forest);
    EXPECT_EQ(forest.leavesLeft[2].offsetY, -23040);
    EXPECT_EQ(forest.leavesRight[2].vertexDepth[0], 12345);
    tickForest(forest);  // -23552: both are projected
    EXPECT_LT(forest.leavesLeft[2].vertexDepth[0], -23040);
    EXPECT_NE(forest.leavesRight[2].vertexDepth[0], 12345);
}

// Trunks are silhouettes in colour 17 drawn first; the pair in view draws
// over them with its texture, leaving texel 254 out; the left leaf's first
// vertex decides for both leaves.
TEST(ForestObject, DrawShowsTrunksThenThePairsInView)
{
    SmallForest& small = keepForever(new SmallForest);
    Forest& forest = small.forest;
    Screen& screen = small.screen;
    small.hideAll();
    for (int i = 0; i < 65536; ++i) {
        small.leafTexture.pixels[i] = (i & 16) ? 254 : 5;
        small.rightLeafTexture.pixels[i] = 6;
    }
    Mesh& trunk = forest.trunks[1];
    Mesh& left = forest.leavesLeft[4];
    Mesh& right = forest.leavesRight[4];
    trunk.visible = left.visible = right.visible = 1;
    trunk.offsetY = left.offsetY = right.offsetY = -30000;
    for (Mesh* mesh : {&trunk, &left, &right})
        transformMesh(*mesh);

    auto drawFresh = [&] {
        std::memset(screen.pixels, 0, ScreenPixels);
        clearDepth(screen, 0);
        drawForest(forest);
    };
    left.vertexDepth[0] = -23552;
    drawFresh();
    EXPECT_GT(countColour(screen, 17), 0);
    EXPECT_GT(countColour(screen, 5), 0);
    EXPECT_GT(countColour(screen, 6), 0);
    EXPECT_EQ(countColour(screen, 254), 0);

    // The trunk is drawn again, now uncovered by the left leaf's 254 texels.
    const int trunkPixelsUnderLeaves = countColour(screen, 17);
    left.vertexDepth[0] = -23040;
    drawFresh();
    EXPECT_EQ(countColour(screen, 5), 0);
    EXPECT_EQ(countColour(screen, 6), 0);
    EXPECT_GT(countColour(screen, 17), trunkPixelsUnderLeaves);
}

// The scene's meshes all hidden: the backdrop and the calendar alone.
struct ForestScene : testing::Test {
    SmallForest& small = keepForever(new SmallForest);
    Forest saved = SceneForest;
    void SetUp() override
    {
        small.hideAll();
        SceneForest = small.forest;
        std::memset(CalendarFrames, 0, sizeof CalendarFrames);
        forgetCalendarLitWords();
    }
    void TearDown() override { SceneForest = saved; }
    uint8_t pixel(int x, int y) const { return small.screen.pixels[y * 320 + x]; }
};

TEST_F(ForestScene, OuterBandsArePaintedOnlyOnTheFirstStep)
{
    std::memset(small.screen.pixels, 7, ScreenPixels);
    ForestCalendar.steps = 0;
    updateForestCalendar();
    drawForestCalendar();
    EXPECT_EQ(ForestCalendar.steps, 1);
    for (int y : {0, 27, 28, 109})
        EXPECT_EQ(pixel(5, y), 251) << y;
    for (int y : {110, 214, 215, 239})
        EXPECT_EQ(pixel(5, y), 28) << y;

    std::memset(small.screen.pixels, 7, ScreenPixels);
    updateForestCalendar();
    drawForestCalendar();
    EXPECT_EQ(ForestCalendar.steps, 2);
    for (int y : {0, 27, 215, 239})
        EXPECT_EQ(pixel(5, y), 7) << y;  // the trail band keeps what was there
    EXPECT_EQ(pixel(5, 28), 251);
    EXPECT_EQ(pixel(5, 214), 28);
}

TEST_F(ForestScene, CalendarViewFollowsTheStepCountAndKeepsZeroSeeThrough)
{
    for (int k = 0; k < CalendarViews; ++k) {
        uint8_t* view = CalendarFrames + k * CalendarViewBytes;
        view[0] = uint8_t(k + 1);                    // top-left corner
        view[CalendarViewBytes - 1] = uint8_t(k + 100);  // bottom-right corner
    }
    ForestCalendar.steps = 5;
    TickCount = 3 * 64 + 9;
    drawForestCalendar();
    EXPECT_EQ(pixel(96, 50), 10);
    EXPECT_EQ(pixel(223, 177), 109);
    EXPECT_EQ(pixel(97, 50), 251);  // a see-through pixel keeps the backdrop
    EXPECT_EQ(pixel(95, 50), 251);
    EXPECT_EQ(pixel(224, 177), 28);
    TickCount += 1;
    drawForestCalendar();
    EXPECT_EQ(pixel(96, 50), 11);
}

// Lit words are found from both ends of a row, all-0 words between them
// included; a row of 0 has none.
TEST(CalendarPaste, LitWordsSpanFromTheFirstWordNotZeroToTheLast)
{
    alignas(4) uint8_t row[32] = {};
    uint8_t lit[2];
    litWords(row, 8, lit);
    EXPECT_EQ(lit[0], lit[1]);
    row[9] = 1;  // word 2
    litWords(row, 8, lit);
    EXPECT_EQ((std::array<int, 2>{lit[0], lit[1]}), (std::array<int, 2>{2, 3}));
    row[31] = 5;  // word 7, words 3 to 6 all 0 between
    row[0] = 2;   // word 0
    litWords(row, 8, lit);
    EXPECT_EQ((std::array<int, 2>{lit[0], lit[1]}), (std::array<int, 2>{0, 8}));
}

// Merging a view's lit words only gives the screen the plain rule gives
// (every pixel not 0 over the backdrop), for views whose rows are lit in
// different stretches with 0 inside them, and again once the view changes
// (pasted at 96, 50).
TEST_F(ForestScene, PasteOfLitWordsMatchesThePlainMerge)
{
    const auto check = [this](int k, uint8_t colour) {
        uint8_t* view = CalendarFrames + k * CalendarViewBytes;
        for (int r = 0; r < CalendarSize; ++r)
            for (int c = (r * 7 + colour) % 50; c < 128 - (r * 3 + colour) % 40; ++c)
                view[r * CalendarSize + c] = c % 11 == 0 ? 0 : uint8_t(colour + c % 3);
        TickCount = uint32_t(k);
        drawForestCalendar();
        for (int r = 0; r < CalendarSize; ++r)
            for (int c = 0; c < CalendarSize; ++c) {
                const uint8_t over = view[r * CalendarSize + c];
                const uint8_t backdrop = 50 + r < 110 ? 251 : 28;  // sky, then ground
                ASSERT_EQ(pixel(96 + c, 50 + r), over ? over : backdrop)
                    << k << " " << r << " " << c;
            }
    };
    ForestCalendar.steps = 5;
    check(12, 40);
    std::memset(CalendarFrames + 12 * CalendarViewBytes, 0, CalendarViewBytes);
    forgetCalendarLitWords();
    check(12, 70);
}

// The pre-render turns the calendar one sixty-fourth of a turn per view,
// keeps only the top-left 128 x 128 corner and leaves the Screen blank.
TEST_F(ForestScene, PrerenderKeepsSixtyFourTurnedViewsAndClearsTheScreen)
{
    Mesh savedCalendar = calendarMesh;
    Texture texture(small.screen);
    std::memset(texture.pixels.data(), 9, 65536);
    loadMesh(calendarMesh, writeSquareOb("forest").c_str(), texture.picture, small.screen, 4, 4, 4);
    std::memset(small.screen.pixels, 3, ScreenPixels);
    prerenderCalendarFrames();
    EXPECT_EQ(countColour(small.screen, 0), ScreenPixels);
    EXPECT_EQ(calendarMesh.angleZ, 4032);
    auto inked = [](int k) {
        int n = 0;
        for (int i = 0; i < CalendarViewBytes; ++i)
            n += CalendarFrames[k * CalendarViewBytes + i] == 9;
        return n;
    };
    // The square faces the eye in view 0, shows its edge in view 16 and is
    // foreshortened in between; every view is centred on (64, 64).
    EXPECT_EQ(CalendarFrames[64 * CalendarSize + 64], 9);
    EXPECT_GT(inked(0), 4000);
    EXPECT_LT(inked(16), inked(0) / 8);
    EXPECT_GT(inked(8), inked(16));
    EXPECT_LT(inked(8), inked(0));
    keepForever(new Mesh(calendarMesh));
    calendarMesh = savedCalendar;
}

}  // namespace
