#pragma once

#include <cstdint>

extern int32_t waveBase;  // screen row of the water's mean level
