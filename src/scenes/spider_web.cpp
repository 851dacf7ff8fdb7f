// The spider web over the forest. Lines in colour 255 join the spiral points
// built at start-up: hub lines from the innermost points to the centre,
// spokes from each point to its neighbour one turn out, and the thread along
// the spiral, whose length runs out and back with the music. Every point
// sways with a four-second period, most at the hub. A flare glows at the
// thread's tip and a textured spider turns near the hub.
#include "scenes/spider_web.h"

#include "gfx2d/blit.h"
#include "gfx3d/mesh.h"
#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <algorithm>

int32_t webBaseX[WebCapacity];  // set at start-up, screen pixels; 104 used
int32_t webBaseY[WebCapacity];
int32_t webPointCount = 0;      // 104 from start-up on, points
SpiderWebState SpiderWeb;

void resetSpiderWeb()
{
    SpiderWeb = {};
    std::copy(webBaseX, webBaseX + WebCapacity, SpiderWeb.x);
    std::copy(webBaseY, webBaseY + WebCapacity, SpiderWeb.y);
    SpiderWeb.target = webPointCount;
}

namespace {

constexpr uint8_t Silk = 255;
constexpr int HubLines = 16;             // points 0..15 are joined to the centre
constexpr int SpokeSpan = 14;            // 14 x 288 angle steps: the neighbour one turn out
constexpr int32_t SwayRate = 40;         // angle steps per update step: a turn in 4.1 s
constexpr int32_t SpiderDepth = -51200;  // 8.8 eye depth, farther than the default
constexpr int32_t SpiderTilt = 1000;     // angleX, fixed
constexpr int32_t SpiderTurn = 50;       // angleZ steps per update step
constexpr int32_t SpiderLeft = 10;       // pixels the spider sits left of point 0
constexpr int32_t SpiderDepthClear = 100;
constexpr int32_t FlareHalf = 16;        // the flare is centred on the thread's tip

// The thread's target by show time (centiseconds after the scene's start,
// strict); the last stage
// reached wins, and before the first one the target keeps its value. A stage
// either retracts the thread or runs it to all points but `pointsLeftOut`.
struct ThreadStage {
    uint32_t after;
    bool retract;
    int32_t pointsLeftOut;
};

constexpr ThreadStage ThreadStages[] = {
    {200, true, 0},  {400, false, 0}, {600, true, 0},
    {800, false, 0}, {1000, true, 0}, {1200, false, 2},
};

void chooseThreadTarget(int32_t pointCount)
{
    for (const ThreadStage& stage : ThreadStages)
        if (DemoTime > sceneStart(SpiderWebBit) + stage.after)
            SpiderWeb.target = stage.retract ? 0 : pointCount - stage.pointsLeftOut;
}

// Point i of the spiral sways by sin x (1024 - 8 i) / 65536 px across and
// cos x (256 - i) / 65536 px down (about 4 px and 1 px at the hub end, fading
// outwards); the arithmetic shifts round towards minus infinity. The centre,
// the last point, sways like point 0.
void swayWeb(int32_t pointCount)
{
    const int32_t angle = (TickCount * SwayRate) & 4095;
    const int32_t sn = SineTable[angle];
    const int32_t cs = CosineTable[angle];
    const int32_t centre = pointCount - 1;
    for (int32_t i = 0; i < centre; ++i) {
        SpiderWeb.x[i] = webBaseX[i] + ((sn * (1024 - 8 * i)) >> 16);
        SpiderWeb.y[i] = webBaseY[i] + ((cs * (256 - i)) >> 16);
    }
    SpiderWeb.x[centre] = webBaseX[centre] + ((sn * 1024) >> 16);
    SpiderWeb.y[centre] = webBaseY[centre] + ((cs * 256) >> 16);
}

// One segment per step towards the target. The thread's tip (point SpiderWeb.reach)
// is held at the last point: a full-length target asks for one segment more
// than the points hold, and with short update steps the thread would get
// there and join the centre to an unused slot.
void moveThreadTip(int32_t pointCount)
{
    if (SpiderWeb.reach < SpiderWeb.target && SpiderWeb.reach < pointCount - 1)
        SpiderWeb.reach += 1;
    if (SpiderWeb.reach > SpiderWeb.target)
        SpiderWeb.reach -= 1;
}

void placeSpider()
{
    spiderMesh.centreX = (SpiderWeb.x[0] - SpiderLeft) * 256;
    spiderMesh.centreY = SpiderWeb.y[0] * 256;
    spiderMesh.cameraDepth = SpiderDepth;
    spiderMesh.angleX = SpiderTilt;
    spiderMesh.angleZ += SpiderTurn;
    transformMesh(spiderMesh);
}

void drawWebLine(int32_t from, int32_t to)
{
    drawLine(MainScreen, SpiderWeb.x[from], SpiderWeb.y[from], SpiderWeb.x[to], SpiderWeb.y[to], Silk);
}

void appendWebPoint(int32_t x, int32_t y)
{
    webBaseX[webPointCount] = x;
    webBaseY[webPointCount] = y;
    ++webPointCount;
}

}  // namespace

// 103 points on an outward spiral about the screen centre, one every 32
// steps of k (288 angle steps and 2 px of radius apart), from radius 13 px
// out to 217 px, then the hub. The shifts round towards minus infinity.
void buildWebPoints()
{
    webPointCount = 0;
    for (int32_t k = 0; k < 3300; ++k) {
        if ((k + 200) % 32 != 0)
            continue;
        const int32_t angle = (1800 + 9 * k) & 4095;
        const int32_t radius = 3000 + 16 * k;  // 8.8 pixels
        appendWebPoint(ScreenWidth / 2 + ((radius * CosineTable[angle]) >> 16),
                       ScreenHeight / 2 + ((radius * SineTable[angle]) >> 16));
    }
    appendWebPoint(ScreenWidth / 2, ScreenHeight / 2);
    resetSpiderWeb();
}

void updateSpiderWeb()
{
    const int32_t pointCount = webPointCount;
    chooseThreadTarget(pointCount);
    swayWeb(pointCount);
    moveThreadTip(pointCount);
    placeSpider();
}

void drawSpiderWeb()
{
    const int32_t centre = webPointCount - 1;
    drawPicture(forestPicture);
    for (int32_t i = 0; i < HubLines; ++i)
        drawWebLine(i, centre);
    for (int32_t i = 0; i + SpokeSpan < centre; ++i)
        drawWebLine(i, i + SpokeSpan);
    for (int32_t i = 0; i < SpiderWeb.reach; ++i)
        drawWebLine(i, i + 1);
    addPicture(flarePicture, SpiderWeb.x[SpiderWeb.reach] - FlareHalf, SpiderWeb.y[SpiderWeb.reach] - FlareHalf);
    clearDepth(MainScreen, SpiderDepthClear);
    drawMesh(spiderMesh);
}
