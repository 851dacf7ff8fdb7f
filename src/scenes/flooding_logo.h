// The flood's state, shared with its tests.
#pragma once

#include <cstdint>

extern int32_t waterLevel;          // mean surface, rises 1 per update step
extern int32_t waterTable[76800];   // surface height per screen pixel
