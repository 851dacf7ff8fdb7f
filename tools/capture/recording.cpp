#include "recording.h"

#include "core/show_state.h"

#include <png.h>

#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

void failToWrite(const std::string& path)
{
    std::fprintf(stderr, "demo-capture: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    std::exit(1);
}

OutputFile openOutput(const std::string& path)
{
    OutputFile output{path, std::fopen(path.c_str(), "wb")};
    if (!output.file)
        failToWrite(path);
    return output;
}

// stdio keeps the last bytes until fclose, so only its result tells whether
// they reached the disk.
void closeOutput(OutputFile& output)
{
    const bool failed = std::ferror(output.file) != 0;
    if (std::fclose(output.file) != 0 || failed)
        failToWrite(output.path);
    output.file = nullptr;
}

void requireWritableFolder(const std::string& folder)
{
    std::string probe = folder + "/.demo-capture-XXXXXX";
    const int descriptor = mkstemp(probe.data());
    if (descriptor < 0) {
        std::fprintf(stderr, "demo-capture: cannot write into the folder %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        std::exit(1);
    }
    close(descriptor);
    unlink(probe.c_str());
}

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

uint64_t hashBytes(const uint8_t* bytes, size_t count, uint64_t hash)
{
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

void writeLogLine(OutputFile& log, uint32_t now, const DisplayCopy& display)
{
    if (std::fprintf(log.file, "%" PRIu32 " %" PRIu32 " %" PRId32 " %" PRIx32 " %016" PRIx64 " %016" PRIx64 "\n",
                     now, DemoTime, TickCount, SceneMask, hashBytes(display.pixels, ScreenPixels),
                     hashBytes(display.palette, sizeof display.palette)) < 0)
        failToWrite(log.path);
}

// Writes an 8-bit RGB PNG of width x height from rows of packed RGB into
// `output` and closes it. libpng reports a short write as an error.
static void writeRgbPng(OutputFile& output, int width, int height, const uint8_t* rgb)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        failToWrite(output.path);
    png_init_io(png, output.file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + size_t(y) * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    closeOutput(output);
}

static std::vector<uint8_t> displayRgb(const DisplayCopy& display)
{
    std::vector<uint8_t> rgb(ScreenPixels * 3);
    for (int i = 0; i < ScreenPixels; ++i)
        std::memcpy(&rgb[3 * i], display.palette + 3 * display.pixels[i], 3);
    return rgb;
}

void writeDisplayPng(const std::string& path, const DisplayCopy& display)
{
    OutputFile output = openOutput(path);
    writeRgbPng(output, ScreenWidth, ScreenHeight, displayRgb(display).data());
}

constexpr int TileWidth = ScreenWidth / 2;
constexpr int TileHeight = ScreenHeight / 2;
constexpr int GalleryColumns = 5;

// Each tile pixel is the rounded average of a 2 x 2 block of the picture.
void addToGallery(Gallery& gallery, const DisplayCopy& display)
{
    const std::vector<uint8_t> rgb = displayRgb(display);
    std::vector<uint8_t> tile(TileWidth * TileHeight * 3);
    for (int y = 0; y < TileHeight; ++y)
        for (int x = 0; x < TileWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const size_t top = (size_t(2 * y) * ScreenWidth + 2 * x) * 3 + c;
                const size_t bottom = top + ScreenWidth * 3;
                tile[(y * TileWidth + x) * 3 + c] =
                    uint8_t((rgb[top] + rgb[top + 3] + rgb[bottom] + rgb[bottom + 3] + 2) / 4);
            }
    gallery.tiles.push_back(std::move(tile));
}

void writeGallery(OutputFile& output, const Gallery& gallery)
{
    const int count = int(gallery.tiles.size());
    const int columns = count < GalleryColumns ? count : GalleryColumns;
    const int rows = (count + GalleryColumns - 1) / GalleryColumns;
    const int width = columns * TileWidth;
    std::vector<uint8_t> sheet(size_t(width) * rows * TileHeight * 3, 0);
    for (int t = 0; t < count; ++t) {
        const int left = (t % GalleryColumns) * TileWidth, top = (t / GalleryColumns) * TileHeight;
        for (int y = 0; y < TileHeight; ++y)
            std::memcpy(&sheet[(size_t(top + y) * width + left) * 3], &gallery.tiles[t][y * TileWidth * 3],
                        TileWidth * 3);
    }
    writeRgbPng(output, width, rows * TileHeight, sheet.data());
}

void writeDisplayRaw(const std::string& path, const DisplayCopy& display)
{
    OutputFile output = openOutput(path);
    if (std::fwrite(display.pixels, 1, ScreenPixels, output.file) != ScreenPixels ||
        std::fwrite(display.palette, 1, sizeof display.palette, output.file) != sizeof display.palette)
        failToWrite(path);
    closeOutput(output);
}
