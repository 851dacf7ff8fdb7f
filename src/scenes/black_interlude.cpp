// Black interlude: one second of palette index 0 between the web and the
// portrait.
#include "core/screen.h"
#include "scenes/scenes.h"

#include <cstring>

void drawBlackInterlude()
{
    std::memset(MainScreen.pixels, 0, ScreenPixels);
}
