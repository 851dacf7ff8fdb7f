#include "gfx2d/picture.h"

#include "core/fatal.h"
#include "gfx2d/png_chunks.h"

#include <SDL/SDL_image.h>

#include <cstdio>
#include <cstring>
#include <vector>

// True when the file at `path` is exactly `expectedSize` bytes long. Checked
// before decoding, so a file of the wrong size never reaches the decoder.
static bool hasExactSize(std::FILE* file, int32_t expectedSize)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file);
    if (size != expectedSize)
        return false;
    return std::fseek(file, 0, SEEK_SET) == 0;
}

static bool readWholeFile(std::FILE* file, std::vector<uint8_t>& bytes)
{
    uint8_t chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    return !std::ferror(file);
}

// The size first, then the chunk layout, before any decoding.
static void openAndCheckSize(const char* path, int32_t expectedSize)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        failSilently();
    std::vector<uint8_t> bytes;
    const bool sizeOk =
        (expectedSize == 0 || hasExactSize(file, expectedSize)) && readWholeFile(file, bytes);
    std::fclose(file);
    if (!sizeOk)
        failSilently();
    if (!pngChunksFit(bytes.data(), bytes.size()))
        failWithMessage("bad picture %s: a PNG chunk runs past the end of the file\n", path);
}

// Copies the first pixelCount bytes of the surface's memory. Row padding is not
// skipped: the show's pictures are 8-bit with widths that are multiples of 4,
// so their rows carry none. The surface holds pitch * h >= pixelCount bytes.
static void copySurfacePixels(Picture& picture, const SDL_Surface* surface)
{
    std::memcpy(picture.pixels, surface->pixels, picture.pixelCount);
}

bool (*PictureSource)(Picture& picture, const char* path, const Screen& screen,
                      bool grayscale) = nullptr;

void framePicture(Picture& picture, uint16_t width, uint16_t height)
{
    picture.width = width;
    picture.height = height;
    picture.pixelCount = uint32_t(width) * height;
    picture.limit = 255;
    picture.left = 0;
    picture.top = 0;
    picture.right = width;
    picture.bottom = height;
    // One spare byte past the image, never written.
    picture.pixels = new uint8_t[picture.pixelCount + 1]();
}

void loadPicture(Picture& picture, const char* path, Screen& screen, int32_t expectedSize,
                 bool grayscale)
{
    picture.screen = &screen;
    openAndCheckSize(path, expectedSize);

    if (PictureSource) {
        if (!PictureSource(picture, path, screen, grayscale))
            failSilently();
        return;
    }

    SDL_Surface* decoded = IMG_Load(path);
    if (!decoded)
        failSilently();
    framePicture(picture, uint16_t(decoded->w), uint16_t(decoded->h));

    if (grayscale) {
        const int depth = decoded->format->BitsPerPixel;
        if (depth != 8)
            failWithMessage("error: grayscale picture in wrong depth %d\n", depth);
        copySurfacePixels(picture, decoded);
    } else {
        SDL_Surface* converted = SDL_ConvertSurface(decoded, screen.format, 0);
        // A conversion that fails is a picture that cannot be shown: the same
        // silent end as one that cannot be decoded.
        if (!converted)
            failSilently();
        copySurfacePixels(picture, converted);
        SDL_FreeSurface(converted);
    }
    SDL_FreeSurface(decoded);
}

void requirePictureShape(const Picture& picture, const char* path, int width, int minHeight,
                         int maxHeight)
{
    if (picture.width == width && picture.height >= minHeight && picture.height <= maxHeight)
        return;
    failWithMessage("bad picture %s: %dx%d, the show needs %dx%d\n", path, int(picture.width),
                    int(picture.height), width, minHeight);
}

void loadDataPicture(Picture& picture, const DataFile& file, Screen& screen)
{
    loadPicture(picture, file.path, screen, int32_t(file.bytes), file.kind == DataKind::GrayPicture);
    requirePictureShape(picture, file.path, file.width, file.minHeight, file.maxHeight);
}
