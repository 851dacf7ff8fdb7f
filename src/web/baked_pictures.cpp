#include "web/baked_pictures.h"

#include <cstdio>
#include <cstring>

// FNV-1a, 32 bits, over the red, green and blue of all 256 staged colours.
static uint32_t stagedPaletteHash(const Screen& screen)
{
    uint32_t hash = 0x811c9dc5u;
    for (const SDL_Color& colour : screen.colours)
        for (uint8_t channel : {colour.r, colour.g, colour.b}) {
            hash ^= channel;
            hash *= 0x01000193u;
        }
    return hash;
}

std::string bakedPictureName(const char* path, const Screen& screen, bool grayscale)
{
    const char* slash = std::strrchr(path, '/');
    std::string name = slash ? slash + 1 : path;
    if (grayscale)
        return name + ".g";
    char palette[16];
    std::snprintf(palette, sizeof palette, ".c%08x", unsigned(stagedPaletteHash(screen)));
    return name + palette;
}

bool writeBakedPicture(const std::string& file, const Picture& picture)
{
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return false;
    const uint8_t header[4] = {uint8_t(picture.width), uint8_t(picture.width >> 8),
                               uint8_t(picture.height), uint8_t(picture.height >> 8)};
    const bool written = std::fwrite(header, 1, 4, out) == 4 &&
                         std::fwrite(picture.pixels, 1, picture.pixelCount, out) == picture.pixelCount;
    return std::fclose(out) == 0 && written;
}

bool readBakedPicture(const std::string& file, Picture& picture)
{
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in)
        return false;
    uint8_t header[4];
    bool read = std::fread(header, 1, 4, in) == 4;
    if (read) {
        framePicture(picture, uint16_t(header[0] | header[1] << 8), uint16_t(header[2] | header[3] << 8));
        read = std::fread(picture.pixels, 1, picture.pixelCount, in) == picture.pixelCount &&
               std::fgetc(in) == EOF;
    }
    std::fclose(in);
    return read;
}
