#include "scenes/registry.h"

#include "scenes/scenes.h"

static const SceneBlocks Scenes[] = {
    {0x2000000, "credits iris", updateCreditsIris, drawCreditsIris},
    {0x2, "flare pyramid", updateFlarePyramid, drawFlarePyramid},
    {0x100000, "zoom trails", nullptr, drawZoomTrails},
    {0x8, "jungle", updateJungle, drawJungle},
    {0x100, "forest with calendar", updateForestCalendar, drawForestCalendar},
    {0x2000, "attractor glow", updateAttractor, drawAttractor},
    {0x10, "sand logo reveal", updateSandReveal, drawSandReveal},
    {0x80000, "spinning leaves", updateLeaves, drawLeaves},
    {0x40, "spider web", updateSpiderWeb, drawSpiderWeb},
    {0x1000, "black interlude", nullptr, drawBlackInterlude},
    {0x40000, "portrait", updatePortrait, drawPortrait},
    {0x4000000, "rain", updateRain, drawRain},
    {0x400, "flooding logo", updateFlood, drawFlood},
    {0x4000, "flashing mask", updateMaskFlash, drawMaskFlash},
    {0x20000000, "rising waves", updateWaves, drawWaves},
    {0x800, "greetings", updateGreetingsClouds, drawGreetingsClouds},
    {0x8000000, "cloud flight", nullptr, drawCloudFlight},
    {0x10000000, "spinning knot", updateKnot, drawKnot},
    {0x20, "double rotozoom", updateRoto, drawRoto},
    {0x10000, "sun rays over water", updateSunRays, drawSunRays},
};

const SceneBlocks* sceneForBit(uint32_t bit)
{
    for (const SceneBlocks& scene : Scenes)
        if (scene.bit == bit)
            return &scene;
    return nullptr;
}
