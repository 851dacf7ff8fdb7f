#include "gfx2d/font.h"

void createFont(Font&, const char*, Screen&, uint16_t, uint16_t, uint16_t, uint16_t) {}
void stampGlyph(const Font&, int32_t, int32_t, Picture&, uint8_t, uint8_t) {}
