// Stamping glyphs of the font sheet into a texture: 4x enlarged, mirrored.
#include "gfx2d/font.h"
#include "support.h"
#include "test_png.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using Pixel = std::pair<int, int>;

// A 256 x rows sheet with ink at the given sheet pixels only.
struct TestFont {
    explicit TestFont(int rows) : pixels(size_t(256) * rows + 1, 0)
    {
        font.sheetWidth = 256;
        font.sheetHeight = uint16_t(rows);
        font.cellWidth = 15;
        font.cellHeight = 15;
        font.sheet.pixels = pixels.data();
        font.sheet.pixelCount = uint32_t(256 * rows);
        font.sheet.width = 256;
        font.sheet.height = uint16_t(rows);
    }
    void ink(int x, int y) { pixels[size_t(y) * 256 + x] = 200; }
    std::vector<uint8_t> pixels;
    Font font{};
};

struct TestTarget {
    TestTarget() : pixels(65537, 50)
    {
        picture.pixels = pixels.data();
        picture.pixelCount = 65536;
        picture.width = 256;
        picture.height = 256;
    }
    std::set<Pixel> written() const
    {
        std::set<Pixel> changed;
        for (int i = 0; i < 65536; ++i)
            if (pixels[i] != 50)
                changed.insert({i & 255, i >> 8});
        return changed;
    }
    std::vector<uint8_t> pixels;
    Picture picture{};
};

std::set<Pixel> block(int x0, int y0, int x1, int y1)
{
    std::set<Pixel> pixels;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            pixels.insert({x, y});
    return pixels;
}

TEST(Glyph, OneInkPixelBecomesAMirroredFourByFourBlock)
{
    // "A" is cell 33: column 1, row 2, origin (16, 32). Ink at glyph column 1,
    // row 1 (sheet 17, 33) reads back for target columns k = 57..60 (mirrored)
    // and rows j = 4..7.
    TestFont font(64);
    font.ink(17, 33);
    TestTarget target;
    stampGlyph(font.font, 16, 16, target.picture, 'A', 0);
    EXPECT_EQ(target.written(), block(16 + 57, 16 + 4, 16 + 60, 16 + 7));
    EXPECT_EQ(target.pixels[20 * 256 + 73], 0) << "written in the stamp's colour";
}

TEST(Glyph, FullCellStaysInsideTheSixtyFourSquare)
{
    TestFont font(64);
    for (int y = 32; y < 48; ++y)
        for (int x = 16; x < 33; ++x)  // the cell and the next cell's first column
            font.ink(x, y);
    TestTarget target;
    stampGlyph(font.font, 16, 16, target.picture, 'A', 9);
    EXPECT_EQ(target.written(), block(16, 16, 79, 79));
}

TEST(Glyph, ColumnZeroOfTheStampReadsTheNextCell)
{
    TestFont font(64);
    font.ink(32, 32);  // column 0 of cell 34, row 0
    font.ink(16, 47);  // column 0, row 15 of cell 33
    TestTarget target;
    stampGlyph(font.font, 0, 0, target.picture, 'A', 1);
    std::set<Pixel> expected = block(0, 0, 0, 3);
    expected.merge(block(61, 60, 63, 63));
    EXPECT_EQ(target.written(), expected);
}

TEST(Glyph, CodesOutsideTheTableAreSpaces)
{
    TestFont font(64);
    font.ink(5, 5);  // cell 0, the space
    TestTarget space, high, low;
    stampGlyph(font.font, 0, 0, space.picture, ' ', 1);
    stampGlyph(font.font, 0, 0, high.picture, 200, 1);
    stampGlyph(font.font, 0, 0, low.picture, 10, 1);
    EXPECT_FALSE(space.written().empty());
    EXPECT_EQ(high.written(), space.written());
    EXPECT_EQ(low.written(), space.written());
}

TEST(Glyph, ReadsBeyondTheSheetAreBlank)
{
    // Codes 96..122 have cells below a 64-row sheet; with a 96-row sheet they
    // draw.
    TestFont shortSheet(64);
    shortSheet.pixels[64 * 256] = 1;  // the spare byte past the sheet
    TestTarget target;
    for (int code = 96; code <= 122; ++code)
        stampGlyph(shortSheet.font, 0, 0, target.picture, uint8_t(code), 1);
    EXPECT_TRUE(target.written().empty());

    TestFont tallSheet(96);
    tallSheet.ink(16 + 3, 64 + 5);  // 'a' is cell 65: column 1, row 4
    stampGlyph(tallSheet.font, 0, 0, target.picture, 'a', 1);
    EXPECT_FALSE(target.written().empty());

    // '_' (cell 63) is the sheet's last cell: its stamp column 0 reads past the
    // end of the sheet's last row, which counts as blank, not the spare byte.
    TestTarget last;
    stampGlyph(shortSheet.font, 0, 0, last.picture, '_', 1);
    EXPECT_TRUE(last.written().empty());
}

TEST(Glyph, SheetLoadsThroughThePictureLoader)
{
    testScreen();
    const auto dir = makeTempDir("font");
    const std::string path = (dir / "font").string();
    std::vector<uint8_t> sheet(256 * 64, 0);
    sheet[33 * 256 + 17] = 255;
    writeGrayPng(path, 256, 64, sheet);
    DataFile row = dataFile("data/font-16x16");
    row.path = path.c_str();
    Font font{};
    createFont(font, row, testScreen(), 15, 15);
    EXPECT_EQ(font.sheetWidth, 256);
    EXPECT_EQ(font.sheetHeight, 64);
    EXPECT_EQ(font.cellWidth, 15);
    EXPECT_EQ(font.cellHeight, 15);
    EXPECT_EQ(font.sheet.width, 256);
    EXPECT_EQ(font.sheet.pixels[33 * 256 + 17], 255);
    TestTarget target;
    stampGlyph(font, 96, 180, target.picture, 'A', 0);
    EXPECT_EQ(target.written(), block(96 + 57, 180 + 4, 96 + 60, 180 + 7));
}

// The stamp written straight from its rules, one sheet look-up per target
// pixel.
void plainStampGlyph(const Font& font, int32_t x, int32_t y, Picture& target, uint8_t character,
                     uint8_t colour)
{
    const int32_t cell = character >= 32 && character <= 122 ? character - 32 : 0;
    const int32_t cellX = (cell & 15) * (font.cellWidth + 1);
    const int32_t cellY = (cell >> 4) * (font.cellHeight + 1);
    for (int32_t j = 0; j < 64; ++j)
        for (int32_t k = 0; k < 64; ++k) {
            const int64_t sheetIndex =
                int64_t(cellY + j / 4) * font.sheet.width + cellX + ((4096 - 64 * k) >> 8);
            const int64_t t = int64_t(y + j) * 256 + x + k;
            if (sheetIndex < font.sheet.pixelCount && font.sheet.pixels[sheetIndex] != 0 &&
                t >= 0 && t < target.pixelCount)
                target.pixels[t] = colour;
        }
}

// Random sheets of several heights, every code and places reaching past every
// edge of the target: the stamp writes what the plain rules write.
TEST(Glyph, AgreesWithThePlainRulesOverRandomSheetsAndPlaces)
{
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        TestFont sheet(int(40 + random() % 60));
        for (size_t i = 0; i < sheet.pixels.size() - 1; ++i)
            sheet.pixels[i] = random() % 3 == 0 ? uint8_t(1 + random() % 255) : 0;
        sheet.font.cellWidth = uint16_t(14 + random() % 3);
        sheet.font.cellHeight = uint16_t(14 + random() % 3);
        const int32_t x = int32_t(random() % 400) - 80, y = int32_t(random() % 400) - 80;
        const uint8_t code = uint8_t(random());
        TestTarget fast, plain;
        stampGlyph(sheet.font, x, y, fast.picture, code, 9);
        plainStampGlyph(sheet.font, x, y, plain.picture, code, 9);
        ASSERT_EQ(fast.pixels, plain.pixels) << "round " << round;
    }
}

}  // namespace
