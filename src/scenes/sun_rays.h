#pragma once

#include <cstdint>

extern int32_t cloudSum[76800];  // cloud brightness per sky pixel, rows 0..179
extern int32_t sunFade;          // subtracted from every output value
extern uint8_t sunStampPending;  // 1 until the first update step whitens the light
