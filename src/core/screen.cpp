#include "core/screen.h"

#include "core/fatal.h"
#include "core/window.h"

#include <cstdlib>
#include <cstring>

Screen MainScreen;
uint32_t PresentedFrames = 0;
bool DisplayHeld = false;

constexpr Uint32 SdlSubsystems = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;

// The video drivers that are a display, tried in this order where the user
// chose none. SDL's own search goes on past them to drivers that draw the
// picture as text art into the terminal, taking it over: with no display the
// show ends instead, saying what to set.
static const char* const DisplayDrivers[] = {"x11", "fbcon"};

static void startSdlOnDisplay()
{
    for (const char* driver : DisplayDrivers) {
        setenv("SDL_VIDEODRIVER", driver, 1);
        const bool started = SDL_Init(SdlSubsystems) == 0;
        unsetenv("SDL_VIDEODRIVER");
        if (started)
            return;
        SDL_Quit();
    }
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        failWithMessage("No display: the X display %s cannot be opened. Run the show on a desktop, "
                        "or choose a video driver with SDL_VIDEODRIVER (dummy shows nothing).\n",
                        display);
    failWithMessage("No display: DISPLAY is not set. Run the show on a desktop, or choose a video "
                    "driver with SDL_VIDEODRIVER (dummy shows nothing).\n");
}

void createScreen(Screen& screen, uint16_t width, uint16_t height, uint16_t bitsPerPixel)
{
    const char* chosenDriver = std::getenv("SDL_VIDEODRIVER");
    if (!chosenDriver || !*chosenDriver)
        startSdlOnDisplay();
    else if (SDL_Init(SdlSubsystems) < 0)
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
