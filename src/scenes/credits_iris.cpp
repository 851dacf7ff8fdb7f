// The opening credits: four 320 x 128 panels of the credits picture, each
// shown through a circular iris that opens from the screen centre and closes
// again, then a disc of colour 0 that grows over the whole screen.
#include "scenes/credits_iris.h"

#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <cstring>

int32_t DistanceMap[76800];  // set at start-up, whole pixels (0..200)
CreditsIrisState CreditsIris;

void resetCreditsIris()
{
    CreditsIris = {};
}

namespace {

constexpr int32_t IrisOpen = 320;  // wider than the farthest corner (200 px)
constexpr uint8_t Backdrop = 1;    // colour outside the iris
constexpr uint8_t Curtain = 0;     // colour of the closing disc
constexpr int PanelTopRow = 56;    // the panel band is screen rows 56..183
constexpr int PanelRows = 128;
constexpr uint32_t PanelPixels = 320 * PanelRows;
constexpr uint32_t ClosingDisc = 5;

// From `after` (centiseconds after the scene's start, strict) on, the iris eases towards `target`
// with `panel` behind it; later stages win. Before the first stage the iris
// is shut on a blank screen.
struct IrisStage {
    uint32_t after;
    int32_t target;
    uint32_t panel;
};

constexpr IrisStage IrisStages[] = {
    {150, IrisOpen, 1},  {450, 0, 1},  {650, IrisOpen, 2},  {950, 0, 2},
    {1150, IrisOpen, 3}, {1450, 0, 3}, {1650, IrisOpen, 4}, {1950, 0, 4},
    {2150, IrisOpen, ClosingDisc},
};

void chooseIrisStage(uint32_t time)
{
    CreditsIris.target = 0;
    CreditsIris.panel = 0;
    for (const IrisStage& stage : IrisStages)
        if (time > sceneStart(CreditsIrisBit) + stage.after) {
            CreditsIris.target = stage.target;
            CreditsIris.panel = stage.panel;
        }
}

// Opening adds an eighth of the remaining distance (rounded down, so it
// settles up to 7 px short of the target); closing takes a quarter of the
// radius and snaps shut below 4 px, where a quarter would round to nothing.
void easeIrisRadius()
{
    if (CreditsIris.radius < CreditsIris.target)
        CreditsIris.radius += (CreditsIris.target - CreditsIris.radius) >> 3;
    if (CreditsIris.radius > CreditsIris.target)
        CreditsIris.radius -= CreditsIris.radius >> 2;
    if (CreditsIris.target == 0 && CreditsIris.radius < 4)
        CreditsIris.radius = 0;
}

// Panel band: inside the iris (distance strictly below the radius) the
// panel's pixel at the same place in the band, outside it the backdrop.
// Rows above and below the band keep whatever they hold.
void drawPanelThroughIris(uint32_t panel)
{
    const uint8_t* source = creditsPicture.pixels + PanelPixels * (panel - 1);
    for (int y = PanelTopRow; y < PanelTopRow + PanelRows; ++y) {
        const int32_t row = RowOffsets[y];
        uint8_t* dest = MainScreen.pixels + row;
        const int32_t* distance = DistanceMap + row;
        for (int x = 0; x < ScreenWidth; ++x)
            dest[x] = distance[x] < CreditsIris.radius ? source[x] : Backdrop;
        source += ScreenWidth;
    }
}

// Whole screen: the curtain colour inside the disc, the backdrop outside.
void drawCurtainDisc()
{
    uint8_t* dest = MainScreen.pixels;
    for (int p = 0; p < ScreenPixels; ++p)
        dest[p] = DistanceMap[p] < CreditsIris.radius ? Curtain : Backdrop;
}

}  // namespace

void buildDistanceMap()
{
    walkPixelDistances(ScreenWidth / 2, ScreenHeight / 2,
                       [](int32_t p, uint32_t d) { DistanceMap[p] = int32_t(d); });
}

void updateCreditsIris()
{
    if (CreditsIris.firstStep) {
        std::memset(MainScreen.pixels, Backdrop, ScreenPixels);
        CreditsIris.firstStep = 0;
    }
    chooseIrisStage(DemoTime);
    easeIrisRadius();
}

// Before the first panel the radius is 0, so the disc drawing paints the
// whole screen in the backdrop colour.
void drawCreditsIris()
{
    if (CreditsIris.panel >= 1 && CreditsIris.panel <= 4)
        drawPanelThroughIris(CreditsIris.panel);
    else
        drawCurtainDisc();
}
