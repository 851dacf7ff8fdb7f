// The mask scene's state, shared with its tests.
#pragma once

#include <cstdint>

extern int32_t maskZoom;     // source step per screen pixel, 8.8 (256 = 1:1)
extern int32_t maskOriginX;  // source position of screen column 0, 24.8
extern int32_t maskOriginY;  // source position of screen row 0, 24.8
extern int32_t maskVisible;  // 1 during a flash, else 0
