// The pyramid of flares: the pyramid mesh drops in from above and spins,
// each vertex drawn as an additive flare; the zoom trails overlay blurs,
// zooms and darkens the previous frame under the new flares.
#pragma once

#include <cstdint>

extern uint16_t flareStep;   // update steps taken by the scene
extern uint16_t firstFlare;  // lowest vertex index that gets a flare
extern uint8_t spinning;     // the spin about the x axis still runs
extern int32_t trailFade;    // taken off every pixel by the overlay
extern int32_t zoomOriginX;  // source position of screen pixel (0, 0) in the overlay
extern int32_t zoomOriginY;
