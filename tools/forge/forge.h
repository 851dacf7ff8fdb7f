// The asset forge: writes every data file the show reads, from code, the same
// bytes on every run. Each kind of asset lives in its own file; main.cpp runs
// them in order.
#pragma once

#include "core/data_files.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};
using Palette = std::array<Rgb, 256>;

// Deterministic generator of the forge's own (xorshift32). The show's rand()
// sequence belongs to the show, so the forge never calls the C library's rand.
struct ForgeRandom {
    uint32_t state;
};
uint32_t nextRandom(ForgeRandom& random);
int randomBelow(ForgeRandom& random, int n);     // 0 .. n-1
double randomUnit(ForgeRandom& random);          // [0, 1)

// Writes a RIFF palette: 24-byte header, then 256 entries of r, g, b, 0.
void writePalette(const std::string& path, const Palette& palette);
// Reads back a palette written by writePalette (the forge maps converted
// pictures onto the exact colours of the palette in force when they load).
Palette readPalette(const std::string& path);

// Where a data file goes in the folder being forged.
std::string forgedPath(const std::string& dir, const DataFile& file);
// A palette already forged into dir.
Palette readForgedPalette(const std::string& dir, const DataFile& palette);
// The palette in force when the show loads a converted picture.
Palette paletteAtLoad(const std::string& dir, const DataFile& picture);

// 8-bit grayscale PNG (colour type 0). exactSize 0 = any size; otherwise the
// file is padded with a private ancillary chunk to exactly that many bytes,
// and the forge stops with a message when the picture cannot fit.
void writeGrayPng(const std::string& path, int width, int height,
                  const std::vector<uint8_t>& pixels, uint32_t exactSize);
// 8-bit indexed PNG carrying all 256 colours of the palette, no tRNS.
void writeIndexedPng(const std::string& path, int width, int height,
                     const std::vector<uint8_t>& pixels, const Palette& palette,
                     uint32_t exactSize);

// The smallest padding chunk is 12 bytes, so a picture that leaves at
// least that much room can always be padded to its exact size.
constexpr uint32_t PaddingRoom = 12;

// Encoded size of a picture before padding, the smallest of the settings
// the writers try first; a picture that leaves at least PaddingRoom bytes of
// its budget free can be written with one of those plus padding.
uint32_t encodedGraySize(int width, int height, const std::vector<uint8_t>& pixels);
uint32_t encodedIndexedSize(int width, int height, const std::vector<uint8_t>& pixels,
                            const Palette& palette);
// Whether the encoded size above leaves PaddingRoom of `budget` free, found
// without making more encodings than it takes. Pictures with a byte budget
// tune their amount of detail with it.
bool grayPictureFits(int width, int height, const std::vector<uint8_t>& pixels, uint32_t budget);
bool indexedPictureFits(int width, int height, const std::vector<uint8_t>& pixels,
                        const Palette& palette, uint32_t budget);

// One entry point per kind of asset, each writing its files into dir.
void forgePalettes(const std::string& dir);        // sky, logo, glow and start palettes
void forgeScenePalettes(const std::string& dir);   // jungle, forest, leaves, mask, portrait
void forgePictures(const std::string& dir);        // needs the palettes written first
void forgeScenePictures(const std::string& dir);   // needs the palettes written first
void forgeMeshes(const std::string& dir);
void forgeFont(const std::string& dir);
void forgeMusic(const std::string& dir);
// The same piece as a 16-bit PCM stereo WAV file at the music's rate.
void forgeMusicWav(const std::string& path);

// Draws every forged picture under its scene's palette and every mesh
// projected, labelled, into one RGB PNG.
void drawContactSheet(const std::string& dir, const std::string& path);

// Ends the forge with status 1 and one line about a file it reads or writes.
[[noreturn]] void forgeFileFailure(const std::string& what);
// A forged grayscale or indexed picture read back: its own 8-bit values,
// without the palette. Ends the forge naming the file when it cannot.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};
IndexedImage readIndices(const std::string& path);
// An 8-bit RGB (3 channels) or RGBA (4) PNG, rows packed.
void writeRgbPng(const std::string& path, int width, int height, int channels,
                 const std::vector<uint8_t>& samples);

// The desktop icon, from the forged data set in dataDir, as
// outDir/daylong-SIZE.png at each of IconSizes.
inline constexpr int IconSizes[] = {48, 128, 256};
void forgeIcons(const std::string& dataDir, const std::string& outDir);
