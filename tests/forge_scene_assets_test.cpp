// Checks on the forged scene palettes and pictures in data/: the facts the
// show relies on but would only reveal as wrong colours on screen (a repeated
// palette colour remaps indices, a stray index in a texture shows through a
// see-through colour or leaves the stone ramp).
#include "support.h"
#include "test_png.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Colours = std::array<std::array<uint8_t, 3>, 256>;

Colours readPaletteFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Colours colours{};
    EXPECT_GE(bytes.size(), 24u + 256 * 4) << path;
    for (size_t i = 0; i < 256 && 24 + 4 * i + 2 < bytes.size(); ++i)
        colours[i] = {bytes[24 + 4 * i], bytes[24 + 4 * i + 1], bytes[24 + 4 * i + 2]};
    return colours;
}

struct IndexedPicture {
    int width = 0;
    int height = 0;
    bool indexed = false;
    bool hasTransparency = false;
    Colours colours{};
    int colourCount = 0;
    std::vector<uint8_t> pixels;
};

struct MemoryReader {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->position + count > reader->bytes.size())
        png_error(png, "truncated file");
    std::memcpy(out, reader->bytes.data() + reader->position, count);
    reader->position += count;
}

IndexedPicture readIndexedPicture(const std::string& path)
{
    IndexedPicture picture;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return picture;
    MemoryReader reader;
    reader.bytes.assign(std::istreambuf_iterator<char>(in), {});
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return IndexedPicture{};
    }
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);
    picture.width = static_cast<int>(png_get_image_width(png, info));
    picture.height = static_cast<int>(png_get_image_height(png, info));
    picture.indexed = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE && png_get_bit_depth(png, info) == 8;
    picture.hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &entries, &count)) {
        picture.colourCount = count;
        for (int i = 0; i < count; ++i)
            picture.colours[i] = {entries[i].red, entries[i].green, entries[i].blue};
    }
    const size_t rowBytes = png_get_rowbytes(png, info);
    picture.pixels.resize(rowBytes * picture.height);
    std::vector<png_bytep> rows(picture.height);
    for (int y = 0; y < picture.height; ++y)
        rows[y] = picture.pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return picture;
}

std::set<int> usedIndices(const IndexedPicture& picture)
{
    return {picture.pixels.begin(), picture.pixels.end()};
}

const char* const ScenePalettes[] = {"jungle2.pal", "junkka.pal", "lehti.pal", "forest.pal", "mask1.pal", "girl.pal"};

int brightness(const std::array<uint8_t, 3>& c)
{
    return (299 * c[0] + 587 * c[1] + 114 * c[2]) / 1000;
}

}  // namespace

TEST(ForgeSceneAssets, PalettesHaveBlackFirstAndTheirScenesOrder)
{
    REQUIRE_DATA_SET();
    for (const char* name : ScenePalettes) {
        const Colours colours = readPaletteFile(std::string("data/") + name);
        EXPECT_EQ(colours[0], (std::array<uint8_t, 3>{0, 0, 0})) << name;
    }
    const Colours junkka = readPaletteFile("data/junkka.pal");
    EXPECT_LT(brightness(junkka[17]), 60) << "trunk silhouettes must be dark";
    EXPECT_GT(brightness(junkka[251]), brightness(junkka[28])) << "sky above, ground below";
    const Colours forest = readPaletteFile("data/forest.pal");
    EXPECT_EQ(forest[255], (std::array<uint8_t, 3>{255, 255, 255}));
    for (int i = 1; i < 256; ++i)
        EXPECT_GE(brightness(forest[i]), brightness(forest[i - 1])) << "flares add to forest indices, entry " << i;
}

TEST(ForgeSceneAssets, TexturesKeepToTheIndicesTheirScenesNeed)
{
    REQUIRE_DATA_SET();
    // The greetings replace cube.pal's entries above 127 and shade down by up to 110.
    for (int index : usedIndices(readIndexedPicture("data/stoneblock"))) {
        EXPECT_GE(index, 60);
        EXPECT_LE(index, 127);
    }
    // The calendar's pre-rendered views treat 0 as see-through.
    EXPECT_EQ(usedIndices(readIndexedPicture("data/calendar")).count(0), 0u);
    // Leaf planes skip texel 254; the clusters need both leaves and gaps.
    const std::set<int> clusters = usedIndices(readIndexedPicture("data/lehdet"));
    EXPECT_EQ(clusters.count(254), 1u);
    EXPECT_GT(clusters.size(), 8u);
    // The spinning leaves stay clear of the ring colours behind them.
    for (int index : usedIndices(readIndexedPicture("data/lehti"))) {
        const bool ring = index == 0 || (index >= 11 && index <= 199 && (index / 10) % 2 == 1 && index % 10 != 0);
        EXPECT_FALSE(ring) << index;
    }
    // The web is drawn in 255: the forest behind it never uses it.
    EXPECT_EQ(usedIndices(readIndexedPicture("data/forest")).count(255), 0u);
    // The spider hangs before both dark trunks and bright mist on a one-hue
    // ramp: it needs near-black and near-white at once to read on either.
    const std::set<int> spider = usedIndices(readIndexedPicture("data/spidey"));
    EXPECT_LE(*spider.begin(), 40);
    EXPECT_GE(*spider.rbegin(), 200);
    // The knot's last picture stays on screen for a frame under the
    // rotozoom's palette, where 41..127 are the credits' raspberry and cream.
    for (int index : usedIndices(readIndexedPicture("data/knot"))) {
        EXPECT_TRUE((index >= 16 && index <= 40) || (index >= 128 && index <= 205)) << index;
    }
}

TEST(ForgeSceneAssets, MaskFlashesShowLightningButNeverThePicturesFrame)
{
    REQUIRE_DATA_SET();
    const IndexedPicture mask = readIndexedPicture("data/mask");
    ASSERT_EQ(mask.width, 320);
    ASSERT_EQ(mask.height, 240);
    // Zoomed out, the whole picture is on screen within black: any colour
    // on its outermost pixels would outline its rectangle in every flash.
    // Only the chin rests on the bottom edge.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (std::min({x, y, 319 - x}) < 4 || (239 - y < 4 && (x < 120 || x > 200))) {
                ASSERT_EQ(mask.pixels[size_t(y * 320 + x)], 0) << x << "," << y;
            }
    // White-hot lightning beside the face on both sides (the face spans
    // columns 60..260).
    const auto whiteHot = [&](int left, int right) {
        int count = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = left; x < right; ++x)
                count += brightness(mask.colours[mask.pixels[size_t(y * 320 + x)]]) >= 235;
        return count;
    };
    EXPECT_GT(whiteHot(0, 60), 60);
    EXPECT_GT(whiteHot(260, 320), 60);
}
