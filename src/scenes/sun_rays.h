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
extern uint8_t cloudSum[76800];   // cloud brightness per sky pixel, rows 0..179

// Two ways to the light less the clouds (and the cloud sums), and two to the
// sky, the same bytes either way with a fade of 0 or more: plainly, loops a
// vector unit takes many pixels at a time, and by words, four pixels in one
// 32-bit word where there is none (an ARM9). drawSunRays takes the one that
// suits the target.
void subtractCloudsPlainly(int32_t frame, int32_t fade);
void subtractCloudsByWords(int32_t frame, int32_t fade);
void drawSkyPlainly(int32_t fade);
void drawSkyByWords(int32_t fade);
// The light enlarged from B into A and blurred there, two ways to the same
// bytes: apart, the enlargement and then the blur in passes of their own
// (which a vector unit takes many pixels at a time), and together, in one
// pass that reads the pixels not yet blurred straight from B.
void enlargeAndBlurLightApart();
void enlargeAndBlurLightTogether();

// The sun disc, built once before the music starts.
void buildSunSpot();
