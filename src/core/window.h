// The show on a desktop: the Screen enlarged by a whole number into a 32-bit
// window, or full screen at the desktop's own resolution, centred on black.
// The Screen stays the 320 x 240 8-bit picture with its palette, in a surface
// of its own: the show draws and sets palettes exactly as in the original
// window, and only the present converts, each pixel through the palette into
// a scale x scale block of one colour.
#pragma once

#include "core/screen.h"

#include <cstdint>

constexpr int AutoScale = -1;  // the largest window that fits the desktop
constexpr int MaxScale = 16;
// Desktop rows --scale auto leaves free for panels and the window's title bar.
constexpr int DesktopAllowance = 80;

// What the show's entry asks for before the Screen is created.
struct WindowRequest {
    int scale = 0;  // 0: the original 8-bit window; 1..MaxScale or AutoScale
    bool fullScreen = false;
};
extern WindowRequest RequestedWindow;

struct ScaledWindow {
    SDL_Surface* surface;  // the 32-bit video surface
    int desktopWidth;      // the desktop's resolution before the show's first
    int desktopHeight;     //   video mode; 0 where the driver does not say
    int windowScale;       // the enlargement in a window, 1..MaxScale
    bool fullScreen;
    int scale;             // the enlargement on display now
    int left;              // the picture's top-left corner in the surface
    int top;
};
extern ScaledWindow MainWindow;

// The largest whole scale, 1..MaxScale, at which 320 x 240 fits width x
// height; 1 where not even the original size fits.
int largestScale(int width, int height);

// Reads the desktop's resolution and opens the requested window, or exits
// with status 1 and "Unable to set video: %s\n". SDL's video must be up and
// no video mode set yet.
void openScaledWindow(ScaledWindow& window, const WindowRequest& request);

// Converts the 320 x 240 indices through `palette` into the 32-bit `target`
// with the picture's top-left corner at (left, top); the block must lie
// inside the target.
void enlargeInto(SDL_Surface* target, int left, int top, int scale, const uint8_t* pixels,
                 const SDL_Palette& palette);

// The current picture into the window and onto the display.
void presentScaled(ScaledWindow& window, const Screen& screen);

// From the window to full screen or back, showing the current picture again.
// Where the new mode cannot be set the previous one comes back; where that
// fails too the show ends with status 1 and "Unable to set video: %s\n".
void toggleFullScreen(ScaledWindow& window, const Screen& screen);

// Drawn over each presented picture, never into the Screen: called with the
// surface about to be shown, the picture's top-left corner in it and its
// enlargement. It draws within the picture's top OverlayRows rows (times the
// enlargement). Null: nothing.
extern void (*PresentOverlay)(SDL_Surface* surface, int left, int top, int scale);
constexpr int OverlayRows = 32;
