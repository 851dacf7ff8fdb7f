// Loading pictures: the size check, the two modes, and refusing pictures the
// show cannot address.
#include "gfx2d/picture.h"
#include "support.h"
#include "test_png.h"

#include <gtest/gtest.h>
#include <zlib.h>

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

}  // namespace
