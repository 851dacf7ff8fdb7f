// Checks on the forge's file writers and on the palettes and pictures of the
// credits, sky, rain, sand and glow scenes: exact byte sizes that survive any
// PNG reader, palettes that SDL can map without ambiguity, and the index
// ranges and shapes the scenes compute with.
//
// The writers are tried in a temporary directory; the forged data set is
// read from data/, forged once for the whole test run.
#include "core/random.h"
#include "forge.h"
#include "paint.h"
#include "palettes.h"
#include "support.h"

#include "core/tables.h"
#include "scenes/sand_reveal.h"
#include "scenes/scenes.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path scratchDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("forge-png-test-" + std::to_string(getpid()) + "-" + name);
    fs::create_directories(dir);
    return dir;
}

std::vector<uint8_t> fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
    int width = 0, height = 0, colourType = -1, bitDepth = 0;
    bool hasTrns = false;
    std::vector<uint8_t> pixels;
    std::vector<Rgb> palette;
};

struct MemoryReader {
    const std::vector<uint8_t>* bytes;
    size_t at;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->at + length > reader->bytes->size())
        png_error(png, "read past the end");
    std::copy_n(reader->bytes->data() + reader->at, length, out);
    reader->at += length;
}

// Decodes with libpng as it stands (CRC errors are fatal to the reader); a
// file libpng refuses comes back with width 0.
Decoded decode(const fs::path& path)
{
    const std::vector<uint8_t> bytes = fileBytes(path);
    MemoryReader reader{&bytes, 0};
    Decoded d;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Decoded{};
    }
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);
    d.width = int(png_get_image_width(png, info));
    d.height = int(png_get_image_height(png, info));
    d.colourType = png_get_color_type(png, info);
    d.bitDepth = png_get_bit_depth(png, info);
    d.hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &entries, &count))
        for (int i = 0; i < count; ++i)
            d.palette.push_back({entries[i].red, entries[i].green, entries[i].blue});
    d.pixels.resize(size_t(d.width) * size_t(d.height));
    std::vector<png_bytep> rows(size_t(d.height));
    for (int y = 0; y < d.height; ++y)
        rows[size_t(y)] = d.pixels.data() + size_t(y) * size_t(d.width);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return d;
}

struct Chunk {
    std::string type;
    size_t length;
    bool crcOk;
};

// Walks the chunk list; an empty list means the signature or the framing is
// broken (a chunk running past the end of the file).
std::vector<Chunk> chunks(const std::vector<uint8_t>& file)
{
    static const uint8_t Signature[8] = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
    std::vector<Chunk> list;
    if (file.size() < 8 || !std::equal(Signature, Signature + 8, file.begin()))
        return {};
    size_t at = 8;
    while (at < file.size()) {
        if (at + 12 > file.size())
            return {};
        const size_t length = size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3];
        if (at + 12 + length > file.size())
            return {};
        const uint8_t* body = file.data() + at + 4;
        const uint32_t stored = uint32_t(body[4 + length]) << 24 | uint32_t(body[5 + length]) << 16 |
                                uint32_t(body[6 + length]) << 8 | body[7 + length];
        list.push_back({std::string(reinterpret_cast<const char*>(body), 4), length,
                        stored == uint32_t(crc32(0, body, uInt(4 + length)))});
        at += 12 + length;
    }
    return list;
}

// A picture like the forge's own: smooth shading with some fine texture.
std::vector<uint8_t> samplePicture(int width, int height)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    ForgeRandom random{12345};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y * width + x)] = uint8_t(x * 3 + y + (x > width / 2 ? randomBelow(random, 12) : 0));
    return pixels;
}

void expectWellFormed(const fs::path& path)
{
    const std::vector<Chunk> list = chunks(fileBytes(path));
    ASSERT_GE(list.size(), 3u) << path;
    EXPECT_EQ(list.front().type, "IHDR");
    EXPECT_EQ(list.back().type, "IEND");  // and nothing after it: the walk ends on the last byte
    for (const Chunk& c : list)
        EXPECT_TRUE(c.crcOk) << path << " chunk " << c.type;
    for (size_t i = 0; i + 1 < list.size(); ++i) {
        if (list[i].type == "paDd") {
            EXPECT_EQ(i + 2, list.size()) << "padding must sit just before IEND";
        }
    }
}

// ---------------------------------------------------------------------------
// Writers

TEST(ForgePng, GrayPicturesHitEveryExactSizeIncludingGapsBelowOneChunk)
{
    const fs::path dir = scratchDir("gray");
    const int width = 96, height = 64;
    const std::vector<uint8_t> pixels = samplePicture(width, height);
    const uint32_t natural = encodedGraySize(width, height, pixels);
    for (uint32_t extra : {0u, 1u, 2u, 5u, 8u, 11u, 12u, 13u, 700u}) {
        const uint32_t target = natural + extra;
        const fs::path path = dir / ("pic" + std::to_string(extra));
        writeGrayPng(path.string(), width, height, pixels, target);
        EXPECT_EQ(fs::file_size(path), target) << "gap " << extra;
        expectWellFormed(path);
        const Decoded d = decode(path);
        EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_GRAY);
        EXPECT_EQ(d.bitDepth, 8);
        EXPECT_EQ(d.width, width);
        EXPECT_EQ(d.pixels, pixels) << "gap " << extra;
    }
    fs::remove_all(dir);
}

TEST(ForgePng, IndexedPicturesCarryTheWholePaletteAndNoTransparency)
{
    const fs::path dir = scratchDir("indexed");
    Palette palette{};
    for (int i = 0; i < 256; ++i)
        palette[size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    const std::vector<uint8_t> pixels = samplePicture(32, 24);
    const uint32_t target = encodedIndexedSize(32, 24, pixels, palette) + 3;
    writeIndexedPng((dir / "pic").string(), 32, 24, pixels, palette, target);
    EXPECT_EQ(fs::file_size(dir / "pic"), target);
    expectWellFormed(dir / "pic");
    const Decoded d = decode(dir / "pic");
    EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_FALSE(d.hasTrns);
    ASSERT_EQ(d.palette.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(d.palette[size_t(i)].r == palette[size_t(i)].r && d.palette[size_t(i)].g == palette[size_t(i)].g &&
                    d.palette[size_t(i)].b == palette[size_t(i)].b) << "entry " << i;
    EXPECT_EQ(d.pixels, pixels);
    fs::remove_all(dir);
}

TEST(ForgePngDeathTest, RefusesPicturesThatCannotBeLoadedOrCannotFit)
{
    const fs::path dir = scratchDir("refuse");
    const std::vector<uint8_t> odd(30 * 4, 0);
    EXPECT_EXIT(writeGrayPng((dir / "odd").string(), 30, 4, odd, 0), testing::ExitedWithCode(1), "multiple of 4");
    const std::vector<uint8_t> pixels = samplePicture(64, 40);
    EXPECT_EXIT(writeGrayPng((dir / "big").string(), 64, 40, pixels, 100), testing::ExitedWithCode(1), "budget");
    fs::remove_all(dir);
}

TEST(ForgePalette, FilesHaveTheRiffLayoutAndReadBack)
{
    const fs::path dir = scratchDir("riff");
    Palette palette{};
    for (int i = 0; i < 256; ++i)
        palette[size_t(i)] = {uint8_t(i), uint8_t(i ^ 0x55), uint8_t(255 - i)};
    writePalette((dir / "p.pal").string(), palette);
    const std::vector<uint8_t> bytes = fileBytes(dir / "p.pal");
    ASSERT_EQ(bytes.size(), 24u + 1024u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24, int(bytes.size() - 8));
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "PAL data");
    EXPECT_EQ(bytes[20] | bytes[21] << 8, 0x0300);
    EXPECT_EQ(bytes[22] | bytes[23] << 8, 256);
    EXPECT_EQ(bytes[24 + 4 * 200], 200);        // red of entry 200
    EXPECT_EQ(bytes[24 + 4 * 200 + 3], 0);      // flags
    const Palette back = readPalette((dir / "p.pal").string());
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(back[size_t(i)].r == palette[size_t(i)].r && back[size_t(i)].g == palette[size_t(i)].g &&
                    back[size_t(i)].b == palette[size_t(i)].b);
    fs::remove_all(dir);
}

TEST(ForgeRandomTest, ZeroSeedStillMovesAndBoundedDrawsCoverTheirRange)
{
    ForgeRandom zero{0};
    EXPECT_NE(nextRandom(zero), 0u);
    EXPECT_NE(nextRandom(zero), 0u);
    ForgeRandom random{99};
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int v = randomBelow(random, 7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
        seen.insert(v);
        const double u = randomUnit(random);
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    EXPECT_EQ(seen.size(), 7u);
}

// ---------------------------------------------------------------------------
// Painting helpers

TEST(ForgePaint, NoiseTilesAcrossTheEdgesOfItsPeriod)
{
    for (double v : {0.0, 0.13, 0.5, 0.77}) {
        EXPECT_NEAR(paint::fbm(7, 0.0, v, 3, 5), paint::fbm(7, 1.0, v, 3, 5), 1e-12);
        EXPECT_NEAR(paint::fbm(7, v, 0.0, 3, 5), paint::fbm(7, v, 1.0, 3, 5), 1e-12);
    }
}

TEST(ForgePaint, MakeDistinctKeepsEarlierEntriesAndAvoidsTakenColours)
{
    Palette p{};  // all black
    p[3] = {10, 10, 10};
    paint::makeDistinct(p, 0, 255, {{0, 0, 1}});
    std::set<uint32_t> colours;
    for (const Rgb& c : p)
        colours.insert(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
    EXPECT_EQ(colours.size(), 256u);
    EXPECT_EQ(colours.count(1u), 0u);  // the taken colour
    EXPECT_TRUE(p[0].r == 0 && p[0].g == 0 && p[0].b == 0);
    EXPECT_TRUE(p[3].r == 10 && p[3].g == 10 && p[3].b == 10);
}

TEST(ForgePaint, NearestColourTakesTheFirstOfEqualCandidatesLikeSdl)
{
    Palette p{};
    for (int i = 0; i < 256; ++i)
        p[size_t(i)] = {uint8_t(i), 0, 0};
    p[40] = {200, 0, 0};  // a repeat of entry 200
    EXPECT_EQ(paint::nearestIndex(p, 0, 255, 200, 0, 0), 40);
    EXPECT_EQ(paint::nearestIndex(p, 100, 255, 200, 0, 0), 200);  // only within the range
    EXPECT_EQ(paint::nearestIndex(p, 0, 255, 90.4, 3, 0), 90);
}

TEST(ForgePaint, LetteringPlacesStrokesWhereTheTextSays)
{
    // "L": a stem and a foot; its box is 4 units wide and 6 tall.
    const std::vector<paint::Segment> strokes = paint::layoutText("L", 10, 20, 2);
    const paint::Canvas d = paint::strokeDistance(40, 40, strokes, 8);
    EXPECT_DOUBLE_EQ(paint::canvasAt(d, 10, 25), 0.0);   // on the stem
    EXPECT_DOUBLE_EQ(paint::canvasAt(d, 16, 32), 0.0);   // on the foot
    EXPECT_DOUBLE_EQ(paint::canvasAt(d, 16, 24), 6.0);   // inside the corner, 6 from both
    EXPECT_DOUBLE_EQ(paint::textWidth("L", 2), 8.0);
    EXPECT_DOUBLE_EQ(paint::textWidth("LL", 2), 8.0 + 1.6 * 2 + 8.0);
    EXPECT_TRUE(paint::layoutText("~", 0, 0, 1).empty());  // unknown characters are skipped
}

// ---------------------------------------------------------------------------
// The palettes and pictures as the forge writes them

// The data set in data/, forged once for the whole test run.
class ForgedData : public testing::Test {
protected:
    void SetUp() override { REQUIRE_DATA_SET(); }
    static Palette palette(const std::string& name) { return readPalette(path(name).string()); }
    static fs::path path(const std::string& name) { return fs::path("data") / name; }
};

uint32_t key(Rgb c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

size_t distinctCount(const std::vector<Rgb>& colours)
{
    std::set<uint32_t> set;
    for (const Rgb& c : colours)
        set.insert(key(c));
    return set.size();
}

std::vector<Rgb> range(const Palette& p, int first, int last) { return {p.begin() + first, p.begin() + last + 1}; }

// Brightness never drops by more than a rounding step along first..last.
void expectAscending(const Palette& p, int first, int last, const std::string& what)
{
    for (int i = first + 1; i <= last; ++i)
        EXPECT_GE(paint::luminance(p[size_t(i)]), paint::luminance(p[size_t(i - 1)]) - 0.6) << what << " at " << i;
    EXPECT_GT(paint::luminance(p[size_t(last)]), paint::luminance(p[size_t(first)]) + 100) << what;
}

TEST_F(ForgedData, EveryPaletteHolds256DistinctColoursAndFullOnesStartBlack)
{
    for (const DataFile& file : DataFiles)
        if (file.kind == DataKind::Palette) {
            const Palette p = palette(dataFileName(file));
            EXPECT_EQ(distinctCount({p.begin(), p.end()}), 256u) << file.path;
        }
    for (const char* name : {"hedelmae.pal", "flares.pal", "green.pal", "logo.pal", "rainsky.pal", "cube.pal", "blue"})
        EXPECT_EQ(key(palette(name)[0]), 0u) << name;
    EXPECT_EQ(fileBytes(path("knot.pal")), fileBytes(path("green.pal")));
}

TEST_F(ForgedData, CombinedPalettesStayDistinctWhereTheShowJoinsThem)
{
    const Palette logo = palette("logo.pal");
    std::vector<Rgb> sandScene = range(logo, 0, 127), floodScene = range(logo, 0, 127);
    const std::vector<Rgb> sand = range(palette("sand.pal"), 0, 127), water = range(palette("water.pal"), 0, 127);
    sandScene.insert(sandScene.end(), sand.begin(), sand.end());
    floodScene.insert(floodScene.end(), water.begin(), water.end());
    EXPECT_EQ(distinctCount(sandScene), 256u);
    EXPECT_EQ(distinctCount(floodScene), 256u);

    const Palette cube = palette("cube.pal"), clouds = palette("clouds.pal"), sparks = palette("sparks.pal");
    std::vector<Rgb> greetings = range(cube, 0, 127);
    for (const std::vector<Rgb>& part : {range(clouds, 0, 99), range(sparks, 0, 23), range(cube, 252, 255)})
        greetings.insert(greetings.end(), part.begin(), part.end());
    EXPECT_EQ(distinctCount(greetings), 256u);
}

TEST_F(ForgedData, RampsRunDarkToBrightWhereEffectsComputeWithIndices)
{
    expectAscending(palette("flares.pal"), 0, 255, "flares");
    expectAscending(palette("green.pal"), 0, 255, "green");
    expectAscending(palette("blue"), 0, 255, "blue");
    expectAscending(palette("logo.pal"), 1, 127, "logo sand");
    expectAscending(palette("sand.pal"), 0, 127, "sand");
    // The flood's water deepens from shallow turquoise to deep blue, so its
    // ramp runs bright to dark: read backwards it must ascend.
    const Palette water = palette("water.pal");
    Palette shallowing{};
    for (int i = 0; i < 128; ++i)
        shallowing[size_t(i)] = water[size_t(127 - i)];
    expectAscending(shallowing, 0, 127, "water, deep to shallow");
    expectAscending(palette("cube.pal"), 0, 127, "stone");
    expectAscending(palette("hedelmae.pal"), 2, 127, "credits");
    expectAscending(palette("hedelmae.pal"), 128, 255, "roto");
    // The greetings sky: clouds 0..99, then sparks 0..5 carry on the same
    // ramp (flicker sums reach slot 233), then the sparks up to slot 251.
    const Palette clouds = palette("clouds.pal"), sparks = palette("sparks.pal");
    Palette sky{};
    for (int i = 0; i < 100; ++i)
        sky[size_t(i)] = clouds[size_t(i)];
    for (int i = 0; i < 24; ++i)
        sky[size_t(100 + i)] = sparks[size_t(i)];
    expectAscending(sky, 0, 105, "cloud ramp");
    expectAscending(sky, 106, 123, "spark ramp");
    EXPECT_GE(paint::luminance(sparks[23]), 245);  // the lightning
}

TEST_F(ForgedData, RainSkyKeyMatchesTheFlatSkyAndTheRainRampIsSmooth)
{
    const Palette p = palette("rainsky.pal");
    const Rgb key = p[255], flat = p[90];
    EXPECT_LE(std::abs(key.r - flat.r) + std::abs(key.g - flat.g) + std::abs(key.b - flat.b), 3);
    for (int i = 51; i <= 99; ++i)
        EXPECT_LE(std::abs(paint::luminance(p[size_t(i)]) - paint::luminance(p[size_t(i - 1)])), 6.0) << i;
}

// A converted picture must carry exactly the palette in force at its load,
// so SDL copies its indices unchanged.
void expectCarries(const Decoded& d, const Palette& inForce, const std::string& name)
{
    ASSERT_EQ(d.palette.size(), 256u) << name;
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(key(d.palette[size_t(i)]), key(inForce[size_t(i)])) << name << " entry " << i;
}

// Every picture as the data table describes it; converted pictures carry
// the palette in force when they load.
TEST_F(ForgedData, PicturesHaveTheirExactSizesDimensionsAndModes)
{
    for (const DataFile& file : DataFiles) {
        if (!isPicture(file))
            continue;
        const std::string name = dataFileName(file);
        if (file.bytes != 0) {
            EXPECT_EQ(fs::file_size(path(name)), file.bytes) << name;
        }
        expectWellFormed(path(name));
        const Decoded d = decode(path(name));
        EXPECT_EQ(d.width, file.width) << name;
        EXPECT_GE(d.height, file.minHeight) << name;
        EXPECT_LE(d.height, file.maxHeight) << name;
        EXPECT_EQ(d.colourType, file.kind == DataKind::GrayPicture ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE)
            << name;
        EXPECT_EQ(d.bitDepth, 8) << name;
        EXPECT_FALSE(d.hasTrns) << name;
        if (file.paletteAtLoad)
            expectCarries(d, readPalette("data" + std::string(file.paletteAtLoad).substr(4)), name);
    }
}

TEST_F(ForgedData, ConvertedPicturesCarryThePaletteInForceAndStayInTheirIndices)
{
    const Decoded landscape = decode(path("maasto"));
    size_t skyInRainBand = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (landscape.pixels[size_t(y * 320 + x)] == 255) {
                EXPECT_LT(y, 175) << "sky key below the horizon at " << x << "," << y;
                // Above the rain the clouds hide the sky, or it would show
                // as a plain strip over the falling rain.
                EXPECT_GE(y, 64) << "sky key above the rain at " << x << "," << y;
                skyInRainBand += y >= 64 && y <= 167;
            }
    EXPECT_GT(skyInRainBand, 320u * 40u);  // the rain has room to show

    const Palette logo = palette("logo.pal");
    const Decoded sandLogo = decode(path("hiekkalogo"));
    EXPECT_LE(*std::max_element(sandLogo.pixels.begin(), sandLogo.pixels.end()), 127);

    Palette logoWithSandSlots = logo;
    const Palette sand = palette("sand.pal");
    std::copy(sand.begin(), sand.begin() + 128, logoWithSandSlots.begin() + 128);
    const Decoded sandTexture = decode(path("sand"));
    expectCarries(sandTexture, logoWithSandSlots, "sand");
    EXPECT_GE(*std::min_element(sandTexture.pixels.begin(), sandTexture.pixels.end()), 128);
    const auto bright = std::count_if(sandTexture.pixels.begin(), sandTexture.pixels.end(), [](uint8_t v) { return v >= 170; });
    EXPECT_GT(bright, 76800 * 9 / 10);
}

TEST_F(ForgedData, HeightsSeparateTheLogoFromTheGround)
{
    // Letters stand at 170 and above, the ground at 120 and below; only the
    // banks between them may take the heights in between. Lower ground
    // would clamp the flood's first shallows to one flat colour.
    const Decoded heights = decode(path("heightmap"));
    size_t high = 0, bank = 0;
    for (uint8_t h : heights.pixels) {
        high += h >= 170;
        bank += h > 120 && h < 170;
        EXPECT_LE(h, 250);
        EXPECT_GE(h, 88);
    }
    EXPECT_GT(high, 76800u / 10);
    EXPECT_LT(bank, 76800u / 5);
}

// The sand reveal run on the forged height map. Ahead of the band that eats
// the sand, the smoothing lets the level sink a little (most at the right
// edge), so letters standing too high there would show through before the
// band reaches them; behind the band the letters must come through nearly
// whole. The bites follow rand(), so a few sequences are tried.
TEST_F(ForgedData, SandRevealKeepsTheLogoHiddenUntilTheBandArrives)
{
    buildPlainTables();  // the row offsets the scene reads
    const Decoded heights = decode(path("heightmap"));
    ASSERT_EQ(heights.pixels.size(), 76800u);
    for (unsigned seed : {1u, 2u, 3u}) {
        std::memset(WhiteBufferA, 255, sizeof WhiteBufferA);
        std::memset(WhiteBufferB, 255, sizeof WhiteBufferB);
        SandReveal.steps = 0;
        SandReveal.biteCount = 250;
        seedShowRandom(seed);
        size_t early = 0;
        for (int n = 1; n <= 200; ++n) {
            updateSandReveal();
            // The bites of step n reach column 3n + 23; a few columns more
            // are the band's own soft edge.
            for (int i = 0; i < 76800; ++i)
                early += i % 320 > 3 * n + 30 && heights.pixels[size_t(i)] > WhiteBufferA[i];
        }
        EXPECT_EQ(early, 0u) << "seed " << seed;
        size_t letters = 0, shown = 0;
        for (int i = 0; i < 76800; ++i) {
            if (heights.pixels[size_t(i)] >= 180) {
                ++letters;
                shown += heights.pixels[size_t(i)] > WhiteBufferA[i];
            }
        }
        EXPECT_GT(shown, letters * 95 / 100) << "seed " << seed;
    }
}

// Differences across the wrap compared with those inside the picture.
double seamRatio(const Decoded& d)
{
    double seam = 0, inside = 0;
    for (int y = 0; y < d.height; ++y) {
        seam += std::abs(d.pixels[size_t(y * d.width + d.width - 1)] - d.pixels[size_t(y * d.width)]);
        inside += std::abs(d.pixels[size_t(y * d.width + d.width / 2)] - d.pixels[size_t(y * d.width + d.width / 2 - 1)]);
    }
    for (int x = 0; x < d.width; ++x) {
        seam += std::abs(d.pixels[size_t((d.height - 1) * d.width + x)] - d.pixels[size_t(x)]);
        inside += std::abs(d.pixels[size_t((d.height / 2) * d.width + x)] - d.pixels[size_t((d.height / 2 - 1) * d.width + x)]);
    }
    return seam / std::max(1.0, inside);
}

TEST_F(ForgedData, CloudsTileAreStoredInEighthsAndLeaveClearGaps)
{
    for (const char* name : {"cloud1", "cloud2", "cloud3"}) {
        const Decoded d = decode(path(name));
        size_t clear = 0, dense = 0;
        for (uint8_t v : d.pixels) {
            EXPECT_EQ(v % 8, 0) << name;
            clear += v == 0;
            dense += (v >> 3) >= 24;
        }
        EXPECT_GT(clear, 65536u / 4) << name;
        EXPECT_GT(dense, 65536u / 5) << name;
        EXPECT_LT(seamRatio(d), 2.0) << name;
    }
    EXPECT_LT(seamRatio(decode(path("roto"))), 2.0);
}

// The double rotozoom redraws every other row per frame while its views turn
// by up to about sixteen texels a frame far from their pivots, so whatever
// the tile's brightness does over that distance shows between neighbouring
// rows as a comb; yet a tile that hardly changes there is a blur in which
// the turning and zooming no longer read. Outlines soft over a few texels on
// a ramp that changes hue more than brightness give about 14 here and a
// comb of 5 to 8 luma on screen; specks and sharp outlines gave 18 (a comb
// of 14 to 21), outlines spread over fourteen texels 6.5 (blobs).
TEST_F(ForgedData, RotoTileChangesNeitherTooFastNorTooSlowlyAtOneFramesTurn)
{
    const Decoded roto = decode(path("roto"));
    const Palette pal = palette("hedelmae.pal");
    ASSERT_EQ(roto.width, 256);
    ASSERT_EQ(roto.height, 256);
    const auto luma = [&](int x, int y) { return paint::luminance(pal[roto.pixels[size_t((y & 255) * 256 + (x & 255))]]); };
    constexpr int Turn = 12;  // texels
    double change = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            change += std::abs(luma(x, y) - luma(x + Turn, y)) + std::abs(luma(x, y) - luma(x, y + Turn));
    EXPECT_GT(change / (2 * 256 * 256), 10.0);
    EXPECT_LT(change / (2 * 256 * 256), 15.5);
}

TEST_F(ForgedData, SpritesKeepTheirValueRules)
{
    const Decoded flare = decode(path("flare"));
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(flare.pixels[size_t(i)], 0);                 // top row
        EXPECT_EQ(flare.pixels[size_t(31 * 32 + i)], 0);       // bottom row
        EXPECT_EQ(flare.pixels[size_t(i * 32)], 0);            // left column
        EXPECT_EQ(flare.pixels[size_t(i * 32 + 31)], 0);       // right column
    }
    EXPECT_EQ(flare.pixels[size_t(16 * 32 + 16)], 255);

    const Decoded bird = decode(path("bird"));
    for (int frame = 0; frame < 6; ++frame) {
        size_t body = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint8_t v = bird.pixels[size_t(y * 192 + frame * 32 + x)];
                EXPECT_TRUE(v == 0 || v >= 200) << "frame " << frame;
                body += v != 0;
            }
        EXPECT_GT(body, 60u) << "frame " << frame;
    }

    const Decoded bolt = decode(path("lightning"));
    bool topOf12 = false, topOf48 = false;
    for (int i = 0; i < 256 * 192; ++i) {
        const uint8_t v = bolt.pixels[size_t(i)];
        EXPECT_TRUE(v == 0 || v == 12 || v == 48 || v == 60) << i;
        if (i < 256) {
            topOf12 |= (v & 12) != 0;
            topOf48 |= (v & 48) != 0;
        }
    }
    EXPECT_TRUE(topOf12 && topOf48);  // both bolts start at the top
}

TEST_F(ForgedData, BackdropsStayInTheirRanges)
{
    const Decoded backdrop = decode(path("tausta"));
    EXPECT_LE(*std::max_element(backdrop.pixels.begin(), backdrop.pixels.end()), 120);

    // Credits: every panel pixel on the credits ramp, never the band colour
    // or the closing disc, with lettering in the brightest part.
    const Decoded credits = decode(path("credits"));
    for (int panel = 0; panel < 4; ++panel) {
        size_t lettering = 0;
        for (int i = 0; i < 320 * 128; ++i) {
            const uint8_t v = credits.pixels[size_t(panel * 320 * 128 + i)];
            EXPECT_GE(v, 2);
            EXPECT_LE(v, 127);
            lettering += v >= 110;
        }
        EXPECT_GT(lettering, 1500u) << "panel " << panel;
    }
}

}  // namespace
