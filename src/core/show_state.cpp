#include "core/show_state.h"

uint32_t DemoTime = 0;
uint32_t ShowStartTicks = 0;
uint32_t NextTickTime = 0;
int32_t TickPeriod = 40;
uint8_t Paused = 0;
int32_t TickCount = 0;
uint32_t LastSecond = 0;
uint8_t SecondChanged = 0;
uint32_t SceneMask = BlankStart;
uint8_t FirstRender = 1;

uint8_t WorkBufferA[76800];
uint8_t WorkBufferB[76800];
