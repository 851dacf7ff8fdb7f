#include "gfx2d/font.h"

void createFont(Font& font, const char* path, Screen& screen, uint16_t sheetWidth,
                uint16_t sheetHeight, uint16_t cellWidth, uint16_t cellHeight)
{
    loadPicture(font.sheet, path, screen, 0, true);
    font.sheetWidth = sheetWidth;
    font.sheetHeight = sheetHeight;
    font.cellWidth = cellWidth;
    font.cellHeight = cellHeight;
}

// Codes 32..122 have cells; every other code is drawn as the space.
static int32_t cellIndex(uint8_t character)
{
    return character >= 32 && character <= 122 ? character - 32 : 0;
}

// Ink test of one sheet pixel; anything beyond the sheet's pixels (cells below
// its last row, or the last cell's right neighbour on the last row) is blank.
static bool hasInk(const Picture& sheet, int32_t column, int32_t row)
{
    const int64_t index = int64_t(row) * sheet.width + column;
    return index < sheet.pixelCount && sheet.pixels[index] != 0;
}

void stampGlyph(const Font& font, int32_t x, int32_t y, Picture& target, uint8_t character,
                uint8_t colour)
{
    constexpr int32_t TargetWidth = 256;
    const int32_t i = cellIndex(character);
    const int32_t cellX = (i & 15) * (font.cellWidth + 1);
    const int32_t cellY = (i >> 4) * (font.cellHeight + 1);
    // 64 x 64 target pixels from a 16 x 16 patch of the sheet: sheet row
    // cellY + j / 4, sheet column cellX + (4096 - 64 k) >> 8, which runs from
    // column 16 (k = 0) down to column 0 (k = 61..63) and so mirrors the glyph.
    // Target writes outside the target's pixels are dropped.
    for (int32_t j = 0; j < 64; ++j) {
        const int32_t sheetRow = cellY + ((j * 64) >> 8);
        const int64_t targetRow = int64_t(y + j) * TargetWidth + x;
        for (int32_t k = 0; k < 64; ++k) {
            const int64_t t = targetRow + k;
            if (hasInk(font.sheet, cellX + ((4096 - 64 * k) >> 8), sheetRow) && t >= 0 &&
                t < target.pixelCount)
                target.pixels[t] = colour;
        }
    }
}
