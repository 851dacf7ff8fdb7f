// Loading pictures: the size check, the two modes, and refusing pictures the
// show cannot address.
#include "gfx2d/picture.h"
#include "support.h"
#include "test_png.h"

#include <SDL/SDL_image.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ramp(int count, int step = 1)
{
    std::vector<uint8_t> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = uint8_t(i * step);
    return values;
}

// Palette entry i is a colour no other entry has.
std::vector<RgbColour> distinctColours()
{
    std::vector<RgbColour> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[i] = {uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 255)};
    return colours;
}

void installScreenPalette(const std::vector<RgbColour>& colours)
{
    SDL_Color sdl[256];
    for (int i = 0; i < 256; ++i)
        sdl[i] = {colours[i].r, colours[i].g, colours[i].b, 0};
    SDL_SetColors(testScreen().surface, sdl, 0, 256);
}

class PictureFiles : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        dir = makeTempDir("picture");
        gray = (dir / "gray").string();
        writeGrayPng(gray, 8, 4, ramp(32, 3));
        rgb = (dir / "rgb").string();
        writeRgbPng(rgb, 4, 2, ramp(24, 10));
    }

    fs::path dir;
    std::string gray;
    std::string rgb;
};

TEST_F(PictureFiles, GrayscaleKeepsTheFileValuesAndSetsTheRectangle)
{
    Picture picture{};
    loadPicture(picture, gray.c_str(), testScreen(), int32_t(fileSize(gray)), true);
    EXPECT_EQ(picture.screen, &testScreen());
    EXPECT_EQ(picture.width, 8);
    EXPECT_EQ(picture.height, 4);
    EXPECT_EQ(picture.pixelCount, 32u);
    EXPECT_EQ(picture.left, 0);
    EXPECT_EQ(picture.top, 0);
    EXPECT_EQ(picture.right, 8);
    EXPECT_EQ(picture.bottom, 4);
    EXPECT_EQ(picture.limit, 255);
    EXPECT_EQ(std::vector<uint8_t>(picture.pixels, picture.pixels + 32), ramp(32, 3));
}

TEST_F(PictureFiles, SizeZeroAcceptsAnySize)
{
    Picture picture{};
    loadPicture(picture, gray.c_str(), testScreen(), 0, true);
    EXPECT_EQ(picture.pixelCount, 32u);
}

TEST_F(PictureFiles, SizeOffByOneIsRefusedBeforeDecoding)
{
    const auto size = int32_t(fileSize(gray));
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, gray.c_str(), testScreen(), size + 1, true);
        },
        "^bad picture .*/gray: " + std::to_string(size) + " bytes, the show needs " +
            std::to_string(size + 1) + "\n$");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, gray.c_str(), testScreen(), size - 1, true);
        },
        "^bad picture .*/gray: " + std::to_string(size) + " bytes, the show needs " +
            std::to_string(size - 1) + "\n$");
    // Decoding this file in grayscale mode would print the depth message: the
    // size message shows that the size check comes first.
    const auto rgbSize = int32_t(fileSize(rgb));
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, rgb.c_str(), testScreen(), rgbSize + 1, true);
        },
        "^bad picture .*/rgb: [0-9]+ bytes, the show needs [0-9]+\n$");
}

TEST_F(PictureFiles, MissingDirectoryOrForeignFileIsRefusedByName)
{
    const std::string missing = (dir / "missing").string();
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, missing.c_str(), testScreen(), 0, true);
        },
        "^unable to open .*/missing: No such file or directory\n$");
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, dir.c_str(), testScreen(), 0, true);
        },
        "^unable to open .*: Is a directory\n$");
    const std::string text = (dir / "text").string();
    std::FILE* file = std::fopen(text.c_str(), "w");
    std::fputs("not a picture\n", file);
    std::fclose(file);
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, text.c_str(), testScreen(), 0, false);
        },
        "^bad picture .*/text: not a PNG file\n$");
}

// The chunk at `at` (length, type, data) gets its CRC recomputed, so the
// damage reaches the checks behind the CRC.
void resealChunk(std::vector<uint8_t>& png, size_t at)
{
    const uint32_t length =
        uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    const uint32_t crc = uint32_t(crc32(0, &png[at + 4], uInt(4 + length)));
    for (int i = 0; i < 4; ++i)
        png[at + 8 + length + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
}

void putBig32(std::vector<uint8_t>& png, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        png[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

// Damage behind a PNG's CRCs, refused with the file's name and what is wrong:
// the sizes the show cannot address before decoding, a broken image stream by
// the decoder. (Cut, lengthened and flipped files: tests/damaged_data_test.)
TEST_F(PictureFiles, DamagedPngIsRefusedByName)
{
    std::vector<uint8_t> sound(fileSize(gray));
    std::FILE* in = std::fopen(gray.c_str(), "rb");
    ASSERT_EQ(std::fread(sound.data(), 1, sound.size(), in), sound.size());
    std::fclose(in);
    constexpr size_t Ihdr = 8, Idat = 33;  // chunk offsets

    struct Case {
        const char* name;
        void (*damage)(std::vector<uint8_t>&);
        const char* message;
    };
    const Case cases[] = {
        {"wide",
         [](std::vector<uint8_t>& png) {
             putBig32(png, Ihdr + 8, MaxPictureSide + 1);
             resealChunk(png, Ihdr);
         },
         "4097x4 pixels, the show addresses 1..4096 each way"},
        {"flat",
         [](std::vector<uint8_t>& png) {
             putBig32(png, Ihdr + 12, 0);
             resealChunk(png, Ihdr);
         },
         "8x0 pixels"},
        {"no header",
         [](std::vector<uint8_t>& png) {
             png[Ihdr + 4] = 'X';
             resealChunk(png, Ihdr);
         },
         "no PNG header chunk"},
        {"bad stream",
         [](std::vector<uint8_t>& png) {
             png[Idat + 8] ^= 0xFF;
             resealChunk(png, Idat);
         },
         "cannot decode"},
        // The stream's own checksum is not computed (the chunk CRCs cover
        // it), but a stream without its four checksum bytes never ends.
        {"checksum cut off",
         [](std::vector<uint8_t>& png) {
             const uint32_t length = uint32_t(png[Idat + 3]) | uint32_t(png[Idat + 2]) << 8;
             png.erase(png.begin() + long(Idat + 8 + length - 4), png.begin() + long(Idat + 8 + length));
             putBig32(png, Idat, length - 4);
             resealChunk(png, Idat);
         },
         "cannot decode"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> png = sound;
        c.damage(png);
        const std::string path = (dir / "damaged").string();
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(png.data(), 1, png.size(), out);
        std::fclose(out);
        EXPECT_EXIT_WITH_OUTPUT(
            {
                Picture picture{};
                loadPicture(picture, path.c_str(), testScreen(), 0, true);
            },
            "bad picture .*/damaged: " + std::string(c.message))
            << c.name;
    }
}

TEST_F(PictureFiles, TheLongestSideLoads)
{
    const std::string wide = (dir / "wide").string();
    writeGrayPng(wide, MaxPictureSide, 1, std::vector<uint8_t>(MaxPictureSide, 7));
    Picture picture{};
    loadPicture(picture, wide.c_str(), testScreen(), 0, true);
    EXPECT_EQ(picture.width, MaxPictureSide);
    EXPECT_EQ(picture.pixels[MaxPictureSide - 1], 7);
}

TEST_F(PictureFiles, TruecolourInGrayscaleModeNamesFileAndDepth)
{
    EXPECT_EXIT_WITH_OUTPUT(
        {
            Picture picture{};
            loadPicture(picture, rgb.c_str(), testScreen(), 0, true);
        },
        "^error: grayscale picture .*/rgb in wrong depth 24\n$");
}

TEST_F(PictureFiles, TruecolourLoadsInConvertedMode)
{
    Picture picture{};
    loadPicture(picture, rgb.c_str(), testScreen(), int32_t(fileSize(rgb)), false);
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.right, 4);
    EXPECT_EQ(picture.bottom, 2);
}

TEST_F(PictureFiles, ConvertedModeMapsColoursToTheScreenPalette)
{
    const std::vector<RgbColour> colours = distinctColours();
    installScreenPalette(colours);
    const std::vector<uint8_t> indices = {0, 1, 2, 3, 100, 200, 254, 255};

    // The same palette: indices stay as they are.
    const std::string same = (dir / "same").string();
    writeIndexedPng(same, 4, 2, indices, colours);
    Picture picture{};
    loadPicture(picture, same.c_str(), testScreen(), 0, false);
    EXPECT_EQ(std::vector<uint8_t>(picture.pixels, picture.pixels + 8), indices);

    // A reversed palette: file index i has the screen's colour 255 - i.
    std::vector<RgbColour> reversed(colours.rbegin(), colours.rend());
    const std::string mapped = (dir / "mapped").string();
    writeIndexedPng(mapped, 4, 2, indices, reversed);
    Picture mappedPicture{};
    loadPicture(mappedPicture, mapped.c_str(), testScreen(), 0, false);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(mappedPicture.pixels[i], 255 - indices[i]) << "pixel " << i;
}

TEST_F(PictureFiles, ShapeCheckRefusesWhatTheScenesCannotAddress)
{
    Picture picture{};
    picture.width = 320;
    picture.height = 240;
    requirePictureShape(picture, "data/girl", 320, 240, 240);
    requirePictureShape(picture, "data/maasto", 320, 240, 0xFFFF);

    EXPECT_EXIT_WITH_OUTPUT(requirePictureShape(picture, "data/texture", 256, 256, 0xFFFF),
                            "^bad picture data/texture: 320x240, the show needs 256x256\n$");
    picture.height = 241;
    EXPECT_EXIT_WITH_OUTPUT(requirePictureShape(picture, "data/girl", 320, 240, 240),
                            "^bad picture data/girl: 320x241, the show needs 320x240\n$");
    picture.width = 684;
    picture.height = 247;
    EXPECT_EXIT_WITH_OUTPUT(requirePictureShape(picture, "data/jungle", 684, 248, 0xFFFF),
                            "^bad picture data/jungle: 684x247, the show needs 684x248\n$");
    picture.height = 300;
    requirePictureShape(picture, "data/jungle", 684, 248, 0xFFFF);
}

// A PNG written here with the filter of each row chosen by the test, the way
// the forge writes them: 8-bit gray (no palette) or indexed, optionally with
// a private padding chunk before IEND.
void writeFilteredPng(const std::string& path, int width, int height,
                      const std::vector<uint8_t>& samples, const std::vector<RgbColour>* palette,
                      const std::vector<uint8_t>& filters, bool padding)
{
    std::vector<uint8_t> raw;
    for (int r = 0; r < height; ++r) {
        const uint8_t filter = filters[size_t(r) % filters.size()];
        raw.push_back(filter);
        for (int x = 0; x < width; ++x) {
            const int a = x > 0 ? samples[size_t(r * width + x - 1)] : 0;
            const int b = r > 0 ? samples[size_t((r - 1) * width + x)] : 0;
            const int c = x > 0 && r > 0 ? samples[size_t((r - 1) * width + x - 1)] : 0;
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            const int predictions[5] = {0, a, b, (a + b) / 2,
                                        pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
            raw.push_back(uint8_t(samples[size_t(r * width + x)] - predictions[filter]));
        }
    }
    std::vector<uint8_t> packed(compressBound(uLong(raw.size())));
    uLongf packedSize = uLongf(packed.size());
    ASSERT_EQ(compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9), Z_OK);
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&png](const char* type, const std::vector<uint8_t>& data) {
        const size_t at = png.size();
        png.resize(at + 12 + data.size());
        putBig32(png, at, uint32_t(data.size()));
        std::memcpy(&png[at + 4], type, 4);
        std::copy(data.begin(), data.end(), png.begin() + long(at + 8));
        putBig32(png, at + 8 + data.size(),
                 uint32_t(crc32(0, &png[at + 4], uInt(4 + data.size()))));
    };
    std::vector<uint8_t> header(13, 0);
    putBig32(header, 0, uint32_t(width));
    putBig32(header, 4, uint32_t(height));
    header[8] = 8;
    header[9] = palette ? 3 : 0;
    chunk("IHDR", header);
    if (palette) {
        std::vector<uint8_t> entries;
        for (const RgbColour& c : *palette)
            entries.insert(entries.end(), {c.r, c.g, c.b});
        chunk("PLTE", entries);
    }
    // Two IDAT chunks, split anywhere.
    const size_t half = packed.size() / 2;
    chunk("IDAT", std::vector<uint8_t>(packed.begin(), packed.begin() + long(half)));
    chunk("IDAT", std::vector<uint8_t>(packed.begin() + long(half), packed.end()));
    if (padding)
        chunk("paDd", std::vector<uint8_t>(5, 0));
    chunk("IEND", {});
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(png.data(), 1, png.size(), out);
    std::fclose(out);
}

// What SDL_image's decoder and SDL's conversion make of the file: the loader
// took this path for every PNG before it decoded the forge's own.
std::vector<uint8_t> decodedBySdl(const std::string& path, bool grayscale)
{
    SDL_Surface* decoded = IMG_Load(path.c_str());
    EXPECT_NE(decoded, nullptr) << IMG_GetError();
    if (!decoded)
        return {};
    SDL_Surface* surface =
        grayscale ? decoded : SDL_ConvertSurface(decoded, testScreen().format, 0);
    std::vector<uint8_t> pixels;
    for (int r = 0; r < surface->h; ++r) {
        const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + r * surface->pitch;
        pixels.insert(pixels.end(), row, row + surface->w);
    }
    if (surface != decoded)
        SDL_FreeSurface(surface);
    SDL_FreeSurface(decoded);
    return pixels;
}

// Every filter, gray and indexed files, palettes the screen shares, reverses
// or only starts: the loader gives what SDL_image and SDL's conversion give.
TEST_F(PictureFiles, ForgePngsDecodeAsSdlImageDecodesThem)
{
    const std::vector<RgbColour> colours = distinctColours();
    installScreenPalette(colours);
    const std::vector<RgbColour> reversed(colours.rbegin(), colours.rend());
    const std::vector<RgbColour> shortPalette(colours.begin(), colours.begin() + 16);
    const std::vector<const std::vector<RgbColour>*> palettes = {nullptr, &colours, &reversed,
                                                                 &shortPalette};
    uint32_t state = 99;
    const auto next = [&state](uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    const std::string path = (dir / "forged").string();
    for (int round = 0; round < 60; ++round) {
        const std::vector<RgbColour>* palette = palettes[size_t(round) % palettes.size()];
        const int width = 1 + int(next(40)), height = 1 + int(next(12));
        // Few distinct values make Paeth's ties common.
        const uint32_t values = palette == &shortPalette ? 16 : round % 3 == 0 ? 3 : 256;
        std::vector<uint8_t> samples(size_t(width * height));
        for (uint8_t& sample : samples)
            sample = uint8_t(next(values));
        std::vector<uint8_t> filters = {0, 1, 2, 3, 4};
        for (int i = 0; i < 5; ++i)
            filters.push_back(uint8_t(next(5)));
        writeFilteredPng(path, width, height, samples, palette, filters, round % 2 == 0);
        for (const bool grayscale : {true, false}) {
            Picture picture{};
            loadPicture(picture, path.c_str(), testScreen(), 0, grayscale);
            ASSERT_EQ(picture.width, width);
            ASSERT_EQ(picture.height, height);
            EXPECT_EQ(std::vector<uint8_t>(picture.pixels, picture.pixels + picture.pixelCount),
                      decodedBySdl(path, grayscale))
                << "round " << round << (grayscale ? " grayscale" : " converted");
            EXPECT_EQ(picture.pixels[picture.pixelCount], 0) << "the spare byte";
            delete[] picture.pixels;
        }
    }
}

// The up filter by words against plainly, for every width up to a few words
// with the filtered bytes at every alignment and the rows aligned or not.
TEST(UpFilter, ByWordsAgreesWithPlainly)
{
    alignas(4) uint8_t row[64 + 4], above[64 + 4], plain[64 + 4], words[64 + 4];
    for (size_t i = 0; i < sizeof row; ++i) {
        row[i] = uint8_t(i * 37 + 200);
        above[i] = uint8_t(i * 91 + 129);
    }
    for (size_t width = 0; width <= 64; ++width)
        for (size_t rowAt = 0; rowAt < 4; ++rowAt)
            for (size_t outAt : {0, 1}) {
                undoUpFilterPlainly(plain + outAt, row + rowAt, above + outAt, width);
                undoUpFilterByWords(words + outAt, row + rowAt, above + outAt, width);
                ASSERT_EQ(std::memcmp(plain + outAt, words + outAt, width), 0)
                    << width << " " << rowAt << " " << outAt;
            }
}

// The chunk checksum against the bit-by-bit rule, for every length up to a
// few words at every alignment, and the standard check value.
TEST(PngCrc, AgreesWithTheBitByBitRule)
{
    const auto plain = [](const uint8_t* bytes, size_t count) {
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = 0; i < count; ++i) {
            crc ^= bytes[i];
            for (int k = 0; k < 8; ++k)
                crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        return crc ^ 0xFFFFFFFFu;
    };
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(pngCrc(check, sizeof check), 0xCBF43926u);
    std::vector<uint8_t> bytes(200);
    uint32_t random = 7;
    for (uint8_t& byte : bytes)
        byte = uint8_t((random = random * 1103515245u + 12345u) >> 24);
    for (size_t start = 0; start < 8; ++start)
        for (size_t count = 0; count <= 60; ++count)
            ASSERT_EQ(pngCrc(bytes.data() + start, count), plain(bytes.data() + start, count))
                << start << " " << count;
    EXPECT_EQ(pngCrc(bytes.data() + 3, 197), plain(bytes.data() + 3, 197));
}

}  // namespace
