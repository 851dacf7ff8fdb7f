// The spider web: the thread's target and reach over the scene, the sway of
// the points, the spider's placement, and which lines, flare and clipping a
// frame draws.
#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/spider_web.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int Centre = 103;  // the last of the 104 points

// The web at rest as built at start-up, an empty forest, a flare of value 9
// and an invisible spider; the scene's start state, the pictures, the spider
// and the tick count come back afterwards.
struct WebScene {
    Screen& screen = testScreen();  // first: the web's points must exist
    Picture savedForest = forestPicture;
    Picture savedFlare = flarePicture;
    Mesh savedSpider = spiderMesh;
    int32_t savedTicks = TickCount;
    std::vector<uint8_t> forestPixels, flarePixels;
    WebScene()
    {
        resetSpiderWeb();
        makeTestPicture(forestPicture, forestPixels, 320, 240, 0);
        makeTestPicture(flarePicture, flarePixels, 32, 32, 9);
        spiderMesh = Mesh{};
        spiderMesh.screen = &MainScreen;
        TickCount = 0;
    }
    ~WebScene()
    {
        resetSpiderWeb();
        forestPicture = savedForest;
        flarePicture = savedFlare;
        spiderMesh = savedSpider;
        TickCount = savedTicks;
    }
};

uint8_t pixelAt(int x, int y)
{
    return MainScreen.pixels[y * 320 + x];
}

void drawWithReach(int32_t reach)
{
    SpiderWeb.reach = reach;
    std::memset(MainScreen.pixels, 123, 76800);
    drawSpiderWeb();
}

// Squared distance, in pixels, from (x, y) to the segment from point a to b.
double distanceToSegment(int x, int y, int a, int b)
{
    const double ax = SpiderWeb.x[a], ay = SpiderWeb.y[a], bx = SpiderWeb.x[b], by = SpiderWeb.y[b];
    const double dx = bx - ax, dy = by - ay;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((x - ax) * dx + (y - ay) * dy) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = ax + t * dx - x, ey = ay + t * dy - y;
    return ex * ex + ey * ey;
}

struct Segment {
    int a, b;
};

// The lines a frame with thread reach `reach` is meant to draw.
std::vector<Segment> webSegments(int reach)
{
    std::vector<Segment> lines;
    for (int i = 0; i < 16; ++i)
        lines.push_back({i, Centre});
    for (int i = 0; i <= Centre - 15; ++i)
        lines.push_back({i, i + 14});
    for (int i = 0; i < reach; ++i)
        lines.push_back({i, i + 1});
    return lines;
}

bool inside(int x, int y)
{
    return x >= 1 && x <= 318 && y >= 1 && y <= 238;
}

}  // namespace

TEST(SpiderWebPoints, SpiralWindsOutFromNearTheHubAndEndsOnIt)
{
    testScreen();
    EXPECT_EQ(webPointCount, 104);
    EXPECT_EQ(SpiderWeb.target, 104);
    EXPECT_EQ(webBaseX[0], 173);
    EXPECT_EQ(webBaseY[0], 119);
    EXPECT_EQ(webBaseX[102], 272);
    EXPECT_EQ(webBaseY[102], 305);
    EXPECT_EQ(webBaseX[103], 160);
    EXPECT_EQ(webBaseY[103], 120);
}

TEST(SpiderWebUpdate, ThreadTargetFollowsTheShowTime)
{
    WebScene scene;
    SpiderWeb.target = 77;
    const struct {
        uint32_t time;
        int32_t target;
    } expected[] = {
        {10500, 77}, {10600, 77}, {10601, 0},   {10801, 104}, {11001, 0},
        {11201, 104}, {11401, 0}, {11600, 0},   {11601, 102}, {12350, 102},
    };
    for (const auto& row : expected) {
        DemoTime = row.time;
        updateSpiderWeb();
        EXPECT_EQ(SpiderWeb.target, row.target) << row.time;
    }
}

// The show's own pacing: 40 ms update steps from 10401 to 12350.
TEST(SpiderWebUpdate, ReachMovesOneSegmentAStepTowardsItsTargets)
{
    WebScene scene;
    int32_t previous = SpiderWeb.reach;
    int32_t reachAt10800 = -1, reachAt11000 = -1, peak = 0;
    uint32_t fullAt = 0;
    for (uint32_t time = 10401; time <= 12350; time += 4) {
        DemoTime = time;
        TickCount += 1;
        updateSpiderWeb();
        ASSERT_LE(std::abs(SpiderWeb.reach - previous), 1) << time;
        previous = SpiderWeb.reach;
        peak = std::max(peak, SpiderWeb.reach);
        if (time == 10597) {
            EXPECT_EQ(SpiderWeb.reach, 50) << "grows during the first two seconds";
        }
        if (time <= 10800)
            reachAt10800 = SpiderWeb.reach;
        if (time <= 11000)
            reachAt11000 = SpiderWeb.reach;
        if (SpiderWeb.reach == 102 && fullAt == 0)
            fullAt = time;
    }
    EXPECT_EQ(reachAt10800, 0) << "shrinks back to nothing";
    EXPECT_EQ(reachAt11000, 50);
    EXPECT_EQ(peak, 102);
    EXPECT_EQ(SpiderWeb.reach, 102);
    EXPECT_EQ(fullAt, 12005u);
}

TEST(SpiderWebUpdate, ThreadTipStaysOnTheLastPoint)
{
    WebScene scene;
    DemoTime = 10500;
    SpiderWeb.target = 104;
    SpiderWeb.reach = 102;
    updateSpiderWeb();
    EXPECT_EQ(SpiderWeb.reach, Centre);
    updateSpiderWeb();
    EXPECT_EQ(SpiderWeb.reach, Centre) << "a full-length target does not push the tip past the points";

    SpiderWeb.target = 5;
    SpiderWeb.reach = 7;
    updateSpiderWeb();
    EXPECT_EQ(SpiderWeb.reach, 6);
    SpiderWeb.reach = 5;
    updateSpiderWeb();
    EXPECT_EQ(SpiderWeb.reach, 5);
}

// The arithmetic shifts round towards minus infinity: a division would sway
// the hub by 3 px and the outer points and the y offsets by nothing.
TEST(SpiderWebUpdate, PointsSwayMostAtTheHubAndTheCentreSwaysLikePointZero)
{
    WebScene scene;
    DemoTime = 10500;
    SpiderWeb.x[104] = 4444;
    SpiderWeb.y[104] = 5555;
    TickCount = 128;  // angle 1024: sine -255, cosine 0
    updateSpiderWeb();
    EXPECT_EQ(SpiderWeb.x[0], webBaseX[0] - 4);
    EXPECT_EQ(SpiderWeb.x[50], webBaseX[50] + ((-255 * (1024 - 400)) >> 16));
    EXPECT_EQ(SpiderWeb.x[50], webBaseX[50] - 3);
    EXPECT_EQ(SpiderWeb.x[102], webBaseX[102] - 1);
    EXPECT_EQ(SpiderWeb.x[Centre], webBaseX[Centre] - 4);
    for (int i = 0; i <= Centre; ++i)
        ASSERT_EQ(SpiderWeb.y[i], webBaseY[i]) << i;

    TickCount = 0;  // angle 0: sine 0, cosine -256
    updateSpiderWeb();
    for (int i = 0; i <= Centre; ++i) {
        ASSERT_EQ(SpiderWeb.x[i], webBaseX[i]) << i;
        ASSERT_EQ(SpiderWeb.y[i], webBaseY[i] - 1) << i;
    }
    EXPECT_EQ(SpiderWeb.x[104], 4444) << "only the 104 points are swayed";
    EXPECT_EQ(SpiderWeb.y[104], 5555);
}

TEST(SpiderWebUpdate, SpiderSitsLeftOfPointZeroAndTurns)
{
    WebScene scene;
    DemoTime = 10500;
    spiderMesh.angleZ = 300;
    TickCount = 0;
    updateSpiderWeb();
    EXPECT_EQ(spiderMesh.centreX, (SpiderWeb.x[0] - 10) * 256);
    EXPECT_EQ(spiderMesh.centreY, SpiderWeb.y[0] * 256);
    EXPECT_EQ(spiderMesh.centreX, 163 * 256);
    EXPECT_EQ(spiderMesh.centreY, 118 * 256);
    EXPECT_EQ(spiderMesh.cameraDepth, -51200);
    EXPECT_EQ(spiderMesh.angleX, 1000);
    EXPECT_EQ(spiderMesh.angleZ & 4095, 350);
}

// Every silk pixel lies on one of the hub lines, spokes or thread segments,
// and every one of those lines that crosses the screen is drawn.
TEST(SpiderWebDraw, DrawsHubLinesSpokesAndTheThreadUpToItsReach)
{
    WebScene scene;
    for (int reach : {0, 30, 102}) {
        drawWithReach(reach);
        const std::vector<Segment> lines = webSegments(reach);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                if (pixelAt(x, y) != 255)
                    continue;
                const bool onALine = std::any_of(lines.begin(), lines.end(), [&](const Segment& s) {
                    return distanceToSegment(x, y, s.a, s.b) <= 1.0;
                });
                ASSERT_TRUE(onALine) << "reach " << reach << ": stray silk at " << x << ", " << y;
            }
        for (const Segment& s : lines) {
            const int mx = (SpiderWeb.x[s.a] + SpiderWeb.x[s.b]) / 2, my = (SpiderWeb.y[s.a] + SpiderWeb.y[s.b]) / 2;
            if (!inside(mx - 1, my - 1) || !inside(mx + 1, my + 1))
                continue;
            bool drawn = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    drawn = drawn || pixelAt(mx + dx, my + dy) == 255;
            EXPECT_TRUE(drawn) << "reach " << reach << ": line " << s.a << "-" << s.b;
        }
    }
}

TEST(SpiderWebDraw, ThreadGainsExactlyOneSegmentPerStepOfReach)
{
    WebScene scene;
    for (int reach : {0, 7, 40}) {
        drawWithReach(reach);
        const std::vector<uint8_t> shorter(MainScreen.pixels, MainScreen.pixels + 76800);
        drawWithReach(reach + 1);
        int gained = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (pixelAt(x, y) == 255 && shorter[y * 320 + x] != 255) {
                    ++gained;
                    ASSERT_LE(distanceToSegment(x, y, reach, reach + 1), 1.0) << x << ", " << y;
                }
        EXPECT_GT(gained, 0) << "reach " << reach;
    }
}

TEST(SpiderWebDraw, FlareSitsOnTheThreadTip)
{
    WebScene scene;
    for (int reach : {0, 20}) {
        drawWithReach(reach);
        const int left = SpiderWeb.x[reach] - 16, top = SpiderWeb.y[reach] - 16;
        int glowing = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (pixelAt(x, y) == 9) {
                    ++glowing;
                    ASSERT_TRUE(x >= left && x < left + 32 && y >= top && y < top + 32)
                        << x << ", " << y;
                }
        EXPECT_GT(glowing, 600) << "reach " << reach;
    }
}

// The web laid along each border in turn: every line runs along the border
// and none of it may show; the flare (value 9) is the only mark on the forest.
TEST(SpiderWebDraw, LinesOnTheScreenBorderAreNotDrawn)
{
    WebScene scene;
    for (int border = 0; border < 4; ++border) {
        for (int i = 0; i <= Centre; ++i) {
            const int along = (i * 37) % 320;
            SpiderWeb.x[i] = border == 0 ? 0 : border == 1 ? 319 : along;
            SpiderWeb.y[i] = border == 2 ? 0 : border == 3 ? 239 : along * 3 / 4;
        }
        drawWithReach(60);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                ASSERT_TRUE(pixelAt(x, y) == 0 || pixelAt(x, y) == 9)
                    << "border " << border << ": " << x << ", " << y;
    }
}
