#include "test_png.h"

#include <png.h>

#include <cstdio>
#include <stdexcept>

namespace {

void writePng(const std::filesystem::path& path, int width, int height, int colourType,
              int bytesPerPixel, const uint8_t* rows, const std::vector<RgbColour>* palette)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("libpng failed on " + path.string());
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, uint32_t(width), uint32_t(height), 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> entries;
    if (palette) {
        for (const RgbColour& c : *palette)
            entries.push_back({c.r, c.g, c.b});
        png_set_PLTE(png, info, entries.data(), int(entries.size()));
    }
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rows + size_t(y) * width * bytesPerPixel);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

}  // namespace

void writeGrayPng(const std::filesystem::path& path, int width, int height,
                  const std::vector<uint8_t>& values)
{
    writePng(path, width, height, PNG_COLOR_TYPE_GRAY, 1, values.data(), nullptr);
}

void writeIndexedPng(const std::filesystem::path& path, int width, int height,
                     const std::vector<uint8_t>& indices, const std::vector<RgbColour>& palette)
{
    writePng(path, width, height, PNG_COLOR_TYPE_PALETTE, 1, indices.data(), &palette);
}

void writeRgbPng(const std::filesystem::path& path, int width, int height,
                 const std::vector<uint8_t>& rgb)
{
    writePng(path, width, height, PNG_COLOR_TYPE_RGB, 3, rgb.data(), nullptr);
}

uintmax_t fileSize(const std::filesystem::path& path)
{
    return std::filesystem::file_size(path);
}
