// The blitters and the line: each one's clip rule, saturation and tie rules.
#include "gfx2d/blit.h"
#include "raster_support.h"
#include "support.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

using Pixel = std::pair<int, int>;

// A picture of its own pixels, drawing into `canvas`.
struct TestPicture {
    TestPicture(Canvas& canvas, int width, int height, uint8_t (*value)(int x, int y))
    {
        makeTestPicture(picture, pixels, uint16_t(width), uint16_t(height), 0);
        picture.screen = canvas.screen.get();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[size_t(y) * width + x] = value(x, y);
    }
    std::vector<uint8_t> pixels;
    Picture picture{};
};

uint8_t constant200(int, int)
{
    return 200;
}
uint8_t coded(int x, int y)
{
    return uint8_t(1 + x + 3 * y);
}
uint8_t one(int, int)
{
    return 1;
}

std::set<Pixel> changedPixels(const Canvas& canvas, uint8_t background)
{
    std::set<Pixel> changed;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (canvas.pixel(x, y) != background)
                changed.insert({x, y});
    return changed;
}

std::set<Pixel> rectangle(int x0, int y0, int x1, int y1)
{
    std::set<Pixel> pixels;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            pixels.insert({x, y});
    return pixels;
}

class Blit : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        canvas.fill(0, 0);
    }
    Canvas canvas;
};

TEST_F(Blit, DrawPictureCopiesItsRectangleAndStopsBelowTheScreen)
{
    TestPicture picture(canvas, 16, 32, coded);
    picture.picture.left = 100;
    picture.picture.right = 116;
    picture.picture.top = 230;
    picture.picture.bottom = 262;
    drawPicture(picture.picture);
    EXPECT_EQ(changedPixels(canvas, 0), rectangle(100, 230, 115, 239));
    EXPECT_EQ(canvas.pixel(100, 230), coded(0, 0));
    EXPECT_EQ(canvas.pixel(115, 239), coded(15, 9));
}

TEST_F(Blit, DrawPictureRunsOnIntoTheNextRowButNotPastTheScreen)
{
    TestPicture picture(canvas, 32, 3, coded);
    picture.picture.left = 300;
    picture.picture.right = 332;
    picture.picture.top = 237;
    picture.picture.bottom = 240;
    drawPicture(picture.picture);
    EXPECT_EQ(canvas.pixel(319, 237), coded(19, 0));
    EXPECT_EQ(canvas.pixel(0, 238), coded(20, 0)) << "no horizontal clipping";
    EXPECT_EQ(canvas.pixel(11, 238), coded(31, 0));
    EXPECT_EQ(canvas.pixel(300, 238), coded(0, 1));
    EXPECT_EQ(canvas.pixel(319, 239), coded(19, 2));
    EXPECT_EQ(canvas.pixel(0, 239), coded(20, 1));
    // Source columns 20..31 of the last row would lie past the screen's end.
}

TEST_F(Blit, AddPictureSaturatesAtTheLimit)
{
    canvas.fill(100, 0);
    TestPicture picture(canvas, 8, 8, constant200);
    addPicture(picture.picture, 10, 20);
    EXPECT_EQ(canvas.pixel(10, 20), 255);
    EXPECT_EQ(canvas.pixel(17, 27), 255);
    EXPECT_EQ(changedPixels(canvas, 100), rectangle(10, 20, 17, 27));
    picture.picture.limit = 180;
    canvas.fill(100, 0);
    addPicture(picture.picture, 10, 20);
    EXPECT_EQ(canvas.pixel(10, 20), 180);

    // A screen value above the limit comes down to it even with 0 added.
    TestPicture zero(canvas, 1, 1, [](int, int) { return uint8_t(0); });
    zero.picture.limit = 50;
    canvas.fill(100, 0);
    addPicture(zero.picture, 0, 0);
    EXPECT_EQ(canvas.pixel(0, 0), 50);
    zero.picture.limit = 101;
    addPicture(zero.picture, 1, 0);
    EXPECT_EQ(canvas.pixel(1, 0), 100) << "a sum below the limit is kept";
}

TEST_F(Blit, AddPictureSkipsClippedSourceBytes)
{
    TestPicture picture(canvas, 16, 4, coded);
    addPicture(picture.picture, -10, 5);
    EXPECT_EQ(changedPixels(canvas, 0), rectangle(0, 5, 5, 8));
    EXPECT_EQ(canvas.pixel(0, 5), coded(10, 0));
    EXPECT_EQ(canvas.pixel(5, 8), coded(15, 3));

    canvas.fill(0, 0);
    addPicture(picture.picture, 310, -2);
    EXPECT_EQ(changedPixels(canvas, 0), rectangle(310, 0, 319, 1));
    EXPECT_EQ(canvas.pixel(310, 0), coded(0, 2));
    EXPECT_EQ(canvas.pixel(0, 1), 0) << "no wrap onto the next row";

    canvas.fill(0, 0);
    addPicture(picture.picture, 100, 238);
    EXPECT_EQ(changedPixels(canvas, 0), rectangle(100, 238, 115, 239));
    addPicture(picture.picture, 320, 0);
    addPicture(picture.picture, -16, 0);
    addPicture(picture.picture, 0, 240);
    addPicture(picture.picture, 0, -4);
    addPicture(picture.picture, INT32_MAX, INT32_MAX);
    addPicture(picture.picture, INT32_MIN, INT32_MIN);
    EXPECT_EQ(changedPixels(canvas, 0), rectangle(100, 238, 115, 239)) << "wholly off-screen";
}

TEST_F(Blit, SpriteClipsByLinearOffset)
{
    TestPicture sprite(canvas, 32, 32, one);
    addSprite32(sprite.picture, 0, 0);
    std::set<Pixel> expected = rectangle(0, 2, 31, 31);
    expected.erase({0, 2});  // offset 640
    EXPECT_EQ(changedPixels(canvas, 0), expected);

    // Crossing the right edge runs on into the next row.
    canvas.fill(0, 0);
    addSprite32(sprite.picture, 300, 10);
    EXPECT_EQ(canvas.pixel(319, 10), 1);
    EXPECT_EQ(canvas.pixel(0, 11), 1);
    EXPECT_EQ(canvas.pixel(11, 11), 1);
    EXPECT_EQ(canvas.pixel(12, 11), 0);

    // Nothing at or past the buffer's end.
    canvas.fill(0, 0);
    addSprite32(sprite.picture, 300, 230);
    EXPECT_EQ(canvas.pixel(319, 239), 1);
    EXPECT_EQ(changedPixels(canvas, 0).size(), size_t(20 * 10 + 12 * 9));
}

TEST_F(Blit, SpriteDroppingInFromAboveDrawsOnlyItsRowsOnScreen)
{
    TestPicture sprite(canvas, 32, 32, coded);
    addSprite32(sprite.picture, 100, -40);
    addSprite32(sprite.picture, 100, -1000000);
    addSprite32(sprite.picture, 100, 1000000);
    EXPECT_TRUE(changedPixels(canvas, 0).empty());
    addSprite32(sprite.picture, 100, -20);
    EXPECT_EQ(changedPixels(canvas, 0), rectangle(100, 2, 131, 11));
    EXPECT_EQ(canvas.pixel(100, 2), coded(0, 22));
}

TEST_F(Blit, SpriteOffsetsMatchTheRowTableWhereverItReaches)
{
    // Offset RowOffsets[y + r] + x + c, for every row the table covers.
    TestPicture sprite(canvas, 32, 32, coded);
    Canvas reference;
    for (int y = -31; y < 1024 - 31; y += 7)
        for (int x = -40; x < 360; x += 13) {
            canvas.fill(9, 0);
            reference.fill(9, 0);
            addSprite32(sprite.picture, x, y);
            for (int n = 0; n < 1024; ++n) {
                const int r = n >> 5, c = n & 31;
                if (y + r < 0)
                    continue;
                const int o = RowOffsets[y + r] + x + c;
                if (o >= 641 && o <= 76799)
                    reference.pixels[o] = uint8_t(std::min(sprite.pixels[n] + 9, 255));
            }
            ASSERT_EQ(canvas.pixels, reference.pixels) << x << "," << y;
        }
}

class Line : public Blit {
protected:
    std::set<Pixel> line(int x0, int y0, int x1, int y1)
    {
        canvas.fill(0, 0);
        drawLine(*canvas.screen, x0, y0, x1, y1, 7);
        return changedPixels(canvas, 0);
    }
};

TEST_F(Line, BorderBandIsNeverPlotted)
{
    EXPECT_TRUE(line(0, 0, 10, 0).empty());
    EXPECT_EQ(line(5, 5, 5, 5), (std::set<Pixel>{{5, 5}}));
    EXPECT_EQ(line(0, 5, 319, 5), rectangle(1, 5, 318, 5));
    EXPECT_EQ(line(7, -50, 7, 300), rectangle(7, 1, 7, 238));
    EXPECT_TRUE(line(319, 0, 319, 239).empty());
    EXPECT_TRUE(line(0, 239, 319, 239).empty());
    EXPECT_EQ(line(-5, -5, 1, 1), (std::set<Pixel>{{1, 1}}));
    EXPECT_EQ(canvas.pixel(1, 1), 7);
}

TEST_F(Line, TiesOnTheErrorTermStepTheMinorAxisFirst)
{
    EXPECT_EQ(line(10, 10, 12, 11), (std::set<Pixel>{{10, 10}, {11, 11}, {12, 11}}));
    EXPECT_EQ(line(12, 11, 10, 10), (std::set<Pixel>{{12, 11}, {11, 10}, {10, 10}}));
    EXPECT_EQ(line(10, 10, 11, 12), (std::set<Pixel>{{10, 10}, {11, 11}, {11, 12}}));
    EXPECT_EQ(line(10, 10, 14, 11),
              (std::set<Pixel>{{10, 10}, {11, 10}, {12, 11}, {13, 11}, {14, 11}}));
}

TEST_F(Line, EqualStepsGiveACleanDiagonal)
{
    std::set<Pixel> diagonal;
    for (int i = 0; i <= 20; ++i)
        diagonal.insert({30 + i, 50 - i});
    EXPECT_EQ(line(30, 50, 50, 30), diagonal);
    EXPECT_EQ(line(50, 30, 30, 50), diagonal);
}

TEST_F(Line, EndPointsAndLengthFollowTheMajorAxis)
{
    const std::set<Pixel> steep = line(100, 100, 103, 120);
    EXPECT_EQ(steep.size(), 21u);
    EXPECT_TRUE(steep.count({100, 100}));
    EXPECT_TRUE(steep.count({103, 120}));
    const std::set<Pixel> shallow = line(200, 100, 150, 97);
    EXPECT_EQ(shallow.size(), 51u);
    EXPECT_TRUE(shallow.count({150, 97}));
}

}  // namespace
