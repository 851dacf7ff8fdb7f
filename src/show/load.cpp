#include "show/load.h"

#include "assets/assets.h"
#include "scenes/spinning_leaves.h"

#include "objects/forest.h"
#include "core/palette.h"
#include "core/screen.h"

#include <cstdlib>

// Loads a picture of the data table. Every reader addresses pictures with a
// fixed row stride, so the table's shape is checked along with the size.
static void picture(Picture& picture, const DataFile& file)
{
    loadDataPicture(picture, file, MainScreen);
}

static void palette(const char* path, uint16_t count = 256, uint16_t firstSlot = 0)
{
    loadPalette(MainScreen, path, 0, count, firstSlot);
}

void loadAssets()
{
    picture(flarePicture, dataFile("data/flare"));
    picture(cloud1Picture, dataFile("data/cloud1"));
    picture(cloud2Picture, dataFile("data/cloud2"));
    picture(cloud3Picture, dataFile("data/cloud3"));
    picture(creditsPicture, dataFile("data/credits"));
    picture(rotoPicture, dataFile("data/roto"));
    picture(birdPicture, dataFile("data/bird"));
    picture(lightningPicture, dataFile("data/lightning"));
    palette(dataFile("data/rainsky.pal").path);
    picture(landscapePicture, dataFile("data/maasto"));
    palette(dataFile("data/logo.pal").path);
    picture(heightMapPicture, dataFile("data/heightmap"));
    picture(sandLogoPicture, dataFile("data/hiekkalogo"));
    palette(dataFile("data/sand.pal").path, 128, 128);
    picture(sandPicture, dataFile("data/sand"));
    palette(dataFile("data/knot.pal").path);
    picture(knotTexture, dataFile("data/knot"));
    loadDataMesh(knotMesh, dataFile("data/knot.ob"), knotTexture, MainScreen);
    knotMesh.cameraDepth = -30720;
    knotMesh.edgeSlopeLimit = 0;
    palette(dataFile("data/lehti.pal").path);
    picture(leafTexture, dataFile("data/lehti"));
    loadLeaves(leafTexture);
    palette(dataFile("data/mask1.pal").path);
    picture(maskPicture, dataFile("data/mask"));
    palette(dataFile("data/jungle2.pal").path);
    picture(junglePicture, dataFile("data/jungle"));
    palette(dataFile("data/girl.pal").path);
    picture(portraitPicture, dataFile("data/girl"));
    picture(starTexture, dataFile("data/stara"));
    loadDataMesh(starMesh, dataFile("data/stara.ob"), starTexture, MainScreen);
    palette(dataFile("data/forest.pal").path);
    picture(forestPicture, dataFile("data/forest"));
    picture(spiderTexture, dataFile("data/spidey"));
    loadDataMesh(spiderMesh, dataFile("data/spidey.ob"), spiderTexture, MainScreen);
    palette(dataFile("data/junkka.pal").path);
    picture(calendarTexture, dataFile("data/calendar"));
    palette(dataFile("data/cube.pal").path);
    picture(stoneBlockPicture, dataFile("data/stoneblock"));
    loadDataMesh(calendarMesh, dataFile("data/calendar.ob"), calendarTexture, MainScreen);
    // The pyramid shows only its vertices as flares; its texture is never read.
    loadDataMesh(pyramidMesh, dataFile("data/pyramid.ob"), forestPicture, MainScreen);
    pyramidMesh.cameraDepth = -12800;
    pyramidMesh.centreX = 130 * 256;
    createForest(SceneForest);
    picture(backgroundPicture, dataFile("data/tausta"));
}

void installStartPalette()
{
    palette(dataFile("data/cube.pal").path);
}

void darkenClouds()
{
    for (int i = 0; i < 65536; ++i) {
        cloud1Picture.pixels[i] >>= 3;
        cloud2Picture.pixels[i] >>= 3;
        cloud3Picture.pixels[i] >>= 3;
    }
}
