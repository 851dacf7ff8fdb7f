#include "core/window.h"

#include "core/fatal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void (*PresentOverlay)(SDL_Surface* surface, int left, int top, int scale) = nullptr;

WindowRequest RequestedWindow;
ScaledWindow MainWindow;

int largestScale(int width, int height)
{
    return std::clamp(std::min(width / ScreenWidth, height / ScreenHeight), 1, MaxScale);
}

// The enlargement a window gets: --scale auto fits the desktop less room for
// panels and a title bar; a scale the whole desktop cannot hold is brought
// down to one it can, where the desktop's size is known.
static int windowScaleFor(const ScaledWindow& window, int requested)
{
    if (requested == AutoScale)
        return largestScale(window.desktopWidth, window.desktopHeight - DesktopAllowance);
    if (window.desktopWidth == 0 || window.desktopHeight == 0)
        return requested;
    const int fitting = largestScale(window.desktopWidth, window.desktopHeight);
    if (requested <= fitting)
        return requested;
    std::fprintf(stderr, "demo: a %d x window does not fit the %d x %d desktop; using %d x\n", requested,
                window.desktopWidth, window.desktopHeight, fitting);
    return fitting;
}

static void showWholeSurface(const ScaledWindow& window, const Screen& screen)
{
    SDL_FillRect(window.surface, nullptr, SDL_MapRGB(window.surface->format, 0, 0, 0));
    enlargeInto(window.surface, window.left, window.top, window.scale, screen.pixels,
                *screen.surface->format->palette);
    if (PresentOverlay)
        PresentOverlay(window.surface, window.left, window.top, window.scale);
    SDL_UpdateRect(window.surface, 0, 0, 0, 0);
}

// Sets the video mode of a window or of full screen at the desktop's
// resolution (no change of the display's mode) and places the picture in it.
// A mode the picture does not fit counts as failed.
static bool setWindowMode(ScaledWindow& window, bool fullScreen)
{
    int scale = window.windowScale;
    int width = ScreenWidth * scale;
    int height = ScreenHeight * scale;
    Uint32 flags = SDL_SWSURFACE;
    if (fullScreen) {
        scale = largestScale(window.desktopWidth, window.desktopHeight);
        width = std::max(window.desktopWidth, ScreenWidth * scale);
        height = std::max(window.desktopHeight, ScreenHeight * scale);
        flags |= SDL_FULLSCREEN;
    }
    SDL_Surface* surface = SDL_SetVideoMode(width, height, 32, flags);
    if (!surface)
        return false;
    if (surface->format->BytesPerPixel != 4 || surface->w < ScreenWidth * scale ||
        surface->h < ScreenHeight * scale) {
        SDL_SetError("a %d x %d surface of %d bytes a pixel cannot hold the picture at %d x",
                     surface->w, surface->h, int(surface->format->BytesPerPixel), scale);
        return false;
    }
    window.surface = surface;
    window.fullScreen = fullScreen;
    window.scale = scale;
    window.left = (surface->w - ScreenWidth * scale) / 2;
    window.top = (surface->h - ScreenHeight * scale) / 2;
    return true;
}

void openScaledWindow(ScaledWindow& window, const WindowRequest& request)
{
    // Before the first video mode SDL reports the desktop's own resolution.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    window.desktopWidth = info ? info->current_w : 0;
    window.desktopHeight = info ? info->current_h : 0;
    window.windowScale = windowScaleFor(window, request.scale);
    SDL_WM_SetCaption("Daylong", "Daylong");
    if (!setWindowMode(window, request.fullScreen))
        failWithMessage("Unable to set video: %s\n", SDL_GetError());
}

void enlargeInto(SDL_Surface* target, int left, int top, int scale, const uint8_t* pixels,
                 const SDL_Palette& palette)
{
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const SDL_Color colour = i < palette.ncolors ? palette.colors[i] : SDL_Color{0, 0, 0, 0};
        colours[i] = SDL_MapRGB(target->format, colour.r, colour.g, colour.b);
    }
    if (SDL_MUSTLOCK(target))
        SDL_LockSurface(target);
    const int pitch = target->pitch;
    const size_t rowBytes = size_t(ScreenWidth) * scale * 4;
    uint8_t* row = static_cast<uint8_t*>(target->pixels) + top * pitch + left * 4;
    // Each picture row becomes `scale` equal rows of the target: the first is
    // written colour by colour, each repeated `scale` times, and the others
    // are copies of it.
    for (int y = 0; y < ScreenHeight; ++y, pixels += ScreenWidth) {
        auto* out = reinterpret_cast<uint32_t*>(row);
        for (int x = 0; x < ScreenWidth; ++x) {
            const uint32_t colour = colours[pixels[x]];
            for (int repeat = 0; repeat < scale; ++repeat)
                *out++ = colour;
        }
        for (int copy = 1; copy < scale; ++copy)
            std::memcpy(row + copy * pitch, row, rowBytes);
        row += scale * pitch;
    }
    if (SDL_MUSTLOCK(target))
        SDL_UnlockSurface(target);
}

void presentScaled(ScaledWindow& window, const Screen& screen)
{
    enlargeInto(window.surface, window.left, window.top, window.scale, screen.pixels,
                *screen.surface->format->palette);
    if (PresentOverlay)
        PresentOverlay(window.surface, window.left, window.top, window.scale);
    SDL_UpdateRect(window.surface, window.left, window.top, ScreenWidth * window.scale,
                   ScreenHeight * window.scale);
}

void toggleFullScreen(ScaledWindow& window, const Screen& screen)
{
    const bool wasFullScreen = window.fullScreen;
    if (!setWindowMode(window, !wasFullScreen)) {
        std::fprintf(stderr, "demo: cannot switch %s full screen: %s\n", wasFullScreen ? "from" : "to",
                    SDL_GetError());
        if (!setWindowMode(window, wasFullScreen))
            failWithMessage("Unable to set video: %s\n", SDL_GetError());
    }
    showWholeSurface(window, screen);
}
