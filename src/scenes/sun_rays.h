#pragma once

#include <cstdint>

constexpr int32_t BirdCount = 5;
constexpr int32_t BirdY[BirdCount] = {50, 60, 75, 99, 90};  // screen row of each bird's top
struct SunRaysState {
    // Screen column of each bird's left edge; +1 per update step.
    int32_t birdX[BirdCount] = {-300, -240, -255, -230, -210};
    int32_t fade = 0;          // taken off every output value; +1 per update step from the fade cue
    uint8_t stampPending = 1;  // flag: set until the first update step whitens the light
};
extern SunRaysState SunRays;

// Back to the start values above.
void resetSunRays();
extern uint8_t SpotMask[76800];   // the sun disc: 255 inside radius 40 around (220, 80)
extern int32_t cloudSum[76800];  // cloud brightness per sky pixel, rows 0..179

// The sun disc, built once before the music starts.
void buildSunSpot();
