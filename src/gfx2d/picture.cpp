#include "gfx2d/picture.h"

#include "core/data_folder.h"
#include "core/fatal.h"
#include "core/target.h"
#include "gfx2d/byte_words.h"

#include <SDL/SDL_image.h>
#ifndef __EMSCRIPTEN__
#include <zlib.h>
#endif

#include <array>
#include <bit>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// Every data picture is a PNG written by our forge. The file is read whole and
// its chunk structure checked before any decoder sees it, and only PNG
// decoders are called, our own and SDL_image's PNG one: no other image reader
// ever runs on a data file.
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
// `count` bytes. Four bytes a step through four tables (Tables[k] advances
// a byte's remainder by k further zero bytes), from a word boundary on: the
// checks of every data picture cost start-up a quarter of a byte-at-a-time
// table's instructions on an ARM9, which has no CRC instruction.
uint32_t pngCrc(const uint8_t* bytes, size_t count)
{
    static const std::array<std::array<uint32_t, 256>, 4> Tables = [] {
        std::array<std::array<uint32_t, 256>, 4> tables{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            tables[0][n] = c;
        }
        for (size_t k = 1; k < 4; ++k)
            for (uint32_t n = 0; n < 256; ++n)
                tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 255];
        return tables;
    }();
    const auto byteStep = [](uint32_t crc, uint8_t byte) {
        return Tables[0][(crc ^ byte) & 255] ^ (crc >> 8);
    };
    uint32_t crc = 0xFFFFFFFFu;
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i < count && (reinterpret_cast<uintptr_t>(bytes + i) & 3) != 0; ++i)
            crc = byteStep(crc, bytes[i]);
        for (; i + 4 <= count; i += 4) {
            uint32_t word;
            std::memcpy(&word, __builtin_assume_aligned(bytes + i, 4), 4);
            crc ^= word;
            crc = Tables[3][crc & 255] ^ Tables[2][(crc >> 8) & 255] ^
                  Tables[1][(crc >> 16) & 255] ^ Tables[0][crc >> 24];
        }
    }
    for (; i < count; ++i)
        crc = byteStep(crc, bytes[i]);
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

void undoUpFilterPlainly(uint8_t* out, const uint8_t* row, const uint8_t* above, size_t width)
{
    for (size_t x = 0; x < width; ++x)
        out[x] = uint8_t(row[x] + above[x]);
}

// Four bytes a step where `out` and `above` are word aligned: the filtered
// bytes, at any alignment, are joined from the two aligned words they
// straddle, from byte 4 on so that no word begins before the row, and while
// the word after them still ends within it. The low seven bits of each byte
// add without carrying out of it and bit 7 is their carry's sum with the
// two bits 7, so each byte wraps at 256 on its own.
void undoUpFilterByWords(uint8_t* out, const uint8_t* row, const uint8_t* above, size_t width)
{
    constexpr uint32_t Low7 = 0x7F7F7F7Fu;
    size_t x = 0;
    if (std::endian::native == std::endian::little &&
        ((reinterpret_cast<uintptr_t>(out) | reinterpret_cast<uintptr_t>(above)) & 3) == 0 && width >= 12) {
        for (; x < 4; ++x)
            out[x] = uint8_t(row[x] + above[x]);
        const size_t misalignment = reinterpret_cast<uintptr_t>(row) & 3;
        const uint8_t* words = row - misalignment;  // word aligned; words + 4 is within the row
        const uint32_t shift = uint32_t(8 * misalignment);
        uint32_t low = loadWord(words + x);
        for (; x + 8 <= width; x += 4) {
            const uint32_t high = loadWord(words + x + 4);
            const uint32_t filtered = bytesAcross(low, high, shift);
            low = high;
            const uint32_t up = loadWord(above + x);
            const uint32_t sum = ((filtered & Low7) + (up & Low7)) ^ ((filtered ^ up) & HighBits);
            storeWord(out + x, sum);
        }
    }
    for (; x < width; ++x)
        out[x] = uint8_t(row[x] + above[x]);
}

#ifndef __EMSCRIPTEN__
// Undoes a row's PNG filter: `row` holds the filtered bytes, `above` the row
// above as decoded (null for the first row, read as 0), and the decoded row
// goes to `out`, one byte a pixel. Sums wrap at 256 as the filters define.
static void unfilterRow(uint8_t filter, const uint8_t* row, const uint8_t* above, uint8_t* out,
                        size_t width)
{
    static const uint8_t zeros[MaxPictureSide] = {};
    const uint8_t* up = above ? above : zeros;
    switch (filter) {
    case 0:
        std::memcpy(out, row, width);
        break;
    case 1:
        out[0] = row[0];
        for (size_t x = 1; x < width; ++x)
            out[x] = uint8_t(row[x] + out[x - 1]);
        break;
    case 2:
        if constexpr (VectorUnit)
            undoUpFilterPlainly(out, row, up, width);
        else
            undoUpFilterByWords(out, row, up, width);
        break;
    case 3:
        out[0] = uint8_t(row[0] + up[0] / 2);
        for (size_t x = 1; x < width; ++x)
            out[x] = uint8_t(row[x] + (out[x - 1] + up[x]) / 2);
        break;
    default:
        // Paeth: whichever of left, up and upper-left is nearest to
        // left + up - upper-left, ties in that order.
        out[0] = uint8_t(row[0] + up[0]);
        for (size_t x = 1; x < width; ++x) {
            const int a = out[x - 1], b = up[x], c = up[x - 1];
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            out[x] = uint8_t(row[x] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
        }
        break;
    }
}

// A forge PNG decoded: its samples (indices or gray values) row after row
// with one spare byte, 0, after them, and its colours as SDL_image gives
// them, a gray ramp of 256 for grayscale and the file's entries for indexed.
struct ForgeImage {
    uint32_t width = 0, height = 0;
    std::vector<SDL_Color> colours;
    std::unique_ptr<uint8_t[]> pixels;
};

// The PNGs our forge writes, 8-bit grayscale or 8-bit indexed without
// interlacing and with no chunks but IHDR, PLTE, IDAT, IEND and private
// ancillary ones, are decoded here: the image is inflated in one call into
// one buffer, where zlib's fast loop covers nearly every byte (fed a row at a
// time, as SDL_image's decoder feeds it, zlib spends most of each short row
// in its slow loop), and unfiltered straight into the samples. False for any
// other PNG, or one whose data does not inflate to exactly its rows;
// SDL_image then decides on it. The frame has passed requirePngFrame.
static bool decodeForgePng(const std::vector<uint8_t>& bytes, ForgeImage& image)
{
    const uint8_t* header = &bytes[16];
    const uint32_t width = bigEndian32(header), height = bigEndian32(header + 4);
    const uint8_t colourType = header[9];
    if (header[8] != 8 || (colourType != 0 && colourType != 3) || header[10] != 0 ||
        header[11] != 0 || header[12] != 0)
        return false;
    const size_t stride = size_t(width) + 1;  // a filter byte, then the row
    // One spare byte: with room left after the last row, zlib reads on to
    // the stream's end and checks its checksum in the same call.
    const size_t imageBytes = stride * height;
    const std::unique_ptr<uint8_t[]> rows(new uint8_t[imageBytes + 1]);
    std::vector<SDL_Color> palette;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    // zlib's Adler-32 of the inflated image is not computed: requirePngFrame
    // has already matched every IDAT chunk's CRC-32, which covers each byte
    // of the compressed stream, its Adler-32 trailer included, so a damaged
    // byte is refused there by name. The trailer must still be there whole:
    // the stream only ends (Z_STREAM_END) once zlib has read its four bytes.
    // The checksum was a sixth of the pictures' inflating on an ARM9.
    if (inflateValidate(&stream, 0) != Z_OK) {
        inflateEnd(&stream);
        return false;
    }
    stream.next_out = rows.get();
    stream.avail_out = uInt(imageBytes + 1);
    int status = Z_OK;
    bool plain = true;
    for (size_t at = 8 + 25; plain && at + 12 <= bytes.size();) {
        const uint32_t length = bigEndian32(&bytes[at]);
        const uint8_t* type = &bytes[at + 4];
        const uint8_t* data = type + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 && status == Z_OK) {
            stream.next_in = const_cast<uint8_t*>(data);
            stream.avail_in = length;
            status = inflate(&stream, Z_NO_FLUSH);
            plain = (status == Z_OK || status == Z_STREAM_END) && stream.avail_in == 0;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            plain = colourType == 3 && palette.empty() && length % 3 == 0 && length / 3 >= 1 &&
                    length / 3 <= 256;
            for (uint32_t i = 0; plain && i < length / 3; ++i)
                palette.push_back({data[3 * i], data[3 * i + 1], data[3 * i + 2], 0});
        } else {
            // Private ancillary chunks (both of the first two letters lower
            // case), as the forge's padding, mean nothing to a decoder.
            const bool privateAncillary = (type[0] & 0x20) != 0 && (type[1] & 0x20) != 0;
            plain = privateAncillary || std::memcmp(type, "IEND", 4) == 0;
        }
        at += 12 + size_t(length);
    }
    inflateEnd(&stream);
    if (!plain || status != Z_STREAM_END || stream.total_out != imageBytes ||
        (colourType == 3 && palette.empty()))
        return false;

    const size_t count = size_t(width) * height;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[count + 1]);
    pixels[count] = 0;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* row = &rows[r * stride];
        if (row[0] > 4)
            return false;
        uint8_t* target = &pixels[size_t(r) * width];
        unfilterRow(row[0], row + 1, r > 0 ? target - width : nullptr, target, width);
    }
    // An index past a short palette has no colour to map to.
    if (colourType == 3 && palette.size() < 256)
        for (size_t i = 0; i < count; ++i)
            if (pixels[i] >= palette.size())
                return false;
    if (colourType == 0)
        for (int i = 0; i < 256; ++i)
            palette.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
    image.width = width;
    image.height = height;
    image.colours = std::move(palette);
    image.pixels = std::move(pixels);
    return true;
}

// The 8-bit surface SDL_image would have decoded the image into.
static SDL_Surface* surfaceOf(const ForgeImage& image)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, int(image.width),
                                                int(image.height), 8, 0, 0, 0, 0);
    if (!surface || !surface->format->palette) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    SDL_Palette& colours = *surface->format->palette;
    colours.ncolors = int(image.colours.size());
    for (size_t i = 0; i < image.colours.size(); ++i) {
        colours.colors[i].r = image.colours[i].r;
        colours.colors[i].g = image.colours[i].g;
        colours.colors[i].b = image.colours[i].b;
    }
    uint8_t* target = static_cast<uint8_t*>(surface->pixels);
    for (uint32_t r = 0; r < image.height; ++r)
        std::memcpy(target + size_t(r) * surface->pitch, &image.pixels[size_t(r) * image.width],
                    image.width);
    return surface;
}

// True when SDL_ConvertSurface would keep every index as it is: the screen's
// palette starts with the image's colours, byte for byte as SDL compares
// them, and is not all black (which SDL refuses to convert to).
static bool convertsUnchanged(const ForgeImage& image, const SDL_PixelFormat& screen)
{
    const SDL_Palette* target = screen.palette;
    if (!target || screen.BitsPerPixel != 8 || int(image.colours.size()) > target->ncolors)
        return false;
    bool black = true;
    for (int i = 0; i < target->ncolors; ++i)
        black = black && target->colors[i].r == 0 && target->colors[i].g == 0 &&
                target->colors[i].b == 0;
    return !black && std::memcmp(target->colors, image.colours.data(),
                                 image.colours.size() * sizeof(SDL_Color)) == 0;
}
#endif

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

// The copy below reads each pitch-spaced row for its width in pixels, so
// every row must hold them.
static void requireWholeRows(const SDL_Surface* surface, const char* path)
{
    requireAddressableSize(path, uint32_t(surface->w), uint32_t(surface->h));
    const int rowBytes = surface->w * surface->format->BytesPerPixel;
    if (surface->pitch < rowBytes)
        failWithMessage("bad picture %s: rows of %d bytes are short of %d\n", path,
                        int(surface->pitch), rowBytes);
}

// Copies the surface's rows into the picture, skipping the padding SDL puts
// after rows whose width is not a multiple of 4.
static void copySurfacePixels(Picture& picture, const SDL_Surface* surface)
{
    const uint8_t* source = static_cast<const uint8_t*>(surface->pixels);
    for (int r = 0; r < picture.height; ++r)
        std::memcpy(picture.pixels + size_t(r) * picture.width,
                    source + size_t(r) * size_t(surface->pitch), picture.width);
}

bool (*PictureSource)(Picture& picture, const char* path, const Screen& screen,
                      bool grayscale) = nullptr;

// Sets the picture to width x height, drawn whole at (0, 0), on `pixels`.
static void framePictureOn(Picture& picture, uint16_t width, uint16_t height, uint8_t* pixels)
{
    picture.width = width;
    picture.height = height;
    picture.pixelCount = uint32_t(width) * height;
    picture.limit = 255;
    picture.left = 0;
    picture.top = 0;
    picture.right = width;
    picture.bottom = height;
    picture.pixels = pixels;
}

void framePicture(Picture& picture, uint16_t width, uint16_t height)
{
    // One spare byte past the image, never written.
    framePictureOn(picture, width, height, new uint8_t[uint32_t(width) * height + 1]());
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
    SDL_Surface* decoded = nullptr;
#ifndef __EMSCRIPTEN__
    // A forge PNG whose indices stay as they are needs no surface at all.
    ForgeImage image;
    if (decodeForgePng(bytes, image)) {
        if (grayscale || convertsUnchanged(image, *screen.format)) {
            framePictureOn(picture, uint16_t(image.width), uint16_t(image.height),
                           image.pixels.release());
            return;
        }
        decoded = surfaceOf(image);
    }
#endif
    if (!decoded)
        decoded = decodePng(bytes);
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
