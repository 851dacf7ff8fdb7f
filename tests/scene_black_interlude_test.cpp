// The black interlude covers every pixel with palette index 0.
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BlackInterlude, EveryPixelTakesIndexZero)
{
    testScreen();
    std::memset(MainScreen.pixels, 93, ScreenPixels);
    drawBlackInterlude();
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(MainScreen.pixels[i], 0) << i;
}
