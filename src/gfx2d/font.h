// The bitmap font sheet and the records of the greeting words.
#pragma once

#include "gfx2d/picture.h"

#include <cstdint>

struct Font {
    uint16_t sheetWidth;   // the row's width, 256; not read by the stamp
    uint16_t sheetHeight;  // the row's least height, 64; not read by the stamp
    uint16_t cellWidth;    // glyph width, 15
    uint16_t cellHeight;   // glyph height, 15
    Picture sheet;         // grayscale; 0 is no ink
};

// Loads the sheet with its data row's checks: at least as wide and tall as
// the row says, so every cell the show stamps lies inside it.
void createFont(Font& font, const DataFile& sheet, Screen& screen, uint16_t cellWidth,
                uint16_t cellHeight);

// Stamps `character` 4x enlarged and mirrored left to right as a 64 x 64
// block at (x, y) of a 256-pixel-wide target, in `colour` wherever the sheet
// has ink. Reads outside the sheet count as no ink.
void stampGlyph(const Font& font, int32_t x, int32_t y, Picture& target, uint8_t character,
                uint8_t colour);
