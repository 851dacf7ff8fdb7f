// The show's font sheet "font-16x16": 16 cells of 16x16 pixels to a row,
// character code c in cell c - 32, the glyph in the cell's columns and rows
// 1..15 (column 0 and row 0 of every cell stay 0, the gap the greetings'
// stamp relies on). The letters are bold blocks: each glyph is drawn on a
// 5x5 grid and enlarged to 15x14 pixels, diagonal strokes joined at their
// corners, then the upright strokes are thickened inwards by a pixel (see
// embolden), so the greetings' letters still read on a cube seen edge-on.
// Ink is 255, the background 0. The glyphs are drawn the normal way round.
#include "forge.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int SheetWidth = 256;
constexpr int SheetHeight = 96;  // six rows of cells: every code up to 127 lies on the sheet
constexpr int Cell = 16;
constexpr int Grid = 5;  // design grid of a glyph
constexpr int Scale = 3;  // design pixel width: 5 x 3 = the 15 columns a cell carries
// Top of each design row within the glyph (the last entry is the bottom).
// The middle row is two pixels high, so a glyph stands in rows 1..14 of its
// cell: the stamp enlarges a cell from its gap row down, which centres the
// letter in its 64-pixel block when the cell's last row stays blank.
constexpr std::array<int, Grid + 1> RowTop = {0, 3, 6, 8, 11, 14};
constexpr uint8_t Ink = 255;

using GlyphRows = std::array<const char*, Grid>;

struct Glyph {
    char code;
    GlyphRows rows;  // 'X' = ink
};

// Codes 32..96; lower case takes the capitals' shapes.
constexpr Glyph Glyphs[] = {
    {' ', {".....", ".....", ".....", ".....", "....."}},
    {'!', {"..X..", "..X..", "..X..", ".....", "..X.."}},
    {'"', {".X.X.", ".X.X.", ".....", ".....", "....."}},
    {'#', {".X.X.", "XXXXX", ".X.X.", "XXXXX", ".X.X."}},
    {'$', {".XXXX", "X.X..", ".XXX.", "..X.X", "XXXX."}},
    {'%', {"XX..X", "XX.X.", "..X..", ".X.XX", "X..XX"}},
    {'&', {".XX..", "X..X.", ".XX.X", "X..X.", ".XX.X"}},
    {'\'', {"..X..", "..X..", ".....", ".....", "....."}},
    {'(', {"...X.", "..X..", "..X..", "..X..", "...X."}},
    {')', {".X...", "..X..", "..X..", "..X..", ".X..."}},
    {'*', {"X.X.X", ".XXX.", "XXXXX", ".XXX.", "X.X.X"}},
    {'+', {".....", "..X..", ".XXX.", "..X..", "....."}},
    {',', {".....", ".....", ".....", "..X..", ".X..."}},
    {'-', {".....", ".....", ".XXX.", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", "..X.."}},
    {'/', {"....X", "...X.", "..X..", ".X...", "X...."}},
    {'0', {".XXX.", "X..XX", "X.X.X", "XX..X", ".XXX."}},
    {'1', {".XX..", "X.X..", "..X..", "..X..", "XXXXX"}},
    {'2', {"XXXX.", "....X", ".XXX.", "X....", "XXXXX"}},
    {'3', {"XXXX.", "....X", ".XXX.", "....X", "XXXX."}},
    {'4', {"X..X.", "X..X.", "XXXXX", "...X.", "...X."}},
    {'5', {"XXXXX", "X....", "XXXX.", "....X", "XXXX."}},
    {'6', {".XXX.", "X....", "XXXX.", "X...X", ".XXX."}},
    {'7', {"XXXXX", "....X", "...X.", "..X..", "..X.."}},
    {'8', {".XXX.", "X...X", ".XXX.", "X...X", ".XXX."}},
    {'9', {".XXX.", "X...X", ".XXXX", "....X", ".XXX."}},
    {':', {".....", "..X..", ".....", "..X..", "....."}},
    {';', {".....", "..X..", ".....", "..X..", ".X..."}},
    {'<', {"...X.", "..X..", ".X...", "..X..", "...X."}},
    {'=', {".....", "XXXXX", ".....", "XXXXX", "....."}},
    {'>', {".X...", "..X..", "...X.", "..X..", ".X..."}},
    {'?', {"XXXX.", "....X", "..XX.", ".....", "..X.."}},
    {'@', {".XXX.", "X.X.X", "X.XXX", "X....", ".XXXX"}},
    {'A', {".XXX.", "X...X", "XXXXX", "X...X", "X...X"}},
    {'B', {"XXXX.", "X...X", "XXXX.", "X...X", "XXXX."}},
    {'C', {".XXXX", "X....", "X....", "X....", ".XXXX"}},
    {'D', {"XXXX.", "X...X", "X...X", "X...X", "XXXX."}},
    {'E', {"XXXXX", "X....", "XXXX.", "X....", "XXXXX"}},
    {'F', {"XXXXX", "X....", "XXXX.", "X....", "X...."}},
    {'G', {".XXXX", "X....", "X..XX", "X...X", ".XXXX"}},
    {'H', {"X...X", "X...X", "XXXXX", "X...X", "X...X"}},
    {'I', {"XXXXX", "..X..", "..X..", "..X..", "XXXXX"}},
    {'J', {"..XXX", "....X", "....X", "X...X", ".XXX."}},
    {'K', {"X...X", "X..X.", "XXX..", "X..X.", "X...X"}},
    {'L', {"X....", "X....", "X....", "X....", "XXXXX"}},
    {'M', {"X...X", "XX.XX", "X.X.X", "X...X", "X...X"}},
    {'N', {"X...X", "XX..X", "X.X.X", "X..XX", "X...X"}},
    {'O', {".XXX.", "X...X", "X...X", "X...X", ".XXX."}},
    {'P', {"XXXX.", "X...X", "XXXX.", "X....", "X...."}},
    {'Q', {".XXX.", "X...X", "X...X", "X..X.", ".XX.X"}},
    {'R', {"XXXX.", "X...X", "XXXX.", "X..X.", "X...X"}},
    {'S', {".XXXX", "X....", ".XXX.", "....X", "XXXX."}},
    {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X.."}},
    {'U', {"X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'V', {"X...X", "X...X", "X...X", ".X.X.", "..X.."}},
    {'W', {"X...X", "X...X", "X.X.X", "XX.XX", "X...X"}},
    {'X', {"X...X", ".X.X.", "..X..", ".X.X.", "X...X"}},
    {'Y', {"X...X", ".X.X.", "..X..", "..X..", "..X.."}},
    {'Z', {"XXXXX", "...X.", "..X..", ".X...", "XXXXX"}},
    {'[', {".XXX.", ".X...", ".X...", ".X...", ".XXX."}},
    {'\\', {"X....", ".X...", "..X..", "...X.", "....X"}},
    {']', {".XXX.", "...X.", "...X.", "...X.", ".XXX."}},
    {'^', {"..X..", ".X.X.", "X...X", ".....", "....."}},
    {'_', {".....", ".....", ".....", ".....", "XXXXX"}},
    {'`', {".X...", "..X..", ".....", ".....", "....."}},
};

// Ink of the design grid; outside the grid is background.
bool inked(const GlyphRows& rows, int x, int y)
{
    return x >= 0 && y >= 0 && x < Grid && y < Grid && rows[y][x] == 'X';
}

// Each design pixel becomes a block 3 pixels wide and its row's height.
// Where two inked pixels touch only at a corner (a diagonal stroke), the two
// pixels beside that corner in the empty neighbouring blocks are inked too,
// so the stroke stays joined and keeps its width instead of narrowing to a
// point.
void drawGlyph(std::vector<uint8_t>& sheet, int code, const GlyphRows& rows)
{
    const int index = code - 32;
    const int left = (index % 16) * Cell + 1, top = (index / 16) * Cell + 1;  // past the cell's gap column and row
    const auto ink = [&sheet, left, top](int x, int y) { sheet[(top + y) * SheetWidth + left + x] = Ink; };
    for (int y = 0; y < Grid; ++y)
        for (int x = 0; x < Grid; ++x) {
            if (inked(rows, x, y))
                for (int py = RowTop[y]; py < RowTop[y + 1]; ++py)
                    for (int px = x * Scale; px < (x + 1) * Scale; ++px)
                        ink(px, py);
            // The corner shared with the design pixel below and to the right.
            const int cx = (x + 1) * Scale, cy = RowTop[y + 1];
            if (inked(rows, x, y) && inked(rows, x + 1, y + 1) && !inked(rows, x + 1, y) && !inked(rows, x, y + 1)) {
                ink(cx, cy - 1);
                ink(cx - 1, cy);
            }
            if (inked(rows, x + 1, y) && inked(rows, x, y + 1) && !inked(rows, x, y) && !inked(rows, x + 1, y + 1)) {
                ink(cx - 1, cy - 1);
                ink(cx, cy);
            }
        }
}

// Glyph pixels are x 0..14 and y 0..13 from the cell's first inked column
// and row; 7 is the middle of both.
constexpr int GlyphWidth = Grid * Scale, GlyphHeight = RowTop[Grid], Middle = 7;

// Widens every upright stroke that lies off the glyph's middle column by one
// pixel towards the middle: a pixel takes ink when its outer neighbour had
// ink before the pass and the two pixels beyond it towards the middle are
// still clear. The outline keeps its place, and the gap between two strokes
// never closes below two pixels (in a gap of three the second stroke sees
// the first one's new pixel beyond). A short stroke through the middle
// column or row (the stem of a T, the bar of an E; at most three pixels)
// has no outer side: it widens right or down instead, so the two-pixel
// middle bar matches the three-pixel top and bottom ones. Those keep their
// height: a glyph has only 14 rows, and taller bars crowd its counters (an
// I then reads as an H on its side).
void embolden(std::vector<uint8_t>& sheet, int code)
{
    const int index = code - 32;
    const int left = (index % 16) * Cell + 1, top = (index / 16) * Cell + 1;
    const auto offset = [left, top](int x, int y) { return size_t((top + y) * SheetWidth + left + x); };
    const auto inked = [&offset](const std::vector<uint8_t>& pixels, int x, int y) {
        return x >= 0 && y >= 0 && x < GlyphWidth && y < GlyphHeight && pixels[offset(x, y)] != 0;
    };
    for (const bool across : {true, false}) {
        const std::vector<uint8_t> before = sheet;
        for (int y = 0; y < GlyphHeight; ++y)
            for (int x = 0; x < GlyphWidth; ++x) {
                const int along = across ? x : y;
                if (along == Middle || inked(sheet, x, y))
                    continue;
                const int in = along < Middle ? 1 : -1;  // towards the middle
                const int dx = across ? in : 0, dy = across ? 0 : in;
                const int ax = across ? 1 : 0, ay = 1 - ax;  // one pixel along the pass
                const bool outerInk = across && inked(before, x - dx, y - dy);
                const bool middleStroke = along > Middle && inked(before, x - ax, y - ay) &&
                                          inked(before, across ? Middle : x, across ? y : Middle) &&
                                          !inked(before, x - 4 * ax, y - 4 * ay);
                const int fx = middleStroke ? ax : dx, fy = middleStroke ? ay : dy;  // towards the far side
                if ((outerInk || middleStroke) && !inked(sheet, x + fx, y + fy) && !inked(sheet, x + 2 * fx, y + 2 * fy))
                    sheet[offset(x, y)] = Ink;
            }
    }
}

std::vector<uint8_t> fontSheet()
{
    std::vector<uint8_t> sheet(SheetWidth * SheetHeight, 0);
    for (const Glyph& glyph : Glyphs) {
        drawGlyph(sheet, glyph.code, glyph.rows);
        embolden(sheet, glyph.code);
        if (glyph.code >= 'A' && glyph.code <= 'Z') {
            drawGlyph(sheet, glyph.code - 'A' + 'a', glyph.rows);
            embolden(sheet, glyph.code - 'A' + 'a');
        }
    }
    return sheet;
}

}  // namespace

void forgeFont(const std::string& dir)
{
    constexpr const DataFile& sheet = dataFile("data/font-16x16");
    static_assert(SheetWidth == sheet.width && SheetHeight >= sheet.minHeight && SheetHeight <= sheet.maxHeight);
    writeGrayPng(forgedPath(dir, sheet), SheetWidth, SheetHeight, fontSheet(), sheet.bytes);
}
