// The single 320 x 240 8-bit display. Every drawing operation writes the
// packed pixel array directly: pixel (x, y) at y * 320 + x.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 240;
constexpr int ScreenPixels = ScreenWidth * ScreenHeight;

struct ScaledWindow;

struct Screen {
    // The 8-bit surface the show draws into and sets palettes on: the video
    // surface itself, or with a scaled window a surface of the Screen's own.
    SDL_Surface* surface;
    SDL_PixelFormat* format;
    uint32_t pixelCount;
    uint32_t width;
    uint32_t height;
    uint8_t* pixels;              // the surface's memory, or packedPixels
    int32_t depth[ScreenPixels];  // view depth per pixel, 8.8 model units
    SDL_Color colours[256];       // palette staging for loadPalette
    // Where the surface's rows are not exactly 320 bytes apart the show draws
    // into this buffer of its own and presentScreen copies it row by row.
    uint8_t* packedPixels;
    ScaledWindow* window;  // where the picture is shown enlarged; null: none
};

extern Screen MainScreen;
// Frames handed to the display so far; the recorder watches it.
extern uint32_t PresentedFrames;

// While set, presentScreen counts its frames but leaves the display alone: a
// front end runs the show ahead unseen.
extern bool DisplayHeld;

// Initialises SDL (audio, video, joystick) and the video mode; exits with
// status 1 and a message when either fails. Fills the picture with 0. With a
// scale or full screen in RequestedWindow (core/window.h) the Screen draws
// into a surface of its own and the video mode is the scaled window's.
void createScreen(Screen& screen, uint16_t width, uint16_t height, uint16_t bitsPerPixel);
void presentScreen(Screen& screen);
