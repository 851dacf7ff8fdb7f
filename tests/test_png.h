// Small PNG files written by the tests, to exercise the picture loader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

struct RgbColour {
    uint8_t r, g, b;
};

// 8-bit grayscale (colour type 0): the bytes are the values.
void writeGrayPng(const std::filesystem::path& path, int width, int height,
                  const std::vector<uint8_t>& values);
// 8-bit indexed with the given palette (at most 256 entries), no tRNS chunk.
void writeIndexedPng(const std::filesystem::path& path, int width, int height,
                     const std::vector<uint8_t>& indices, const std::vector<RgbColour>& palette);
// 24-bit truecolour, three bytes per pixel.
void writeRgbPng(const std::filesystem::path& path, int width, int height,
                 const std::vector<uint8_t>& rgb);

uintmax_t fileSize(const std::filesystem::path& path);
