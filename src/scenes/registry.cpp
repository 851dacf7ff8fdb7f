#include "scenes/registry.h"

#include "core/show_state.h"
#include "scenes/attractor_glow.h"
#include "scenes/credits_iris.h"
#include "scenes/double_roto.h"
#include "scenes/flare_pyramid.h"
#include "scenes/flooding_logo.h"
#include "scenes/forest_calendar.h"
#include "scenes/greetings_clouds.h"
#include "scenes/jungle_zoom.h"
#include "scenes/mask_flash.h"
#include "scenes/rain.h"
#include "scenes/rising_waves.h"
#include "scenes/sand_reveal.h"
#include "scenes/scenes.h"
#include "scenes/spider_web.h"
#include "scenes/spinning_leaves.h"
#include "scenes/sun_rays.h"

#include <array>
#include <bit>

template <class State>
static constexpr SceneState stateOf(void (*reset)(), State& state)
{
    return {reset, &state, sizeof state};
}

static constexpr SceneBlocks Scenes[] = {
    {0x2000000, "credits iris", updateCreditsIris, drawCreditsIris, stateOf(resetCreditsIris, CreditsIris)},
    {0x2, "flare pyramid", updateFlarePyramid, drawFlarePyramid, stateOf(resetFlarePyramid, FlarePyramid)},
    {0x100000, "zoom trails", nullptr, drawZoomTrails, {}},
    {0x8, "jungle", updateJungle, drawJungle, stateOf(resetJungleZoom, JungleZoom)},
    {0x100, "forest with calendar", updateForestCalendar, drawForestCalendar, stateOf(resetForestCalendar, ForestCalendar)},
    {0x2000, "attractor glow", updateAttractor, drawAttractor, stateOf(resetAttractorGlow, AttractorGlow)},
    {0x10, "sand logo reveal", updateSandReveal, drawSandReveal, stateOf(resetSandReveal, SandReveal)},
    {0x80000, "spinning leaves", updateLeaves, drawLeaves, {}},
    {0x40, "spider web", updateSpiderWeb, drawSpiderWeb, stateOf(resetSpiderWeb, SpiderWeb)},
    {0x1000, "black interlude", nullptr, drawBlackInterlude, {}},
    {0x40000, "portrait", updatePortrait, drawPortrait, {}},
    {0x4000000, "rain", updateRain, drawRain, stateOf(resetRainOverLand, RainOverLand)},
    {0x400, "flooding logo", updateFlood, drawFlood, stateOf(resetFloodingLogo, FloodingLogo)},
    {0x4000, "flashing mask", updateMaskFlash, drawMaskFlash, stateOf(resetMaskFlash, MaskFlash)},
    {0x20000000, "rising waves", updateWaves, drawWaves, stateOf(resetRisingWaves, RisingWaves)},
    {0x800, "greetings", updateGreetingsClouds, drawGreetingsClouds, stateOf(resetGreetingsClouds, GreetingsClouds)},
    {0x8000000, "cloud flight", nullptr, drawCloudFlight, {}},
    {0x10000000, "spinning knot", updateKnot, drawKnot, {}},
    {0x20, "double rotozoom", updateRoto, drawRoto, stateOf(resetDoubleRoto, DoubleRoto)},
    {0x10000, "sun rays over water", updateSunRays, drawSunRays, stateOf(resetSunRays, SunRays)},
};

// Each scene by its bit number, so the frame finds a block with one lookup.
// Built at compile time: a scene without a single bit, or two scenes on one
// bit, stop the build.
static constexpr std::array<const SceneBlocks*, 32> indexByBitNumber()
{
    std::array<const SceneBlocks*, 32> index{};
    for (const SceneBlocks& scene : Scenes) {
        if (!std::has_single_bit(scene.bit) || index[std::countr_zero(scene.bit)])
            throw "every scene needs a bit of its own";
        index[std::countr_zero(scene.bit)] = &scene;
    }
    return index;
}

static constexpr std::array<const SceneBlocks*, 32> SceneByBitNumber = indexByBitNumber();

std::span<const SceneBlocks> allScenes()
{
    return Scenes;
}

const SceneBlocks* sceneForBit(uint32_t bit)
{
    return std::has_single_bit(bit) ? SceneByBitNumber[std::countr_zero(bit)] : nullptr;
}

std::string sceneMaskNames(uint32_t mask)
{
    std::string names;
    for (int bit = 0; bit < 32; ++bit) {
        const uint32_t sceneBit = uint32_t(1) << bit;
        const SceneBlocks* scene = sceneForBit(sceneBit);
        const char* name = scene ? scene->name : sceneBit == EndOfShow ? "end of the show" : nullptr;
        if ((mask & sceneBit) && name)
            names += (names.empty() ? "" : " + ") + std::string(name);
    }
    return names.empty() ? "blank" : names;
}

void buildSceneTables()
{
    buildSandLevels();
    buildWebPoints();
    buildSunSpot();
    buildRingBackground();
    buildDistanceMap();
}
