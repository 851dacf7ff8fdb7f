// Double rotozoom: the roto picture twice at once, each copy rotated,
// stretched and tiled across the screen, a fixed angle apart, averaged pixel
// by pixel. Every other row is redrawn per frame.
#include "scenes/double_roto.h"

#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

DoubleRotoState DoubleRoto;

void resetDoubleRoto()
{
    DoubleRoto = {};
}

void updateRoto()
{
    DoubleRoto.angleA = (TickCount * 32) & 4095;
    DoubleRoto.angleB = ((TickCount + 100) * 32) & 4095;
}

// Row n of this frame's rows (y = parity + 2n) sits 119 - 2n rows above the
// pivot row (8.8); a row pair shares its height. View A counts columns
// leftwards from the right edge, so its pivot is column 319; view B counts
// them (negative, 8.8) from column -1, just left of the screen.
constexpr int32_t TopRowY = (ScreenHeight / 2 - 1) * 256;  // 8.8 pixels
constexpr int32_t RowPairStep = 2 * 256;                    // 8.8 pixels

// Both views are shifted so that the picture's pixel (96, 129) sits on their
// pivot: the texel row gets 130, the texel column, which is subtracted, 160
// (130 * 256 - 160 = 129 * 256 + 96).
constexpr int32_t PivotRowShift = 130;
constexpr int32_t PivotColumnShift = 160;

// Both angles are multiples of 32, so they stay below 4095, the length of
// the quarter-cosine and sine copies.
//
// Each view rotates its (column, row) by its angle with cos / 4 and sin from
// the tables (products >> 8, so 8 fraction bits remain), wraps the result
// into the 256 x 256 picture (row * 256 - column, & 0xFFFF) and the pixel is
// the average of the two texels. The row terms are the same for the whole
// row.
void drawRoto()
{
    const int32_t cosA = CosineQuarter[DoubleRoto.angleA], sinA = SineCopy[DoubleRoto.angleA];
    const int32_t cosB = CosineQuarter[DoubleRoto.angleB], sinB = SineCopy[DoubleRoto.angleB];
    const uint8_t* roto = rotoPicture.pixels;
    const int32_t parity = TickCount & 1;
    for (int32_t n = 0; n < ScreenHeight / 2; ++n) {
        const int32_t rowY = TopRowY - RowPairStep * n;
        const int32_t rowA1 = (sinA * rowY) >> 8, rowA2 = (cosA * rowY) >> 8;
        const int32_t rowB1 = (cosB * rowY) >> 8, rowB2 = (sinB * rowY) >> 8;
        uint8_t* out = MainScreen.pixels + RowOffsets[parity + 2 * n];
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            const int32_t p = ScreenWidth - 1 - x;
            const int32_t px = -256 * (x + 1);
            const int32_t a1 = ((256 * p * cosA) >> 8) - rowA1;
            const int32_t a2 = rowA2 + ((256 * p * sinA) >> 8);
            const int32_t b1 = ((sinB * px) >> 8) - rowB1;
            const int32_t b2 = rowB2 + ((cosB * px) >> 8);
            const int32_t i1 = ((((a1 >> 8) + PivotRowShift) & 255) * 256 -
                                (((a2 >> 8) + PivotColumnShift) & 255)) & 0xFFFF;
            const int32_t i2 = ((((b2 >> 8) + PivotRowShift) & 255) * 256 -
                                (((b1 >> 8) + PivotColumnShift) & 255)) & 0xFFFF;
            out[x] = uint8_t((roto[i1] + roto[i2]) >> 1);
        }
    }
}
