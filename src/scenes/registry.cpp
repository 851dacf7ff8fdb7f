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
    {CreditsIrisBit, "credits iris", updateCreditsIris, drawCreditsIris, stateOf(resetCreditsIris, CreditsIris)},
    {FlarePyramidBit, "flare pyramid", updateFlarePyramid, drawFlarePyramid, stateOf(resetFlarePyramid, FlarePyramid)},
    {ZoomTrailsBit, "zoom trails", nullptr, drawZoomTrails, {}},
    {JungleBit, "jungle", updateJungle, drawJungle, stateOf(resetJungleZoom, JungleZoom)},
    {ForestCalendarBit, "forest with calendar", updateForestCalendar, drawForestCalendar, stateOf(resetForestCalendar, ForestCalendar)},
    {AttractorGlowBit, "attractor glow", updateAttractor, drawAttractor, stateOf(resetAttractorGlow, AttractorGlow)},
    {SandRevealBit, "sand logo reveal", updateSandReveal, drawSandReveal, stateOf(resetSandReveal, SandReveal)},
    {SpinningLeavesBit, "spinning leaves", updateLeaves, drawLeaves, {}},
    {SpiderWebBit, "spider web", updateSpiderWeb, drawSpiderWeb, stateOf(resetSpiderWeb, SpiderWeb)},
    {BlackInterludeBit, "black interlude", nullptr, drawBlackInterlude, {}},
    {PortraitBit, "portrait", updatePortrait, drawPortrait, {}},
    {RainBit, "rain", updateRain, drawRain, stateOf(resetRainOverLand, RainOverLand)},
    {FloodingLogoBit, "flooding logo", updateFlood, drawFlood, stateOf(resetFloodingLogo, FloodingLogo)},
    {MaskFlashBit, "flashing mask", updateMaskFlash, drawMaskFlash, stateOf(resetMaskFlash, MaskFlash)},
    {RisingWavesBit, "rising waves", updateWaves, drawWaves, stateOf(resetRisingWaves, RisingWaves)},
    {GreetingsBit, "greetings", updateGreetingsClouds, drawGreetingsClouds, stateOf(resetGreetingsClouds, GreetingsClouds)},
    {CloudFlightBit, "cloud flight", nullptr, drawCloudFlight, {}},
    {SpinningKnotBit, "spinning knot", updateKnot, drawKnot, {}},
    {DoubleRotoBit, "double rotozoom", updateRoto, drawRoto, stateOf(resetDoubleRoto, DoubleRoto)},
    {SunRaysBit, "sun rays over water", updateSunRays, drawSunRays, stateOf(resetSunRays, SunRays)},
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
    buildDistanceMap();
    buildRingBackground();  // from the distance map
}
