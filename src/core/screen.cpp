#include "core/screen.h"

#include "core/fatal.h"
#include "core/window.h"

#include <cstdlib>
#include <cstring>

Screen MainScreen;
uint32_t PresentedFrames = 0;
bool DisplayHeld = false;
void (*PresentOverlay)(SDL_Surface* surface, int left, int top, int scale) = nullptr;

void createScreen(Screen& screen, uint16_t width, uint16_t height, uint16_t bitsPerPixel)
{
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        failWithMessage("Unable to init SDL: %s\n", SDL_GetError());
    SDL_ShowCursor(0);
    std::atexit(SDL_Quit);
    screen.window = nullptr;
    if (RequestedWindow.scale == 0 && !RequestedWindow.fullScreen) {
        screen.surface = SDL_SetVideoMode(width, height, bitsPerPixel, 0);
    } else {
        openScaledWindow(MainWindow, RequestedWindow);
        screen.window = &MainWindow;
        screen.surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, bitsPerPixel, 0, 0, 0, 0);
    }
    if (!screen.surface)
        failWithMessage("Unable to set video: %s\n", SDL_GetError());
    screen.format = screen.surface->format;
    screen.pixelCount = uint32_t(width) * height;
    screen.width = width;
    screen.height = height;
    screen.packedPixels = nullptr;
    if (screen.surface->pitch == width) {
        screen.pixels = static_cast<uint8_t*>(screen.surface->pixels);
    } else {
        screen.packedPixels = new uint8_t[screen.pixelCount];
        screen.pixels = screen.packedPixels;
    }
    std::memset(screen.pixels, 0, screen.pixelCount);
}

// Copies the packed picture into a surface with padded rows, if there is one.
static void copyPackedRows(Screen& screen)
{
    auto* row = static_cast<uint8_t*>(screen.surface->pixels);
    for (uint32_t y = 0; y < screen.height; ++y, row += screen.surface->pitch)
        std::memcpy(row, screen.pixels + y * screen.width, screen.width);
}

// The original window shows the Screen's own surface: the rows an overlay
// may draw on are taken out again once the picture is on display.
static void presentWithOverlay(Screen& screen)
{
    constexpr size_t OverlayBytes = size_t(OverlayRows) * ScreenWidth;
    static uint8_t shown[OverlayBytes];
    const bool ownPixels = !screen.packedPixels;
    if (ownPixels)
        std::memcpy(shown, screen.pixels, OverlayBytes);
    PresentOverlay(screen.surface, 0, 0, 1);
    SDL_UpdateRect(screen.surface, 0, 0, screen.width, screen.height);
    if (ownPixels)
        std::memcpy(screen.pixels, shown, OverlayBytes);
    else
        copyPackedRows(screen);
}

void presentScreen(Screen& screen)
{
    ++PresentedFrames;
    if (DisplayHeld)
        return;
    if (screen.packedPixels)
        copyPackedRows(screen);
    if (screen.window)
        presentScaled(*screen.window, screen);
    else if (PresentOverlay)
        presentWithOverlay(screen);
    else
        SDL_UpdateRect(screen.surface, 0, 0, screen.width, screen.height);
}
