// The flare pyramid: the drop, the spin, the lighting of vertices, the drift
// and the fading trails; the zoom overlay's blur, zoom and fade on small
// constructed pictures; and which vertices get a flare.
#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/flare_pyramid.h"
#include "scenes/scenes.h"
#include "scenes/scene_bits.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int VertexCount = 4;

// The pyramid replaced by four vertices at the model origin, with the
// placement the show gives it; the real mesh and the frame's tick count and
// scene code come back afterwards.
struct SmallPyramid {
    Mesh saved = pyramidMesh;
    int32_t savedTicks = TickCount;
    uint32_t savedMask = SceneMask;
    std::vector<int32_t> vertices = std::vector<int32_t>(3 * VertexCount + 9);
    std::vector<int32_t> screenX = std::vector<int32_t>(3 * VertexCount + 9);
    std::vector<int32_t> screenY = std::vector<int32_t>(3 * VertexCount + 9);
    std::vector<int32_t> depth = std::vector<int32_t>(3 * VertexCount + 9);
    SmallPyramid()
    {
        testScreen();
        pyramidMesh = Mesh{};
        pyramidMesh.screen = &MainScreen;
        pyramidMesh.visible = 1;
        pyramidMesh.angleX = 150;
        pyramidMesh.centreX = 130 * 256;
        pyramidMesh.centreY = 120 * 256;
        pyramidMesh.cameraDepth = -12800;
        pyramidMesh.vertexCount = VertexCount;
        pyramidMesh.vertices = vertices.data();
        pyramidMesh.screenX = screenX.data();
        pyramidMesh.screenY = screenY.data();
        pyramidMesh.vertexDepth = depth.data();
        resetFlarePyramid();
        TickCount = 1;
    }
    ~SmallPyramid()
    {
        pyramidMesh = saved;
        TickCount = savedTicks;
        SceneMask = savedMask;
    }
};

// A 32 x 32 flare of one value; the real one comes back afterwards.
struct FlatFlare {
    Picture saved = flarePicture;
    std::vector<uint8_t> pixels;
    explicit FlatFlare(uint8_t value) : pixels(32 * 32 + 1, value)
    {
        flarePicture = Picture{};
        flarePicture.screen = &MainScreen;
        flarePicture.pixels = pixels.data();
        flarePicture.pixelCount = 1024;
        flarePicture.width = flarePicture.height = 32;
        flarePicture.right = flarePicture.bottom = 32;
        flarePicture.limit = 255;
    }
    ~FlatFlare() { flarePicture = saved; }
};

uint8_t& pixel(int x, int y)
{
    return MainScreen.pixels[y * 320 + x];
}

void stepTo(uint16_t step)
{
    FlarePyramid.step = uint16_t(step - 1);
    updateFlarePyramid();
}

void fillScreen(uint8_t value)
{
    testScreen();
    std::memset(MainScreen.pixels, value, 76800);
}

}  // namespace

TEST(FlarePyramidUpdate, DropStartsAboveTheScreenAndIsHeldAtRow120)
{
    SmallPyramid pyramid;
    updateFlarePyramid();
    EXPECT_EQ(FlarePyramid.step, 1);
    EXPECT_EQ(pyramidMesh.centreY, -49 * 256);
    EXPECT_EQ(pyramidMesh.angleX, 155);
    EXPECT_EQ(pyramidMesh.angleZ, 10);
    // The zoom origin comes from the centre before the step moved it.
    EXPECT_EQ(FlarePyramid.zoomOriginX, 33280 - 29900);
    EXPECT_EQ(FlarePyramid.zoomOriginY, 30720 - 27600);

    int32_t previousY = pyramidMesh.centreY;
    updateFlarePyramid();
    EXPECT_EQ(FlarePyramid.zoomOriginY, -12544 + 11270) << "origin from a centre above the screen";

    for (int step = 3; step <= 181; ++step)
        updateFlarePyramid();
    EXPECT_LT(pyramidMesh.centreY, 120 * 256) << "step 181 is still below the floor";
    for (int step = 182; step <= 200; ++step) {
        updateFlarePyramid();
        ASSERT_EQ(pyramidMesh.centreY, 120 * 256) << "step " << step;
    }
    EXPECT_EQ(pyramidMesh.angleX, (150 + 5 * 200) & 4095);
    EXPECT_EQ(pyramidMesh.angleZ, (10 * 200) & 4095);

    previousY = pyramidMesh.centreY;
    const int32_t previousZ = pyramidMesh.angleZ;
    updateFlarePyramid();
    EXPECT_EQ(pyramidMesh.centreY, previousY) << "the drop is over after step 200";
    EXPECT_EQ(pyramidMesh.angleZ, previousZ);
    EXPECT_EQ(pyramidMesh.angleX, (150 + 5 * 200 + 10) & 4095) << "the spin has taken over";
}

TEST(FlarePyramidUpdate, SpinStopsForGoodOnceAngleXComesRoundBelow100AfterStep450)
{
    SmallPyramid pyramid;
    pyramidMesh.angleX = 50;
    stepTo(450);
    EXPECT_EQ(FlarePyramid.spinning, 1) << "step 450 is not yet past the start of the drift";
    EXPECT_EQ(pyramidMesh.angleX, 60);

    pyramidMesh.angleX = 100;
    stepTo(451);
    EXPECT_EQ(FlarePyramid.spinning, 1);
    EXPECT_EQ(pyramidMesh.angleX, 110);

    pyramidMesh.angleX = 99;
    stepTo(452);
    EXPECT_EQ(FlarePyramid.spinning, 0);
    EXPECT_EQ(pyramidMesh.angleX, 99);

    pyramidMesh.angleX = 2000;
    updateFlarePyramid();
    EXPECT_EQ(FlarePyramid.spinning, 0);
    EXPECT_EQ(pyramidMesh.angleX, 2000);
}

TEST(FlarePyramidUpdate, FirstFlareCountsDownEveryTenthStepAfter350AndStopsAtZero)
{
    SmallPyramid pyramid;
    FlarePyramid.step = 349;
    std::vector<int> lowered;
    for (int step = 350; step <= 560; ++step) {
        const uint16_t before = FlarePyramid.firstFlare;
        updateFlarePyramid();
        if (FlarePyramid.firstFlare != before)
            lowered.push_back(step);
    }
    std::vector<int> expected;
    for (int step = 360; step <= 520; step += 10)
        expected.push_back(step);
    EXPECT_EQ(lowered, expected);
    EXPECT_EQ(FlarePyramid.firstFlare, 0) << "it stops at 0 rather than wrapping";
}

TEST(FlarePyramidUpdate, DriftsToItsRestingPlaceAfterStep450)
{
    SmallPyramid pyramid;
    pyramidMesh.centreX = 33280;
    stepTo(450);
    EXPECT_EQ(pyramidMesh.centreX, 33280);
    EXPECT_EQ(pyramidMesh.centreY, 120 * 256);

    updateFlarePyramid();
    EXPECT_EQ(pyramidMesh.centreX, 33280 - 256);
    EXPECT_EQ(pyramidMesh.centreY, 121 * 256);

    pyramidMesh.centreX = 29440 + 256;
    pyramidMesh.centreY = 42240 - 256;
    updateFlarePyramid();
    updateFlarePyramid();
    EXPECT_EQ(pyramidMesh.centreX, 29440);
    EXPECT_EQ(pyramidMesh.centreY, 42240);
}

TEST(FlarePyramidUpdate, TrailFadeShrinksEverySixteenthTickAfterStep450)
{
    SmallPyramid pyramid;
    TickCount = 64;
    stepTo(450);
    EXPECT_EQ(FlarePyramid.trailFade, 12) << "no fading before the drift";

    stepTo(460);
    EXPECT_EQ(FlarePyramid.trailFade, 11);
    TickCount = 65;
    updateFlarePyramid();
    EXPECT_EQ(FlarePyramid.trailFade, 11);
    TickCount = 80;
    updateFlarePyramid();
    EXPECT_EQ(FlarePyramid.trailFade, 10);

    FlarePyramid.trailFade = 0;
    TickCount = 96;
    updateFlarePyramid();
    EXPECT_EQ(FlarePyramid.trailFade, 0);
}

TEST(ZoomTrails, FadeTakesTrailFadeOffAndFloorsAtZero)
{
    fillScreen(200);
    FlarePyramid.zoomOriginX = 3380;
    FlarePyramid.zoomOriginY = 3120;
    FlarePyramid.trailFade = 12;
    drawZoomTrails();
    for (int p = 0; p < 76800; ++p)
        ASSERT_EQ(MainScreen.pixels[p], 188) << p;

    fillScreen(13);
    drawZoomTrails();
    EXPECT_EQ(pixel(160, 120), 1);
    fillScreen(12);
    drawZoomTrails();
    EXPECT_EQ(pixel(160, 120), 0);
    EXPECT_EQ(pixel(0, 0), 0);
}

// A lone bright pixel: a walk from the band's end downwards in place has
// already blurred the right and lower neighbours when it reaches a pixel.
TEST(ZoomTrails, BlurWalksDownwardsInPlace)
{
    fillScreen(0);
    FlarePyramid.zoomOriginX = 3380;
    FlarePyramid.zoomOriginY = 3120;
    const int o = 120 * 320 + 160;
    MainScreen.pixels[o] = 160;
    drawZoomTrails();
    EXPECT_EQ(WorkBufferB[o + 1], 40);
    EXPECT_EQ(WorkBufferB[o + 320], 40);
    EXPECT_EQ(WorkBufferB[o], 20) << "from its already blurred right and lower neighbours";
    EXPECT_EQ(WorkBufferB[o + 319], 10);
    EXPECT_EQ(WorkBufferB[o - 1], 7);
    EXPECT_EQ(WorkBufferB[o - 320], 7);
    EXPECT_EQ(WorkBufferB[o - 2], 2);
    EXPECT_EQ(WorkBufferB[o + 2], 0);
}

TEST(ZoomTrails, BlurCoversOffsets16001To66640Only)
{
    fillScreen(0);
    MainScreen.pixels[16000] = 160;
    MainScreen.pixels[66641] = 160;
    drawZoomTrails();
    EXPECT_EQ(WorkBufferB[16000], 160);
    EXPECT_EQ(WorkBufferB[16001], 40);
    EXPECT_EQ(WorkBufferB[66641], 160);
    EXPECT_EQ(WorkBufferB[66640], 40);
}

// Rows 0..49 lie above the blurred band, so there the zoom reads the
// previous picture unchanged.
TEST(ZoomTrails, ZoomSamplesAt230Per256AndKeepsTheCentreInPlace)
{
    SmallPyramid pyramid;
    fillScreen(0);
    auto source = [](int x, int y) { return uint8_t(20 + (x * 7 + y * 3) % 200); };
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 320; ++x)
            pixel(x, y) = source(x, y);
    std::vector<uint8_t> before(MainScreen.pixels, MainScreen.pixels + 76800);

    // The origin a step computes for a pyramid centred on (130, 25).
    pyramidMesh.centreY = 25 * 256;
    stepTo(300);
    EXPECT_EQ(FlarePyramid.zoomOriginX, 3380);
    EXPECT_EQ(FlarePyramid.zoomOriginY, 650);
    drawZoomTrails();
    EXPECT_EQ(pixel(130, 25), source(130, 25) - 12) << "the centre stays in place";
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 320; ++x) {
            const int sx = (3380 + 230 * x) >> 8;
            const int sy = (650 + 230 * y) >> 8;
            ASSERT_EQ(pixel(x, y), source(sx, sy) - 12) << x << ", " << y;
        }
    EXPECT_EQ(pixel(150, 25), source(147, 25) - 12) << "20 px out samples 17 px out";
    EXPECT_EQ(pixel(130, 5), source(130, 7) - 12);
}

// A pause during the drop can bring the overlay on with the pyramid's centre
// far above the screen: its source rows are held to the picture's edge.
TEST(ZoomTrails, SourceRowsOutsideThePictureAreHeldToItsEdge)
{
    fillScreen(50);
    std::memset(MainScreen.pixels, 100, 320);
    std::memset(MainScreen.pixels + 239 * 320, 90, 320);
    FlarePyramid.zoomOriginX = 3380;
    FlarePyramid.zoomOriginY = -6240;
    drawZoomTrails();
    EXPECT_EQ(pixel(10, 0), 88);
    EXPECT_EQ(pixel(300, 28), 88);
    EXPECT_EQ(pixel(10, 29), 38);

    fillScreen(50);
    std::memset(MainScreen.pixels + 239 * 320, 90, 320);
    FlarePyramid.zoomOriginY = 20000;
    drawZoomTrails();
    EXPECT_EQ(pixel(10, 179), 38);
    EXPECT_EQ(pixel(10, 180), 78);
    EXPECT_EQ(pixel(300, 239), 78);
}

TEST(FlarePyramidDraw, ClearsOnlyWithoutTheOverlayAndSkipsVerticesBelowFirstFlare)
{
    SmallPyramid pyramid;
    FlatFlare flare(10);
    const int corners[VertexCount][2] = {{20, 20}, {100, 20}, {20, 150}, {100, 150}};
    for (int i = 0; i < VertexCount; ++i) {
        pyramidMesh.screenX[i] = corners[i][0] * 256 + 128;
        pyramidMesh.screenY[i] = corners[i][1] * 256 + 255;
    }
    FlarePyramid.firstFlare = 2;

    fillScreen(7);
    SceneMask = FlarePyramidBit;
    drawFlarePyramid();
    EXPECT_EQ(pixel(25, 25), 0);
    EXPECT_EQ(pixel(105, 25), 0);
    EXPECT_EQ(pixel(25, 155), 10);
    EXPECT_EQ(pixel(131, 181), 10);
    EXPECT_EQ(pixel(132, 182), 0);
    EXPECT_EQ(pixel(300, 230), 0);

    fillScreen(7);
    SceneMask = FlarePyramidBit | ZoomTrailsBit;
    drawFlarePyramid();
    EXPECT_EQ(pixel(25, 25), 7);
    EXPECT_EQ(pixel(25, 155), 17);
    EXPECT_EQ(pixel(300, 230), 7);
}
