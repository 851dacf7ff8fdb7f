#include "gfx2d/blit.h"

void drawPicture(const Picture&) {}
void addPicture(const Picture&, int32_t, int32_t) {}
void addSprite32(const Picture&, int32_t, int32_t) {}
void drawLine(Screen&, int32_t, int32_t, int32_t, int32_t, uint8_t) {}
