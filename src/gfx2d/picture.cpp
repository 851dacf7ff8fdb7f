#include "gfx2d/picture.h"

#include "core/fatal.h"

#include <SDL/SDL_image.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

// Every data picture is a PNG written by our forge. The file is read whole and
// its chunk structure checked before any decoder sees it, and only the PNG
// decoder is called: no other image reader ever runs on a data file.
constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// No picture of the show needs a longer file; a longer one is not read.
constexpr long MaxPictureFileBytes = 64L << 20;

// The whole file, once its size is the expected one.
static std::vector<uint8_t> readPictureFile(const char* path, int32_t expectedSize)
{
    std::FILE* file = openDataFile(path);
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        failWithMessage("unable to read %s\n", path);
    }
    // Checked before anything is read, so a file of the wrong size never
    // reaches a decoder.
    if (expectedSize != 0 && size != expectedSize) {
        std::fclose(file);
        failWithMessage("bad picture %s: %ld bytes, the show needs %d\n", path, size,
                        int(expectedSize));
    }
    if (size > MaxPictureFileBytes) {
        std::fclose(file);
        failWithMessage("bad picture %s: %ld bytes, more than any picture needs\n", path, size);
    }
    std::vector<uint8_t> bytes(size_t(size), 0);
    const bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!read)
        failWithMessage("unable to read %s\n", path);
    return bytes;
}

static uint32_t bigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Refuses sizes the show cannot address: 0, or a side over MaxPictureSide.
static void requireAddressableSize(const char* path, uint32_t width, uint32_t height)
{
    if (width >= 1 && width <= MaxPictureSide && height >= 1 && height <= MaxPictureSide)
        return;
    failWithMessage("bad picture %s: %ux%u pixels, the show addresses 1..%d each way\n", path,
                    unsigned(width), unsigned(height), MaxPictureSide);
}

// CRC-32 as PNG chunks carry it (reflected polynomial 0xEDB88320), over
// `count` bytes.
static uint32_t pngCrc(const uint8_t* bytes, size_t count)
{
    static const std::array<uint32_t, 256> Table = [] {
        std::array<uint32_t, 256> table{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i)
        crc = Table[(crc ^ bytes[i]) & 255] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// The PNG's frame: the signature, then chunks (length, type, data, CRC) that
// each fit the file and match their CRC, IHDR first with an addressable size,
// IEND last at the very end. A file cut short, followed by stray bytes or with
// a byte changed anywhere (the CRCs cover every chunk's type and data) fails
// here, by name, rather than in the decoder.
static void requirePngFrame(const std::vector<uint8_t>& bytes, const char* path)
{
    if (bytes.empty())
        failWithMessage("bad picture %s: empty file\n", path);
    if (bytes.size() < sizeof PngSignature || std::memcmp(bytes.data(), PngSignature, 8) != 0)
        failWithMessage("bad picture %s: not a PNG file\n", path);
    size_t at = sizeof PngSignature;
    for (bool first = true;; first = false) {
        const size_t left = bytes.size() - at;
        const uint32_t length = left >= 12 ? bigEndian32(&bytes[at]) : 0;
        if (left < 12 || length > left - 12)
            failWithMessage("bad picture %s: cut short at byte %zu\n", path, at);
        const uint8_t* type = &bytes[at + 4];
        if (pngCrc(type, 4 + length) != bigEndian32(type + 4 + length))
            failWithMessage("bad picture %s: damaged chunk at byte %zu\n", path, at);
        if (first && (length != 13 || std::memcmp(type, "IHDR", 4) != 0))
            failWithMessage("bad picture %s: no PNG header chunk\n", path);
        if (first)
            requireAddressableSize(path, bigEndian32(type + 4), bigEndian32(type + 8));
        at += 12 + size_t(length);
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
    }
    if (at != bytes.size())
        failWithMessage("bad picture %s: stray bytes after its end chunk (%zu)\n", path,
                        bytes.size() - at);
}

// The browser's SDL has no PNG decoder of its own: its front end always
// supplies decoded pictures through PictureSource.
static SDL_Surface* decodePng(const std::vector<uint8_t>& bytes)
{
#ifdef __EMSCRIPTEN__
    (void)bytes;
    return nullptr;
#else
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!source)
        return nullptr;
    SDL_Surface* decoded = IMG_LoadPNG_RW(source);
    SDL_RWclose(source);
    return decoded;
#endif
}

// The copy below reads pitch-spaced rows as one run, so every row must hold
// its width in pixels.
static void requireWholeRows(const SDL_Surface* surface, const char* path)
{
    requireAddressableSize(path, uint32_t(surface->w), uint32_t(surface->h));
    const int rowBytes = surface->w * surface->format->BytesPerPixel;
    if (surface->pitch < rowBytes)
        failWithMessage("bad picture %s: rows of %d bytes are short of %d\n", path,
                        int(surface->pitch), rowBytes);
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
    const std::vector<uint8_t> bytes = readPictureFile(path, expectedSize);

    if (PictureSource) {
        if (!PictureSource(picture, path, screen, grayscale))
            failWithMessage("bad picture %s: no decoded copy of it\n", path);
        return;
    }

    requirePngFrame(bytes, path);
    SDL_Surface* decoded = decodePng(bytes);
    if (!decoded)
        failWithMessage("bad picture %s: cannot decode: %s\n", path, IMG_GetError());
    requireWholeRows(decoded, path);
    framePicture(picture, uint16_t(decoded->w), uint16_t(decoded->h));

    if (grayscale) {
        const int depth = decoded->format->BitsPerPixel;
        if (depth != 8)
            failWithMessage("error: grayscale picture %s in wrong depth %d\n", path, depth);
        copySurfacePixels(picture, decoded);
    } else {
        SDL_Surface* converted = SDL_ConvertSurface(decoded, screen.format, 0);
        if (!converted)
            failWithMessage("bad picture %s: cannot convert: %s\n", path, SDL_GetError());
        requireWholeRows(converted, path);
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
