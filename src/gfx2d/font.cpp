#include "gfx2d/font.h"

#include <algorithm>
#include <array>

void createFont(Font& font, const DataFile& sheet, Screen& screen, uint16_t cellWidth,
                uint16_t cellHeight)
{
    loadDataPicture(font.sheet, sheet, screen);
    font.sheetWidth = uint16_t(sheet.width);
    font.sheetHeight = uint16_t(sheet.minHeight);
    font.cellWidth = cellWidth;
    font.cellHeight = cellHeight;
}

// Codes 32..122 have cells; every other code is drawn as the space.
static int32_t cellIndex(uint8_t character)
{
    return character >= 32 && character <= 122 ? character - 32 : 0;
}

// Column within the cell that each of the 64 target columns reads:
// (4096 - 64 k) >> 8, from 16 (k = 0) down to 0 (k = 61..63), which mirrors
// the glyph.
static const std::array<uint8_t, 64> StampColumns = [] {
    std::array<uint8_t, 64> columns{};
    for (int32_t k = 0; k < 64; ++k)
        columns[size_t(k)] = uint8_t((4096 - 64 * k) >> 8);
    return columns;
}();

void stampGlyph(const Font& font, int32_t x, int32_t y, Picture& target, uint8_t character,
                uint8_t colour)
{
    constexpr int32_t TargetWidth = 256;
    const int32_t i = cellIndex(character);
    const int32_t cellX = (i & 15) * (font.cellWidth + 1);
    const int32_t cellY = (i >> 4) * (font.cellHeight + 1);
    const Picture& sheet = font.sheet;
    // 64 x 64 target pixels from a 16 x 16 patch of the sheet: target row j
    // reads sheet row cellY + j / 4, target column k the sheet column
    // cellX + StampColumns[k]. A sheet pixel is read as row * width + column,
    // so the last cell's right neighbour is the next row's first pixel, and
    // anything beyond the sheet's pixels is blank. Each sheet row gives one
    // row of ink for four target rows. Target writes outside the target's
    // pixels are dropped.
    for (int32_t sheetRow = 0; sheetRow < 16; ++sheetRow) {
        const int64_t sheetStart = int64_t(cellY + sheetRow) * sheet.width + cellX;
        bool columnInk[17];
        for (int32_t c = 0; c < 17; ++c)
            columnInk[c] = sheetStart + c < sheet.pixelCount && sheet.pixels[sheetStart + c] != 0;
        uint8_t inkMask[64];  // 0xFF where the target column has ink
        for (int32_t k = 0; k < 64; ++k)
            inkMask[k] = columnInk[StampColumns[size_t(k)]] ? 0xFF : 0;
        for (int32_t j = 4 * sheetRow; j < 4 * sheetRow + 4; ++j) {
            const int64_t targetRow = int64_t(y + j) * TargetWidth + x;
            const int64_t first = std::max<int64_t>(0, -targetRow);
            const int64_t end = std::min<int64_t>(64, int64_t(target.pixelCount) - targetRow);
            uint8_t* row = target.pixels + targetRow;
            if (first == 0 && end == 64) {
                // The whole row lies in the target: one masked blend.
                for (int32_t k = 0; k < 64; ++k)
                    row[k] = uint8_t((row[k] & ~inkMask[k]) | (colour & inkMask[k]));
            } else {
                for (int64_t k = first; k < end; ++k)
                    if (inkMask[k])
                        row[k] = colour;
            }
        }
    }
}
