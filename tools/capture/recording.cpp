#include "recording.h"

#include "platform/frame.h"

#include <png.h>

#include <cinttypes>
#include <cstring>

void takeDisplayCopy(DisplayCopy& copy, const Screen& screen)
{
    std::memcpy(copy.pixels, screen.pixels, ScreenPixels);
    const SDL_Palette* palette = screen.surface->format->palette;
    for (int i = 0; i < 256; ++i) {
        const SDL_Color colour = i < palette->ncolors ? palette->colors[i] : SDL_Color{0, 0, 0, 0};
        copy.palette[3 * i] = colour.r;
        copy.palette[3 * i + 1] = colour.g;
        copy.palette[3 * i + 2] = colour.b;
    }
}

uint64_t hashBytes(const uint8_t* bytes, size_t count)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

void writeLogLine(FILE* log, uint32_t now, const DisplayCopy& display)
{
    std::fprintf(log, "%" PRIu32 " %" PRIu32 " %" PRId32 " %" PRIx32 " %016" PRIx64 " %016" PRIx64 "\n",
                 now, DemoTime, TickCount, SceneMask, hashBytes(display.pixels, ScreenPixels),
                 hashBytes(display.palette, sizeof display.palette));
}

void writeDisplayPng(const std::string& path, const DisplayCopy& display)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "demo-capture: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "demo-capture: cannot encode %s\n", path.c_str());
        std::exit(1);
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, ScreenWidth, ScreenHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    uint8_t row[ScreenWidth * 3];
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x)
            std::memcpy(row + 3 * x, display.palette + 3 * display.pixels[y * ScreenWidth + x], 3);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void writeDisplayRaw(const std::string& path, const DisplayCopy& display)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(display.pixels, 1, ScreenPixels, file) != ScreenPixels ||
        std::fwrite(display.palette, 1, sizeof display.palette, file) != sizeof display.palette) {
        std::fprintf(stderr, "demo-capture: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(file);
}
