#pragma once

#include <cstdint>

constexpr int32_t BirdCount = 5;
extern int32_t BirdX[BirdCount];  // screen column of each bird's left edge
extern int32_t BirdY[BirdCount];  // screen row of each bird's top
extern uint8_t SpotMask[76800];   // the sun disc: 255 inside radius 40 around (220, 80)
extern int32_t cloudSum[76800];  // cloud brightness per sky pixel, rows 0..179
extern int32_t sunFade;          // subtracted from every output value
extern uint8_t sunStampPending;  // 1 until the first update step whitens the light

// The sun disc, built once before the music starts.
void buildSunSpot();
