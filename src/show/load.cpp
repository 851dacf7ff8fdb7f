#include "show/load.h"

#include "assets/assets.h"
#include "scenes/spinning_leaves.h"

#include "objects/forest.h"
#include "core/palette.h"
#include "core/screen.h"

#include <cstdlib>

constexpr bool Grayscale = true;
constexpr bool Converted = false;
constexpr int AnyHeight = 0xFFFF;

// Loads a picture and refuses one whose shape its scene cannot address: every
// reader uses a fixed row stride and reads at least minHeight rows.
static void loadShaped(Picture& picture, const char* path, int32_t expectedSize, bool grayscale,
                       int width, int minHeight, int maxHeight = AnyHeight)
{
    loadPicture(picture, path, MainScreen, expectedSize, grayscale);
    requirePictureShape(picture, path, width, minHeight, maxHeight);
}

static void loadTexture(Picture& picture, const char* path, int32_t expectedSize)
{
    loadShaped(picture, path, expectedSize, Converted, 256, 256);
}

static void palette(const char* path, uint16_t count = 256, uint16_t firstSlot = 0)
{
    loadPalette(MainScreen, path, 0, count, firstSlot);
}

void loadAssets()
{
    loadShaped(flarePicture, "data/flare", 494, Grayscale, 32, 32);
    loadShaped(cloud1Picture, "data/cloud1", 27248, Grayscale, 256, 256);
    loadShaped(cloud2Picture, "data/cloud2", 24607, Grayscale, 256, 256);
    loadShaped(cloud3Picture, "data/cloud3", 23988, Grayscale, 256, 256);
    loadShaped(creditsPicture, "data/credits", 22384, Grayscale, 320, 512);
    loadShaped(rotoPicture, "data/roto", 41675, Grayscale, 256, 256);
    loadShaped(birdPicture, "data/bird", 666, Grayscale, 192, 32);
    loadShaped(lightningPicture, "data/lightning", 2170, Grayscale, 256, 192);
    palette("data/rainsky.pal");
    loadShaped(landscapePicture, "data/maasto", 13913, Converted, 320, 240);
    palette("data/logo.pal");
    loadShaped(heightMapPicture, "data/heightmap", 12926, Grayscale, 320, 240);
    loadShaped(sandLogoPicture, "data/hiekkalogo", 14334, Converted, 320, 240);
    palette("data/sand.pal", 128, 128);
    loadShaped(sandPicture, "data/sand", 61479, Converted, 320, 240);
    palette("data/knot.pal");
    loadTexture(knotTexture, "data/knot", 10910);
    loadMesh(knotMesh, "data/knot.ob", knotTexture, MainScreen, 72, 144, 304);
    knotMesh.cameraDepth = -30720;
    knotMesh.edgeSlopeLimit = 0;
    palette("data/lehti.pal");
    loadTexture(leafTexture, "data/lehti", 18234);
    loadLeaves(leafTexture);
    palette("data/mask1.pal");
    loadShaped(maskPicture, "data/mask", 26316, Converted, 320, 240);
    palette("data/jungle2.pal");
    loadShaped(junglePicture, "data/jungle", 47107, Converted, 684, 248);
    palette("data/girl.pal");
    loadShaped(portraitPicture, "data/girl", 0, Converted, 320, 240, 240);
    loadTexture(starTexture, "data/stara", 0);
    loadMesh(starMesh, "data/stara.ob", starTexture, MainScreen, 160, 320, 386);
    palette("data/forest.pal");
    loadShaped(forestPicture, "data/forest", 33883, Converted, 320, 240);
    loadTexture(spiderTexture, "data/spidey", 5018);
    loadMesh(spiderMesh, "data/spidey.ob", spiderTexture, MainScreen, 140, 276, 396);
    palette("data/junkka.pal");
    loadTexture(calendarTexture, "data/calendar", 13461);
    palette("data/cube.pal");
    loadTexture(stoneBlockPicture, "data/stoneblock", 22074);
    loadMesh(calendarMesh, "data/calendar.ob", calendarTexture, MainScreen, 30, 56, 66);
    // The pyramid shows only its vertices as flares; its texture is never read.
    loadMesh(pyramidMesh, "data/pyramid.ob", forestPicture, MainScreen, 41, 56, 46);
    pyramidMesh.cameraDepth = -12800;
    pyramidMesh.centreX = 130 * 256;
    createForest(SceneForest);
    loadShaped(backgroundPicture, "data/tausta", 29000, Grayscale, 320, 240);
}

void installStartPalette()
{
    palette("data/cube.pal");
}

void darkenClouds()
{
    for (int i = 0; i < 65536; ++i) {
        cloud1Picture.pixels[i] >>= 3;
        cloud2Picture.pixels[i] >>= 3;
        cloud3Picture.pixels[i] >>= 3;
    }
}
