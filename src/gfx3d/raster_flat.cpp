#include "gfx3d/raster.h"

#include "gfx3d/face.h"
#include "core/bytes.h"
#include "core/divide.h"
#include "core/target.h"
#include "core/tables.h"

#include <algorithm>
#include <cstdint>
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
    // Without a divide instruction a prepared divisor's one quotient costs
    // about half the C library's call.
    return dy > 0 ? Divisor(dy).divide(dx) : dx / dy;
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

// Sets n >= 1 bytes from p on. A thin face's rows are a few pixels long: up
// to 16 bytes take two overlapping stores of the repeated byte, not a call.
static void fillSpan(uint8_t* p, size_t n, uint8_t colour)
{
    if (n < 4) {
        p[0] = colour;
        p[n - 1] = colour;
        p[n / 2] = colour;
    } else if (n <= 8) {
        fillBytes<4>(p, colour);
        fillBytes<4>(p + n - 4, colour);
    } else if (n <= 16) {
        fillBytes<8>(p, colour);
        fillBytes<8>(p + n - 8, colour);
    } else {
        std::memset(p, colour, n);
    }
}

// Fills a row (`line`, its first pixel) from the nearer to the farther of xa
// and xb (24.8), both ends included, after clipping to the context's columns.
static void fillColumns(const FlatContext& face, uint8_t* line, int32_t xa, int32_t xb)
{
    const int32_t left = std::max(std::min(xa, xb) >> 8, face.firstColumn);
    const int32_t right = std::min(std::max(xa, xb) >> 8, face.lastColumn);
    if (left <= right)
        fillSpan(line + left, size_t(right - left + 1), face.colour);
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

// An edge's x on the rows of a part: from corner x0, a 32-bit product of the
// rows walked (24.8) and the slope, shifted back by 8. The product is kept
// and grows by 256 * slope a row, which wraps to the same 32 bits as
// multiplying afresh.
struct EdgeWalk {
    int32_t x0;
    uint32_t product;
    uint32_t step;
    int32_t x() const { return x0 + (int32_t(product) >> 8); }
    void next() { product += step; }
};

// The edge from corner x0 at y0 with `slope`, at row y.
static EdgeWalk edgeAt(int32_t x0, int32_t y0, int32_t slope, int32_t y)
{
    return {x0, uint32_t(y - y0) * uint32_t(slope), 256u * uint32_t(slope)};
}

// An edge over the rows of a part, in 64 bits: 256 x0 + (y - y0) * slope,
// whose bits from 16 up are the edge's pixel column, x >> 8. It gives the
// rules' 32-bit results while none of their steps wraps on those rows.
struct EdgeSum {
    int64_t sum;   // on the current row
    int64_t step;  // 256 * slope, per row
    int64_t column() const { return sum >> 16; }
    int64_t rowsInColumn() const { return ::rowsInColumn<HardwareDivide>(sum, step); }
    void advance(int32_t rows) { sum += rows * step; }
};

// The edge from corner x0 at y0 with `slope` on rows y = yFirst, yFirst + 256,
// ... up to yLast; false when y - y0, the product or the sum with x0 wraps on
// one of them. All three are linear in y, so the two ends decide.
static bool sumWithoutWrap(int32_t x0, int32_t y0, int32_t slope, int64_t yFirst, int64_t yLast,
                           EdgeSum& edge)
{
    const auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
    for (const int64_t y : {yFirst, yLast}) {
        const int64_t product = (y - y0) * slope;
        if (!fits(y - y0) || !fits(product) || !fits(x0 + (product >> 8)))
            return false;
    }
    edge = {int64_t(x0) * 256 + (yFirst - y0) * slope, int64_t(slope) * 256};
    return true;
}

// An EdgeSum whose sums on the part's rows fit 32 bits: the columns of most
// faces, which an ARM9 then walks without 64-bit sums and with one inverse
// of the step for all the edge's blocks.
struct NarrowEdge {
    int32_t sum;       // 65536 x on the current row
    int32_t step;      // 256 * slope, per row
    uint32_t inverse;  // inverseBelow(|step|) for 0 < |step| < 65536 without a divide instruction
    int32_t column() const { return sum >> 16; }
    int32_t rowsInColumn() const { return rowsInColumnNarrow<HardwareDivide>(sum, step, inverse); }
    // Wraps like the 64-bit sum's low half; only the step past the last row can.
    void advance(int32_t rows) { sum = int32_t(uint32_t(sum) + uint32_t(rows) * uint32_t(step)); }
};

// The edge as a NarrowEdge when its sums on `rows` rows and its step fit
// 32 bits; they are linear in the row, so the ends decide.
static bool narrowEdge(const EdgeSum& edge, int32_t rows, NarrowEdge& narrow)
{
    const auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
    if (!fits(edge.step) || !fits(edge.sum) || !fits(edge.sum + (rows - 1) * edge.step))
        return false;
    const int32_t step = int32_t(edge.step);
    const bool divides = !HardwareDivide && step != 0 && step > -65536 && step < 65536;
    narrow = {int32_t(edge.sum), step, divides ? inverseBelow(step > 0 ? step : -step) : 0};
    return true;
}

// Calls fill(p) for the first pixel p of each of `rows` rows from `line`
// down: an odd row first, then two a step, so a pair shares the counting.
template <typename Fill>
[[gnu::always_inline]] inline void eachRow(uint8_t* line, int32_t rows, Fill fill)
{
    if (rows & 1) {
        fill(line);
        line += ScreenWidth;
    }
    for (int32_t pairs = rows >> 1; pairs > 0; --pairs, line += 2 * ScreenWidth) {
        fill(line);
        fill(line + ScreenWidth);
    }
}

// Fills the same columns on `rows` rows from `line` down. Blocks one to four
// pixels wide, most of a trunk's, take one or two stores a row.
[[gnu::always_inline]] inline void fillBlock(uint8_t* line, size_t n, int32_t rows, uint8_t colour)
{
    switch (n) {
    case 1:
        eachRow(line, rows, [colour](uint8_t* p) { p[0] = colour; });
        return;
    case 2:
        eachRow(line, rows, [colour](uint8_t* p) { fillBytes<2>(p, colour); });
        return;
    case 3:
        eachRow(line, rows, [colour](uint8_t* p) {
            fillBytes<2>(p, colour);
            p[2] = colour;
        });
        return;
    case 4:
        eachRow(line, rows, [colour](uint8_t* p) { fillBytes<4>(p, colour); });
        return;
    default:
        eachRow(line, rows, [n, colour](uint8_t* p) { fillSpan(p, n, colour); });
    }
}

// The rows of a part between two edges that do not wrap: a trunk's faces
// are tall and a few pixels wide, so both edges keep their columns for many
// rows at a time, and each such stretch is filled as one block. `rows` is at
// most the screen's height.
template <typename Edge>
static void fillByColumns(const FlatContext& face, uint8_t* line, int32_t rows, Edge a, Edge b)
{
    using Count = decltype(a.rowsInColumn());
    using Column = decltype(a.column());
    // Rows each edge still stays in its column, 0 once it has left: after a
    // block that ends before the edge leaves, the rest is the count less the
    // block, so only an edge that left is divided again.
    Count aRows = 0, bRows = 0;
    while (rows > 0) {
        if (aRows == 0)
            aRows = a.rowsInColumn();
        if (bRows == 0)
            bRows = b.rowsInColumn();
        const int32_t block = int32_t(std::min<Count>({rows, aRows, bRows}));
        const Column left = std::max<Column>(std::min(a.column(), b.column()), face.firstColumn);
        const Column right = std::min<Column>(std::max(a.column(), b.column()), face.lastColumn);
        if (left <= right)
            fillBlock(line + left, size_t(right - left + 1), block, face.colour);
        line += block * ScreenWidth;
        rows -= block;
        a.advance(block);
        b.advance(block);
        aRows -= block;
        bRows -= block;
    }
}

// Fills the rows of one part, y = yStart + 256 k, between the long edge (from
// corner `longFrom` with `longSlope`) and the short one. Row y is pixel row
// (yStart >> 8) + k, so the clip's rows narrow the range of k.
static void fillPart(const FlatContext& face, const RowRange& rows, int32_t yStart,
                     const Corner& longFrom, int32_t longSlope, const Corner& shortFrom,
                     int32_t shortSlope)
{
    const int64_t startRow = yStart >> 8;
    const int64_t first = std::max<int64_t>(rows.first, face.firstRow - startRow);
    const int64_t end = std::min<int64_t>(rows.end, face.lastRow - startRow + 1);
    if (first >= end)
        return;
    uint8_t* line = face.pixels + RowOffsets[startRow + first];
    const int64_t yFirst = yStart + 256 * first, yLast = yStart + 256 * (end - 1);
    EdgeSum longSum, shortSum;
    if (sumWithoutWrap(longFrom.x, longFrom.y, longSlope, yFirst, yLast, longSum) &&
        sumWithoutWrap(shortFrom.x, shortFrom.y, shortSlope, yFirst, yLast, shortSum)) {
        const int32_t rows = int32_t(end - first);
        NarrowEdge longNarrow, shortNarrow;
        if (narrowEdge(longSum, rows, longNarrow) && narrowEdge(shortSum, rows, shortNarrow))
            fillByColumns(face, line, rows, longNarrow, shortNarrow);
        else
            fillByColumns(face, line, rows, longSum, shortSum);
        return;
    }
    const int32_t y = int32_t(yFirst);
    EdgeWalk longEdge = edgeAt(longFrom.x, longFrom.y, longSlope, y);
    EdgeWalk shortEdge = edgeAt(shortFrom.x, shortFrom.y, shortSlope, y);
    for (int64_t k = first; k < end; ++k, line += ScreenWidth) {
        fillColumns(face, line, longEdge.x(), shortEdge.x());
        longEdge.next();
        shortEdge.next();
    }
}

// The upper part runs from T to M, the lower part restarts at M and runs to
// B, both ends inclusive, so the row at M may be filled twice. The long edge
// is measured from T in both.
static void drawFlatFace(const FlatContext& face, const Corner (&c)[3])
{
    const Corner& top = c[0];
    const Corner& middle = c[1];
    const Corner& bottom = c[2];
    const int32_t slopeTM = slopeBetween(top, middle);
    const int32_t slopeMB = slopeBetween(middle, bottom);
    const int32_t slopeTB = slopeBetween(top, bottom);
    fillPart(face, rowsOfPart(face, top.y, middle.y), top.y, top, slopeTB, top, slopeTM);
    fillPart(face, rowsOfPart(face, middle.y, bottom.y), middle.y, top, slopeTB, middle, slopeMB);
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
