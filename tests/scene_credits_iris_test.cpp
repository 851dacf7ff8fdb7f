// The credits iris: stage by time, the easing of the radius, and what the
// panel band and the closing disc draw.
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/credits_iris.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

uint8_t pixelAt(int x, int y)
{
    return MainScreen.pixels[y * 320 + x];
}

// One update step at show time `time`, past the very first step.
void stepAt(uint32_t time)
{
    DemoTime = time;
    updateCreditsIris();
}

void startIris(int32_t radius)
{
    CreditsIris.firstStep = 0;
    CreditsIris.radius = radius;
}

// Four panels of 320 x 128, each pixel tagged with its panel and position.
struct TaggedCredits {
    Picture saved = creditsPicture;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(320 * 512 + 1);
    TaggedCredits()
    {
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 320; ++x)
                pixels[y * 320 + x] = uint8_t(tag(y / 128 + 1, x, y % 128));
        creditsPicture.pixels = pixels.data();
        creditsPicture.width = 320;
        creditsPicture.height = 512;
    }
    ~TaggedCredits() { creditsPicture = saved; }
    static int tag(int panel, int x, int bandRow) { return 10 + panel * 40 + (x + bandRow) % 37; }
};

}  // namespace

TEST(CreditsIris, DistanceMapCountsWholePixelsFromTheCentre)
{
    testScreen();
    EXPECT_EQ(DistanceMap[120 * 320 + 160], 0);
    EXPECT_EQ(DistanceMap[120 * 320 + 171], 11);
    EXPECT_EQ(DistanceMap[0], 200);
    EXPECT_EQ(DistanceMap[239 * 320 + 319], 198);
}

TEST(CreditsIris, FirstStepPaintsTheScreenOnceAndTheBlankStartShowsColourOne)
{
    testScreen();
    std::memset(MainScreen.pixels, 77, 76800);
    CreditsIris.firstStep = 1;
    CreditsIris.radius = 0;
    stepAt(100);
    EXPECT_EQ(CreditsIris.firstStep, 0);
    EXPECT_EQ(CreditsIris.panel, 0u);
    for (int p = 0; p < 76800; ++p)
        ASSERT_EQ(MainScreen.pixels[p], 1) << p;

    std::memset(MainScreen.pixels, 77, 76800);
    stepAt(101);
    EXPECT_EQ(pixelAt(0, 0), 77) << "only the very first step paints";
    drawCreditsIris();
    for (int p = 0; p < 76800; ++p)
        ASSERT_EQ(MainScreen.pixels[p], 1) << p;
}

TEST(CreditsIris, StagesFollowTheShowTimeWithStrictBoundaries)
{
    startIris(0);
    const struct {
        uint32_t time;
        uint32_t panel;
        int32_t target;
    } expected[] = {
        {1, 0, 0},      {150, 0, 0},    {151, 1, 320},  {450, 1, 320},  {451, 1, 0},
        {650, 1, 0},    {651, 2, 320},  {951, 2, 0},    {1151, 3, 320}, {1451, 3, 0},
        {1651, 4, 320}, {1950, 4, 320}, {1951, 4, 0},   {2150, 4, 0},   {2151, 5, 320},
        {2400, 5, 320},
    };
    for (const auto& row : expected) {
        CreditsIris.radius = 0;
        stepAt(row.time);
        EXPECT_EQ(CreditsIris.panel, row.panel) << row.time;
        EXPECT_EQ(CreditsIris.target, row.target) << row.time;
    }
}

TEST(CreditsIris, OpeningAddsAnEighthAndSettlesShortOfTheTarget)
{
    startIris(0);
    std::vector<int32_t> radii;
    for (int i = 0; i < 5; ++i) {
        stepAt(200);
        radii.push_back(CreditsIris.radius);
    }
    EXPECT_EQ(radii, (std::vector<int32_t>{40, 75, 105, 131, 154}));

    for (int i = 0; i < 100; ++i)
        stepAt(200);
    EXPECT_GE(CreditsIris.radius, 313);
    EXPECT_LE(CreditsIris.radius, 319);
    const int32_t settled = CreditsIris.radius;
    stepAt(200);
    EXPECT_EQ(CreditsIris.radius, settled);
}

TEST(CreditsIris, ClosingTakesAQuarterAndSnapsShutBelowFour)
{
    startIris(316);
    std::vector<int32_t> radii;
    while (CreditsIris.radius > 0 && radii.size() < 40) {
        stepAt(500);
        radii.push_back(CreditsIris.radius);
    }
    const std::vector<int32_t> expected{237, 178, 134, 101, 76, 57, 43, 33, 25,
                                        19,  15,  12,  9,   7,  6,  5,  4,  0};
    EXPECT_EQ(radii, expected);
    EXPECT_EQ(CreditsIris.panel, 1u) << "the closed iris keeps its panel";
}

TEST(CreditsIris, PanelShowsInsideTheIrisWithAStrictEdgeAndLeavesTheOuterRows)
{
    testScreen();
    TaggedCredits credits;
    std::memset(MainScreen.pixels, 77, 76800);
    CreditsIris.panel = 2;
    CreditsIris.radius = 20;
    drawCreditsIris();

    // (160, 120) is band row 64 of the panel.
    EXPECT_EQ(pixelAt(160, 120), TaggedCredits::tag(2, 160, 64));
    EXPECT_EQ(pixelAt(179, 120), TaggedCredits::tag(2, 179, 64)) << "distance 19 is inside";
    EXPECT_EQ(pixelAt(180, 120), 1) << "distance 20 equals the radius: outside";
    EXPECT_EQ(pixelAt(160, 101), TaggedCredits::tag(2, 160, 45));
    EXPECT_EQ(pixelAt(160, 100), 1);
    EXPECT_EQ(pixelAt(0, 56), 1);
    EXPECT_EQ(pixelAt(319, 183), 1);
    for (int x = 0; x < 320; ++x) {
        ASSERT_EQ(pixelAt(x, 55), 77) << "rows above the band are not written";
        ASSERT_EQ(pixelAt(x, 184), 77) << "rows below the band are not written";
    }

    CreditsIris.panel = 4;
    CreditsIris.radius = 400;
    drawCreditsIris();
    EXPECT_EQ(pixelAt(0, 56), TaggedCredits::tag(4, 0, 0)) << "the last panel is read in full";
    EXPECT_EQ(pixelAt(319, 183), TaggedCredits::tag(4, 319, 127));
}

TEST(CreditsIris, ClosingDiscCoversTheScreenInColourZero)
{
    testScreen();
    CreditsIris.panel = 5;
    CreditsIris.radius = 50;
    drawCreditsIris();
    EXPECT_EQ(pixelAt(160, 120), 0);
    EXPECT_EQ(pixelAt(209, 120), 0);
    EXPECT_EQ(pixelAt(210, 120), 1);
    EXPECT_EQ(pixelAt(0, 0), 1);

    CreditsIris.radius = 201;
    drawCreditsIris();
    for (int p = 0; p < 76800; ++p)
        ASSERT_EQ(MainScreen.pixels[p], 0) << p;
}
