// Pictures and lines drawn into the Screen's packed pixels.
#pragma once

#include "gfx2d/picture.h"

#include <cstdint>

// Opaque copy at the picture's own rectangle; stops below row 239.
void drawPicture(const Picture& picture);
// Additive copy with the top-left corner at (x, y), each sum clamped at the
// picture's limit, clipped to the screen.
void addPicture(const Picture& picture, int32_t x, int32_t y);
// Additive 32 x 32 sprite, clipped only by linear screen offset 641..76799.
void addSprite32(const Picture& picture, int32_t x, int32_t y);
// One-colour Bresenham line; the outermost row and column on every side are
// never plotted.
void drawLine(Screen& screen, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour);
