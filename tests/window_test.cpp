// The scaled window's enlargement: whole blocks of the palette's colours,
// placed where asked in any 32-bit layout, and the fit to a desktop.
#include "core/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Window, EnlargesEveryPixelIntoABlockOfItsPaletteColour)
{
    // Blue in the low byte, and rows padded past the picture, as a desktop
    // surface may have them; the picture lands 3 pixels in and 2 rows down.
    constexpr int Scale = 3, Left = 3, Top = 2;
    constexpr int Width = ScreenWidth * Scale + 2 * Left, Height = ScreenHeight * Scale + 2 * Top;
    constexpr int Pitch = Width * 4 + 16;
    std::vector<uint8_t> memory(size_t(Pitch) * Height, 0xEE);
    SDL_Surface* target = SDL_CreateRGBSurfaceFrom(memory.data(), Width, Height, 32, Pitch,
                                                   0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    ASSERT_NE(target, nullptr);
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = SDL_Color{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    const SDL_Palette palette{256, colours};
    std::vector<uint8_t> pixels(ScreenPixels);
    for (int i = 0; i < ScreenPixels; ++i)
        pixels[i] = uint8_t(i * 13 + i / ScreenWidth);

    enlargeInto(target, Left, Top, Scale, pixels.data(), palette);

    auto at = [&](int x, int y) { return *reinterpret_cast<uint32_t*>(&memory[y * Pitch + x * 4]); };
    int wrong = 0;
    for (int y = 0; y < ScreenHeight * Scale; ++y)
        for (int x = 0; x < ScreenWidth * Scale; ++x) {
            const SDL_Color c = colours[pixels[(y / Scale) * ScreenWidth + x / Scale]];
            wrong += at(Left + x, Top + y) != (uint32_t(c.r) << 16 | c.g << 8 | c.b);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(at(Left - 1, Top), 0xEEEEEEEEu) << "left of the picture is left alone";
    EXPECT_EQ(at(Left + ScreenWidth * Scale, Top), 0xEEEEEEEEu) << "right of it too";
    EXPECT_EQ(at(Left, Top - 1), 0xEEEEEEEEu) << "and the row above";
    EXPECT_EQ(at(Left, Top + ScreenHeight * Scale), 0xEEEEEEEEu) << "and the row below";
    SDL_FreeSurface(target);
}

TEST(Window, LargestScaleFitsBothSidesAndStaysInRange)
{
    EXPECT_EQ(largestScale(1920, 1080), 4);
    EXPECT_EQ(largestScale(1920, 1080 - DesktopAllowance), 4);
    EXPECT_EQ(largestScale(2560, 720), 3) << "the height limits";
    EXPECT_EQ(largestScale(1000, 1440), 3) << "the width limits";
    EXPECT_EQ(largestScale(200, 100), 1) << "a desktop smaller than the picture";
    EXPECT_EQ(largestScale(0, -80), 1) << "a desktop of unknown size";
    EXPECT_EQ(largestScale(100000, 100000), MaxScale);
}

}  // namespace
