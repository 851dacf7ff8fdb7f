#include "show/load.h"

#include "assets/assets.h"
#include "scenes/spinning_leaves.h"

#include "objects/forest.h"
#include "core/palette.h"
#include "core/screen.h"
#include "gfx2d/byte_words.h"

#include <cstdint>

namespace {

// What a row of the data table becomes at start-up: a picture, a mesh with
// its texture, a palette installed into a run of slots, or the work of a
// loader of its own. `placed` then sets a loaded mesh's own placement.
struct LoadStep {
    const DataFile* file;
    Picture* picture = nullptr;
    Mesh* mesh = nullptr;
    Picture* texture = nullptr;
    uint16_t paletteCount = 256;
    uint16_t paletteSlot = 0;
    void (*placed)() = nullptr;
    void (*loader)() = nullptr;
};

void placeKnot()
{
    knotMesh.cameraDepth = -30720;
    knotMesh.edgeSlopeLimit = 0;
}

void placePyramid()
{
    pyramidMesh.cameraDepth = -12800;
    pyramidMesh.centreX = 130 * 256;
}

void loadLeafMeshes()
{
    loadLeaves(leafTexture);
}

// The forest reads its own palette, pictures and meshes, from its first row on.
void loadForest()
{
    createForest(SceneForest);
}

// Rows without a step are read elsewhere: the forest's files after its first
// by the forest, the font and the letter cube by the greetings, the scenes'
// palettes when their scenes start, and the music by the mixer.
const LoadStep Steps[] = {
    {&dataFile("data/flare"), &flarePicture},
    {&dataFile("data/cloud1"), &cloud1Picture},
    {&dataFile("data/cloud2"), &cloud2Picture},
    {&dataFile("data/cloud3"), &cloud3Picture},
    {&dataFile("data/credits"), &creditsPicture},
    {&dataFile("data/roto"), &rotoPicture},
    {&dataFile("data/bird"), &birdPicture},
    {&dataFile("data/lightning"), &lightningPicture},
    {&dataFile("data/rainsky.pal")},
    {&dataFile("data/maasto"), &landscapePicture},
    {&dataFile("data/logo.pal")},
    {&dataFile("data/heightmap"), &heightMapPicture},
    {&dataFile("data/hiekkalogo"), &sandLogoPicture},
    {.file = &dataFile("data/sand.pal"), .paletteCount = 128, .paletteSlot = 128},
    {&dataFile("data/sand"), &sandPicture},
    {&dataFile("data/knot.pal")},
    {&dataFile("data/knot"), &knotTexture},
    {.file = &dataFile("data/knot.ob"), .mesh = &knotMesh, .texture = &knotTexture, .placed = placeKnot},
    {&dataFile("data/lehti.pal")},
    {&dataFile("data/lehti"), &leafTexture},
    {.file = &dataFile("data/lehti.ob"), .loader = loadLeafMeshes},
    {&dataFile("data/mask1.pal")},
    {&dataFile("data/mask"), &maskPicture},
    {&dataFile("data/jungle2.pal")},
    {&dataFile("data/jungle"), &junglePicture},
    {&dataFile("data/girl.pal")},
    {&dataFile("data/girl"), &portraitPicture},
    {&dataFile("data/stara"), &starTexture},
    {.file = &dataFile("data/stara.ob"), .mesh = &starMesh, .texture = &starTexture},
    {&dataFile("data/forest.pal")},
    {&dataFile("data/forest"), &forestPicture},
    {&dataFile("data/spidey"), &spiderTexture},
    {.file = &dataFile("data/spidey.ob"), .mesh = &spiderMesh, .texture = &spiderTexture},
    {&dataFile("data/junkka.pal")},
    {&dataFile("data/calendar"), &calendarTexture},
    {&dataFile("data/cube.pal")},
    {&dataFile("data/stoneblock"), &stoneBlockPicture},
    {.file = &dataFile("data/calendar.ob"), .mesh = &calendarMesh, .texture = &calendarTexture},
    // The pyramid shows only its vertices as flares; its texture is never read.
    {.file = &dataFile("data/pyramid.ob"), .mesh = &pyramidMesh, .texture = &forestPicture,
     .placed = placePyramid},
    {.file = &dataFile("data/puut"), .loader = loadForest},
    {&dataFile("data/tausta"), &backgroundPicture},
};

const LoadStep* stepFor(const DataFile& file)
{
    for (const LoadStep& step : Steps)
        if (step.file == &file)
            return &step;
    return nullptr;
}

// Pictures are loaded with their row's checks: every reader addresses them
// with a fixed row stride, so the shape is checked along with the size.
void load(const LoadStep& step)
{
    const DataFile& file = *step.file;
    if (step.loader)
        step.loader();
    else if (file.kind == DataKind::Palette)
        loadPalette(MainScreen, file.path, 0, step.paletteCount, step.paletteSlot);
    else if (file.kind == DataKind::Mesh)
        loadDataMesh(*step.mesh, file, *step.texture, MainScreen);
    else
        loadDataPicture(*step.picture, file, MainScreen);
    if (step.placed)
        step.placed();
}

}  // namespace

void loadAssets()
{
    for (const DataFile& file : DataFiles)
        if (const LoadStep* step = stepFor(file))
            load(*step);
}

void installStartPalette()
{
    loadPalette(MainScreen, dataFile("data/cube.pal").path, 0, 256, 0);
}

// Four pixels a step as one 32-bit word where the pixels are word aligned
// (as they are allocated): shifting the word moves three bits of each byte
// into the byte below, which the mask clears, in either byte order. An ARM9
// spends a fifth of the byte-by-byte loop's instructions.
static void darkenCloud(Picture& picture)
{
    constexpr int32_t Pixels = 65536;
    uint8_t* const pixels = picture.pixels;
    int32_t i = 0;
    if ((reinterpret_cast<uintptr_t>(pixels) & 3) == 0)
        for (; i < Pixels; i += 4)
            storeWord(pixels + i, (loadWord(pixels + i) >> 3) & 0x1F1F1F1Fu);
    for (; i < Pixels; ++i)
        pixels[i] >>= 3;
}

void darkenClouds()
{
    darkenCloud(cloud1Picture);
    darkenCloud(cloud2Picture);
    darkenCloud(cloud3Picture);
}
