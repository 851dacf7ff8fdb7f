#include "gfx2d/blit.h"

#include "core/saturate.h"
#include "core/tables.h"

#include <algorithm>
#include <cstring>

void drawPicture(const Picture& picture)
{
    uint8_t* screen = picture.screen->pixels;
    const int32_t rowLength = int32_t(picture.right) - picture.left;
    if (rowLength <= 0)
        return;
    uint32_t source = 0;
    // Rows below the screen end the copy. Columns are not clipped: a rectangle
    // wider than the screen runs on into the next row. Only the end of the
    // screen buffer and the end of the picture's pixels bound a row.
    for (int32_t y = picture.top; y < picture.bottom && y < ScreenHeight; ++y) {
        const int32_t offset = RowOffsets[y] + picture.left;
        const int64_t room = std::min<int64_t>(ScreenPixels - offset, picture.pixelCount - source);
        if (room <= 0)
            return;
        std::memcpy(screen + offset, picture.pixels + source,
                    size_t(std::min<int64_t>(rowLength, room)));
        source += uint32_t(rowLength);
    }
}

void addPicture(const Picture& picture, int32_t x, int32_t y)
{
    uint8_t* screen = picture.screen->pixels;
    const uint8_t limit = picture.limit;
    // Source columns and rows that fall off the screen are skipped, not
    // shifted; 64-bit bounds so that no position can wrap onto the screen.
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t(x));
    const int64_t endColumn = std::min<int64_t>(picture.width, int64_t(ScreenWidth) - x);
    const int64_t firstRow = std::max<int64_t>(0, -int64_t(y));
    const int64_t endRow = std::min<int64_t>(picture.height, int64_t(ScreenHeight) - y);
    if (firstColumn >= endColumn)
        return;
    // Per visible row: add the picture's bytes to the screen's, clamping each
    // sum at the picture's limit. One row-offset lookup per row; source and
    // destination pointers run along the row.
    for (int64_t r = firstRow; r < endRow; ++r) {
        const uint8_t* src = picture.pixels + r * picture.width + firstColumn;
        uint8_t* dst = screen + RowOffsets[y + r] + x + firstColumn;
        for (int32_t n = int32_t(endColumn - firstColumn); n > 0; --n, ++src, ++dst)
            *dst = addSaturating(*src, *dst, limit);
    }
}

void addSprite32(const Picture& picture, int32_t x, int32_t y)
{
    // The sprite is clipped only by its linear screen offset: offsets 0..640
    // (the top two rows and the first pixel of the third) and everything from
    // the buffer's end on are left alone; a sprite crossing a side edge runs
    // on into the neighbouring row. The offset is the true 320 (y + r) + x + c
    // in 64 bits, so rows far above or below the screen are simply missed.
    constexpr int64_t FirstOffset = 641;
    constexpr int64_t LastOffset = ScreenPixels - 1;
    uint8_t* screen = picture.screen->pixels;
    const uint8_t limit = picture.limit;
    // Per sprite row: add 32 source bytes to the screen at its offset, clamped
    // at the limit, only for the columns whose offset passes the test.
    for (int32_t r = 0; r < 32; ++r) {
        const int64_t rowOffset = int64_t(ScreenWidth) * (int64_t(y) + r) + x;
        const int64_t first = std::max<int64_t>(0, FirstOffset - rowOffset);
        const int64_t end = std::min<int64_t>(32, LastOffset + 1 - rowOffset);
        if (first >= end)
            continue;
        const uint8_t* src = picture.pixels + r * 32 + first;
        uint8_t* dst = screen + (rowOffset + first);
        for (int32_t n = int32_t(end - first); n > 0; --n, ++src, ++dst)
            *dst = addSaturating(*src, *dst, limit);
    }
}

// Plots only inside the band that leaves the outermost row and column on each
// side untouched.
static inline void plotInBand(uint8_t* pixels, int32_t x, int32_t y, uint8_t colour)
{
    if (x >= 1 && x <= ScreenWidth - 2 && y >= 1 && y <= ScreenHeight - 2)
        pixels[y * ScreenWidth + x] = colour;
}

// Integer Bresenham with doubled error terms. A tie |dx| = |dy| goes to the
// y-major branch; the error test e >= 0 steps the minor axis before the major
// one, so both end points are plotted and a diagonal is clean.
void drawLine(Screen& screen, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour)
{
    const int32_t dx = x1 - x0;
    const int32_t dy = y1 - y0;
    const int32_t sx = dx < 0 ? -1 : 1;
    const int32_t sy = dy < 0 ? -1 : 1;
    const int32_t adx = dx < 0 ? -dx : dx;
    const int32_t ady = dy < 0 ? -dy : dy;
    const int32_t ax = 2 * adx;
    const int32_t ay = 2 * ady;
    int32_t x = x0;
    int32_t y = y0;
    plotInBand(screen.pixels, x, y, colour);
    if (ax > ay) {
        if (x0 == x1)
            return;
        int32_t e = ay - adx;
        do {
            if (e >= 0) {
                y += sy;
                e -= ax;
            }
            x += sx;
            e += ay;
            plotInBand(screen.pixels, x, y, colour);
        } while (x != x1);
    } else {
        if (y0 == y1)
            return;
        int32_t e = ax - ady;
        do {
            if (e >= 0) {
                x += sx;
                e -= ay;
            }
            y += sy;
            e += ax;
            plotInBand(screen.pixels, x, y, colour);
        } while (y != y1);
    }
}
