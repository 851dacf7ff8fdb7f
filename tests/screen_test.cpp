// The Screen: construction, start-up failures and the packed pixel layout.
#include "core/screen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

TEST(Screen, FreshScreenIsColourZeroEverywhere)
{
    EXPECT_EXIT(
        {
            Screen screen;
            createScreen(screen, 320, 240, 8);
            bool blank = screen.pixelCount == 76800 && screen.width == 320 && screen.height == 240;
            for (uint32_t i = 0; i < screen.pixelCount; ++i)
                blank = blank && screen.pixels[i] == 0;
            std::exit(blank ? 0 : 3);
        },
        testing::ExitedWithCode(0), "");
}

TEST(Screen, VideoThatCannotStartEndsWithTheSdlMessage)
{
    EXPECT_EXIT_WITH_OUTPUT(
        {
            SDL_Quit();  // another test may have started SDL in this process
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            Screen screen;
            createScreen(screen, 320, 240, 8);
        },
        "^Unable to init SDL: .*\n");
}

// A surface whose rows are 336 bytes apart: the show still draws into a
// packed 320-byte-pitch buffer, and the present copies it row by row.
TEST(Screen, PaddedSurfaceRowsReceiveThePackedPicture)
{
    testScreen();  // SDL's video layer must be up for SDL_UpdateRect
    constexpr int Pitch = 336;
    std::vector<uint8_t> memory(Pitch * 240, 0xEE);
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceFrom(memory.data(), 320, 240, 8, Pitch, 0, 0, 0, 0);
    ASSERT_NE(surface, nullptr);
    Screen screen{};
    screen.surface = surface;
    screen.width = 320;
    screen.height = 240;
    screen.pixelCount = 76800;
    std::vector<uint8_t> packed(76800);
    screen.packedPixels = packed.data();
    screen.pixels = packed.data();
    for (int i = 0; i < 76800; ++i)
        packed[i] = uint8_t(i * 7);
    presentScreen(screen);
    EXPECT_EQ(memory[0], packed[0]);
    EXPECT_EQ(memory[Pitch * 5 + 17], packed[320 * 5 + 17]);
    EXPECT_EQ(memory[Pitch * 239 + 319], packed[76799]);
    EXPECT_EQ(memory[Pitch * 5 + 320], 0xEE) << "the padding is left alone";
    SDL_FreeSurface(surface);
}

}  // namespace
