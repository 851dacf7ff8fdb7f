#pragma once

#include <cstdint>

extern int32_t rotoAngleA;  // table index of the first view's rotation
extern int32_t rotoAngleB;  // the second view's, 3200 steps further round
