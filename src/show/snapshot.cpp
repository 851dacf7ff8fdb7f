#include "show/snapshot.h"

#include "assets/assets.h"
#include "core/random.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "objects/forest.h"
#include "objects/greetings.h"
#include "scenes/registry.h"
#include "scenes/sand_reveal.h"
#include "scenes/spinning_leaves.h"
#include "show/palette_switch.h"

#include <cstring>

namespace {

struct Region {
    void* data;
    size_t bytes;
};

template <class T>
Region regionOf(T& object)
{
    return {&object, sizeof object};
}

// A mesh's record and its last projection, which a draw may read long after
// it was made (the forest leaves a pair unprojected while it is out of view).
// The model's own arrays never change.
void addMesh(std::vector<Region>& regions, Mesh& mesh)
{
    const size_t vertexBytes = size_t(mesh.vertexCount) * sizeof(int32_t);
    regions.push_back(regionOf(mesh));
    regions.push_back({mesh.screenX, vertexBytes});
    regions.push_back({mesh.screenY, vertexBytes});
    regions.push_back({mesh.vertexDepth, vertexBytes});
    regions.push_back({mesh.faceArea, size_t(mesh.faceCount) * sizeof(int32_t)});
}

template <size_t N>
void addMeshes(std::vector<Region>& regions, Mesh (&meshes)[N])
{
    for (Mesh& mesh : meshes)
        addMesh(regions, mesh);
}

// What start-up leaves behind and the show then changes, scenes' own states
// aside.
std::vector<Region> sharedRegions()
{
    std::vector<Region> regions = {
        regionOf(DemoTime), regionOf(ShowStartTicks), regionOf(NextTickTime), regionOf(TickPeriod),
        regionOf(Paused), regionOf(TickCount), regionOf(LastSecond), regionOf(SecondChanged),
        regionOf(SceneMask), regionOf(FirstRender), regionOf(WorkBufferA), regionOf(WorkBufferB),
        regionOf(LastPaletteMask), regionOf(ShowRandom), regionOf(WhiteBufferA), regionOf(WhiteBufferB),
        regionOf(SceneGreetings), regionOf(MainScreen.depth), {MainScreen.pixels, ScreenPixels},
    };
    for (Mesh* mesh : {&pyramidMesh, &spiderMesh, &starMesh, &knotMesh})
        addMesh(regions, *mesh);
    // The pictures' records as loaded (the show only reads their pixels).
    for (Picture* picture :
         {&flarePicture, &cloud1Picture, &cloud2Picture, &cloud3Picture, &creditsPicture, &rotoPicture,
          &birdPicture, &lightningPicture, &landscapePicture, &heightMapPicture, &sandLogoPicture,
          &sandPicture, &knotTexture, &leafTexture, &maskPicture, &junglePicture, &portraitPicture,
          &starTexture, &forestPicture, &spiderTexture, &calendarTexture, &stoneBlockPicture,
          &backgroundPicture})
        regions.push_back(regionOf(*picture));
    addMeshes(regions, leafMeshes);
    addMeshes(regions, SceneForest.trunks);
    addMeshes(regions, SceneForest.leavesLeft);
    addMeshes(regions, SceneForest.leavesRight);
    for (int w = 0; w < SceneGreetings.wordCount; ++w) {
        GreetingWord& word = *SceneGreetings.words[w];
        regions.push_back(regionOf(word));
        for (int i = 0; i < word.length; ++i)
            addMesh(regions, word.letterCubes[i]);
    }
    return regions;
}

std::vector<Region> sceneRegions()
{
    std::vector<Region> regions;
    for (const SceneBlocks& scene : allScenes())
        if (scene.own.data)
            regions.push_back({scene.own.data, scene.own.bytes});
    return regions;
}

// The palette lives in SDL's surface; it goes back through SDL so that the
// display shows it too, as loadPalette installs one.
constexpr size_t PaletteBytes = 256 * sizeof(SDL_Color);

void copyPalette(uint8_t* to)
{
    const SDL_Palette* palette = MainScreen.surface->format->palette;
    std::memset(to, 0, PaletteBytes);
    std::memcpy(to, palette->colors, size_t(palette->ncolors) * sizeof(SDL_Color));
}

void installPalette(const uint8_t* from)
{
    SDL_Color colours[256];
    std::memcpy(colours, from, PaletteBytes);
    SDL_SetPalette(MainScreen.surface, SDL_LOGPAL | SDL_PHYSPAL, colours, 0, 256);
}

size_t totalBytes(const std::vector<Region>& regions)
{
    size_t total = 0;
    for (const Region& region : regions)
        total += region.bytes;
    return total;
}

void copyOut(const std::vector<Region>& regions, std::vector<uint8_t>& bytes)
{
    bytes.resize(totalBytes(regions) + PaletteBytes);
    uint8_t* to = bytes.data();
    for (const Region& region : regions) {
        std::memcpy(to, region.data, region.bytes);
        to += region.bytes;
    }
    copyPalette(to);
}

void copyIn(const std::vector<Region>& regions, const std::vector<uint8_t>& bytes)
{
    const uint8_t* from = bytes.data();
    for (const Region& region : regions) {
        std::memcpy(region.data, from, region.bytes);
        from += region.bytes;
    }
    installPalette(from);
}

std::vector<Region> allRegions()
{
    std::vector<Region> regions = sharedRegions();
    for (const Region& region : sceneRegions())
        regions.push_back(region);
    return regions;
}

// The regions are listed once, as start-up leaves the show: what a
// snapshot holds does not depend on anything changed later.
std::vector<Region> SharedAtStart;
std::vector<Region> AllAtStart;
ShowSnapshot StartOfShow;  // the shared regions as start-up leaves them

}  // namespace

void takeSnapshot(ShowSnapshot& snapshot)
{
    copyOut(AllAtStart, snapshot.bytes);
}

void restoreSnapshot(const ShowSnapshot& snapshot)
{
    copyIn(AllAtStart, snapshot.bytes);
}

void keepStartOfShow()
{
    SharedAtStart = sharedRegions();
    AllAtStart = allRegions();
    copyOut(SharedAtStart, StartOfShow.bytes);
}

bool startOfShowKept()
{
    return !StartOfShow.bytes.empty();
}

void resetShow()
{
    copyIn(SharedAtStart, StartOfShow.bytes);
    for (const SceneBlocks& scene : allScenes())
        if (scene.own.reset)
            scene.own.reset();
}
