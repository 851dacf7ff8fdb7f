// The greetings over drifting storm clouds with lightning.
#pragma once

#include <cstdint>

extern int32_t cloudShift1;  // columns the near cloud layer has drifted
extern int32_t cloudShift2;
extern int32_t cloudShift3;
extern int32_t cloudBase;    // colour added to the cloud sum: 128, 140 in a flicker
extern int32_t flashShift;   // columns the lightning is moved right
extern uint8_t flashOn;      // 1 while a lightning window is open
