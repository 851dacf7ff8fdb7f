#include "gfx3d/raster.h"

#include "gfx3d/face.h"
#include "core/tables.h"

#include <algorithm>
#include <cstring>

// Change of x (24.8) per screen row from a to b, truncated toward zero; 0 for
// a flat edge. The height can only be negative when the y values lie more than
// 2^31 apart and wrap; dividing by -1 then wraps like the rest of the
// arithmetic instead of trapping.
static int32_t slopeBetween(const Corner& a, const Corner& b)
{
    const int32_t dy = b.y - a.y;
    const int32_t dx = shiftLeft8(b.x - a.x);
    if (dy == 0)
        return 0;
    if (dy == -1)
        return int32_t(0u - uint32_t(dx));
    return dx / dy;
}

// What every row of one face needs. Row and column bounds are the mesh's clip
// settings intersected with the screen, so no setting can address memory
// outside it.
struct FlatContext {
    uint8_t* pixels;
    uint8_t colour;
    int64_t top, bottom;        // 24.8: inclusive top, exclusive bottom on y
    int32_t firstRow, lastRow;  // pixel rows, inclusive
    int32_t firstColumn, lastColumn;
};

// Fills the row at y from the nearer to the farther of xa and xb (24.8),
// both ends included, after clipping to the context's columns.
static void fillRow(const FlatContext& face, int32_t y, int32_t xa, int32_t xb)
{
    const int32_t row = y >> 8;
    if (row < face.firstRow || row > face.lastRow)
        return;
    const int32_t left = std::max(std::min(xa, xb) >> 8, face.firstColumn);
    const int32_t right = std::min(std::max(xa, xb) >> 8, face.lastColumn);
    if (left > right)
        return;
    std::memset(face.pixels + RowOffsets[row] + left, face.colour, size_t(right - left + 1));
}

// Rows y = yStart + 256 k for y <= yEnd (inclusive), restricted to the clip.
struct RowRange {
    int64_t first, end;  // k from first up to end - 1
};

static RowRange rowsOfPart(const FlatContext& face, int32_t yStart, int32_t yEnd)
{
    const auto samplesBelow = [yStart](int64_t limit) -> int64_t {
        return limit > yStart ? (limit - yStart + 255) / 256 : 0;
    };
    const int64_t steps = samplesBelow(int64_t(yEnd) + 1);
    const int64_t first = std::min(steps, samplesBelow(face.top));
    return {first, std::max(first, std::min(steps, samplesBelow(face.bottom)))};
}

// Edge positions are recomputed from a corner on every row, a 32-bit product
// of the rows walked (24.8) and the slope, shifted back by 8; nothing is
// accumulated. The upper part runs from T to M, the lower part restarts at M
// and runs to B, both ends inclusive, so the row at M may be filled twice.
static void drawFlatFace(const FlatContext& face, const Corner (&c)[3])
{
    const Corner& top = c[0];
    const Corner& middle = c[1];
    const Corner& bottom = c[2];
    const int32_t slopeTM = slopeBetween(top, middle);
    const int32_t slopeMB = slopeBetween(middle, bottom);
    const int32_t slopeTB = slopeBetween(top, bottom);

    const RowRange upper = rowsOfPart(face, top.y, middle.y);
    for (int64_t k = upper.first; k < upper.end; ++k) {
        const int32_t y = int32_t(top.y + 256 * k);
        fillRow(face, y, top.x + (((y - top.y) * slopeTB) >> 8),
                top.x + (((y - top.y) * slopeTM) >> 8));
    }
    const RowRange lower = rowsOfPart(face, middle.y, bottom.y);
    for (int64_t k = lower.first; k < lower.end; ++k) {
        const int32_t y = int32_t(middle.y + 256 * k);
        fillRow(face, y, top.x + (((y - top.y) * slopeTB) >> 8),
                middle.x + (((y - middle.y) * slopeMB) >> 8));
    }
}

// Shaded colours darken by the face's offset and stay within 0..127; an
// offset of 0 or less leaves the colour as it is, even above 127.
static uint8_t faceColour(const Mesh& mesh, int32_t colour)
{
    int32_t k = colour & 255;
    if (mesh.shaded == 1 && mesh.shadeOffset > 0) {
        k -= mesh.shadeOffset;
        k = k < 0 ? 0 : std::min(k, 127);
    }
    return uint8_t(k);
}

void drawMeshFlat(Mesh& mesh, int32_t colour)
{
    if (mesh.visible == 0)
        return;
    FlatContext face{mesh.screen->pixels,
                     0,
                     std::max<int64_t>(mesh.clipTopFixed, 0),
                     std::min<int64_t>(mesh.clipBottomFixed, ScreenBottomFixed),
                     std::max(mesh.clipTop, 0),
                     std::min(mesh.clipBottom, ScreenHeight - 1),
                     std::max(mesh.clipLeft, 0),
                     std::min(mesh.clipRight - 1, ScreenWidth - 1)};
    Corner corners[3];
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
        if (!setUpFace(mesh, f, false, corners))
            continue;
        face.colour = faceColour(mesh, colour);
        drawFlatFace(face, corners);
    }
}
