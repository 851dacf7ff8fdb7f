// The greetings object (words of letter cubes, spark bursts) and the
// greetings scene over the clouds.
#include "core/random.h"
#include "objects/greetings.h"
#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "scenes/greetings_clouds.h"
#include "scenes/scenes.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// A word built by hand: every letter a square with a plain texture of
// colour 90, standing at the vertical centre of column 50.
struct SmallWord {
    Screen& screen = testScreen();
    std::vector<uint8_t> texels = std::vector<uint8_t>(65537, 90);
    Picture texture{};
    GreetingWord* word = &keepForever(new GreetingWord{});
    explicit SmallWord(int length)
    {
        texture.screen = &screen;
        texture.pixels = texels.data();
        texture.width = texture.height = 256;
        texture.pixelCount = 65536;
        const std::string square = writeSquareOb("greetings");
        word->screen = &screen;
        word->length = length;
        word->instance = 0;
        for (int i = 0; i < length; ++i) {
            loadMesh(word->letterCubes[i], square.c_str(), texture, screen, 4, 4, 4);
            placeLetterCube(*word, i, 0);
            word->letterCubes[i].offsetZ = 0;
            transformMesh(word->letterCubes[i]);
            word->countdown[i] = i + 1;
            resetSparkBurst(word->bursts[i], screen);
        }
        word->active = 1;
    }
    uint8_t drawnAtCentre()
    {
        std::memset(screen.pixels, 0, ScreenPixels);
        clearDepth(screen, 100);
        drawGreetingWord(*word);
        return screen.pixels[160 * 320 + 50];
    }
};

TEST(GreetingWord, EmptyOrOverlongWordEndsTheProgram)
{
    Screen& screen = testScreen();
    GreetingWord word{};
    for (const char* text : {"", "ABCDEFGHIJK"}) {
        EXPECT_EXIT(
            {
                dup2(2, 1);  // the check reads standard error
                createGreetingWord(word, screen, text);
            },
            testing::ExitedWithCode(1), "^:\\(\n")
            << '"' << text << '"';
    }
}

// Letter 2 of a leaving word counts down three ticks (then drawn flat in
// 251), starts its burst on the next three (249, 247, then gone), and its
// sparks go on without the cube.
TEST(GreetingWord, LeavingLetterCountsDownBurstsThriceAndGoes)
{
    SmallWord small(3);
    GreetingWord& word = *small.word;
    word.letterCubes[2].offsetZ = 0;
    word.letterCubes[0].visible = word.letterCubes[1].visible = 0;
    word.leaving = 1;
    EXPECT_EQ(small.drawnAtCentre(), 90);  // textured while counting
    const struct {
        int32_t countdown, stage;
        uint8_t visible, colour;
        int32_t sparkAge;
    } expected[] = {
        {2, 0, 1, 90, 0}, {1, 0, 1, 90, 0}, {0, 0, 1, 251, 0}, {0, 2, 1, 249, 1},
        {0, 4, 1, 247, 1}, {0, 6, 0, 0, 1}, {0, 6, 0, 0, 2},
    };
    int tick = 0;
    for (const auto& e : expected) {
        ++tick;
        tickGreetingWord(word);
        EXPECT_EQ(word.countdown[2], e.countdown) << "tick " << tick;
        EXPECT_EQ(word.burstStage[2], e.stage) << "tick " << tick;
        EXPECT_EQ(word.letterCubes[2].visible, e.visible) << "tick " << tick;
        if (e.stage > 0) {
            EXPECT_EQ(word.bursts[2].age[0], e.sparkAge) << "tick " << tick;
        }
        // Sparks fly off the centre; the pixel shows the cube's colour.
        if (e.visible) {
            EXPECT_EQ(small.drawnAtCentre(), e.colour) << "tick " << tick;
        }
    }
    EXPECT_EQ(word.wordTicks, tick);
}

TEST(GreetingWord, InactiveWordNeitherMovesNorDraws)
{
    SmallWord small(1);
    GreetingWord& word = *small.word;
    word.active = 0;
    const int32_t z = word.letterCubes[0].offsetZ;
    tickGreetingWord(word);
    EXPECT_EQ(word.letterCubes[0].offsetZ, z);
    EXPECT_EQ(word.wordTicks, 0);
    EXPECT_EQ(small.drawnAtCentre(), 0);
    word.active = 1;
    tickGreetingWord(word);
    // First tick: cos table at 128 (about -250) plus 270.
    EXPECT_EQ(word.letterCubes[0].offsetZ, z + CosineTable[128] + 270);
    EXPECT_EQ(word.letterCubes[0].angleZ, 64);
}

TEST(SparkBurst, SparksFallUnderGravityAndStopAfterAge69)
{
    Screen& screen = testScreen();
    auto burst = std::make_unique<SparkBurst>();
    resetSparkBurst(*burst, screen);
    seedShowRandom(77);
    const int32_t a1 = showRandom() % 4095;
    const int32_t a2 = showRandom() % 4095;
    const int32_t speed = showRandom() % 1024 + 256;
    seedShowRandom(77);
    startSparkBurst(*burst, 160 << 8, 120 << 8);
    EXPECT_EQ(burst->vx[0], (speed * CosineTable[a1]) >> 8);
    EXPECT_EQ(burst->vy[0], (speed * SineTable[a2]) >> 8);
    for (int j = 0; j < SparkCount; ++j) {
        EXPECT_LE(std::abs(burst->vx[j]), 1279);
        EXPECT_LE(std::abs(burst->vy[j]), 1279);
    }

    const int32_t vx = burst->vx[7], vy = burst->vy[7];
    tickSparkBurst(*burst);
    EXPECT_EQ(burst->previousX[7], 160 << 8);
    EXPECT_EQ(burst->x[7], (160 << 8) + vx);
    EXPECT_EQ(burst->y[7], (120 << 8) + vy);
    EXPECT_EQ(burst->vy[7], vy + 64);
    std::memset(screen.pixels, 0, ScreenPixels);
    drawSparkBurst(*burst);
    EXPECT_EQ(screen.pixels[120 * 320 + 160], 251);  // every streak starts here

    for (int t = 2; t <= 70; ++t)
        tickSparkBurst(*burst);
    EXPECT_EQ(burst->age[7], 70);
    // Position after n ticks: start + n vx, and vy grows by 64 per tick.
    EXPECT_EQ(burst->x[7], (160 << 8) + 70 * vx);
    EXPECT_EQ(burst->y[7], (120 << 8) + 70 * vy + 64 * (70 * 69 / 2));
    const int32_t x = burst->x[7];
    tickSparkBurst(*burst);
    EXPECT_EQ(burst->x[7], x);
    EXPECT_EQ(burst->age[7], 70);
    std::memset(screen.pixels, 0, ScreenPixels);
    drawSparkBurst(*burst);
    for (int i = 0; i < ScreenPixels; ++i)
        ASSERT_EQ(screen.pixels[i], 0);
}

TEST(SparkBurst, StreaksDarkenEveryFourTicks)
{
    Screen& screen = testScreen();
    auto burst = std::make_unique<SparkBurst>();
    resetSparkBurst(*burst, screen);
    startSparkBurst(*burst, 160 << 8, 120 << 8);
    for (int j = 0; j < SparkCount; ++j)
        burst->vx[j] = burst->vy[j] = 0;  // every streak on one pixel
    for (int age = 0; age <= 69; ++age) {
        for (int j = 0; j < SparkCount; ++j)
            burst->age[j] = age;
        drawSparkBurst(*burst);
        ASSERT_EQ(screen.pixels[120 * 320 + 160], 251 - age / 4) << age;
    }
}

// Four empty words: the flags alone decide which are ticked and leaving.
struct FourWords {
    Screen& screen = testScreen();
    std::unique_ptr<GreetingWord> storage[4];
    Greetings greetings{};
    FourWords()
    {
        createGreetings(greetings, screen);
        for (int w = 0; w < 4; ++w) {
            storage[w] = std::make_unique<GreetingWord>();
            storage[w]->screen = &screen;
            greetings.words[w] = storage[w].get();
        }
        greetings.wordCount = 4;
        greetings.words[0]->active = 1;
    }
    GreetingWord& word(int w) { return *greetings.words[w]; }
};

TEST(Greetings, FlagsBringInEachWordAndSendThePreviousAway)
{
    FourWords four;
    four.word(2).active = 1;  // active but beyond the active count: not ticked
    tickGreetings(four.greetings, 0);
    EXPECT_EQ(four.greetings.activeCount, 1);
    EXPECT_EQ(four.word(0).wordTicks, 1);
    EXPECT_EQ(four.word(2).wordTicks, 0);
    four.word(2).active = 0;

    tickGreetings(four.greetings, 1);
    EXPECT_EQ(four.greetings.activeCount, 2);
    EXPECT_EQ(four.word(1).active, 1);
    EXPECT_EQ(four.word(0).leaving, 1);
    EXPECT_EQ(four.word(1).leaving, 0);
    EXPECT_EQ(four.word(2).active, 0);

    tickGreetings(four.greetings, 7);
    EXPECT_EQ(four.greetings.activeCount, 4);
    for (int w = 0; w < 4; ++w)
        EXPECT_EQ(four.word(w).active, 1) << w;
    for (int w = 0; w < 3; ++w)
        EXPECT_EQ(four.word(w).leaving, 1) << w;
    EXPECT_EQ(four.word(3).leaving, 0);
    EXPECT_EQ(four.word(3).wordTicks, 1);

    tickGreetings(four.greetings, 15);
    EXPECT_EQ(four.word(3).leaving, 1);
    EXPECT_EQ(four.word(0).wordTicks, 4);
    EXPECT_EQ(four.word(1).wordTicks, 3);
    EXPECT_EQ(four.word(3).wordTicks, 2);
}

TEST(Greetings, DrawClearsTheDepthBufferTo100)
{
    FourWords four;
    std::fill(std::begin(four.screen.depth), std::end(four.screen.depth), -5);
    drawGreetings(four.greetings);
    EXPECT_EQ(four.screen.depth[0], 25600);
    EXPECT_EQ(four.screen.depth[76799], 25600);
}

bool haveGreetingsData()
{
    return std::filesystem::exists("data/font-16x16") && std::filesystem::exists("data/cube.ob") &&
           std::filesystem::exists("data/stoneblock");
}

// With the real data: a ten-letter word is accepted; a letter is stamped in
// colour 0 inside the four glyph blocks only; a blank keeps plain stone and
// still gets a cube and a burst.
TEST(GreetingWord, BuiltFromTheDataSetStampsLettersAndKeepsBlanksPlain)
{
    ASSERT_TRUE(haveGreetingsData()) << "no forged data set in data/";
    Screen& screen = testScreen();
    GreetingWord* ten = &keepForever(new GreetingWord{});
    const int32_t before = GreetingWordsCreated;
    createGreetingWord(*ten, screen, "ABCDEFGHIJ");
    EXPECT_EQ(ten->length, 10);
    EXPECT_EQ(ten->instance, before);
    EXPECT_EQ(GreetingWordsCreated, before + 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(ten->text), "ABCDEFGHIJ");

    GreetingWord* word = &keepForever(new GreetingWord{});
    createGreetingWord(*word, screen, "A ");
    word->instance = 0;
    Picture& stone = keepForever(new Picture{});
    loadPicture(stone, "data/stoneblock", screen, 0, false);
    LetterParts& parts = keepForever(new LetterParts{});
    loadLetterParts(parts, stone, screen);
    buildGreetingWord(*word, parts);
    const uint8_t* letter = word->letterTextures[0].pixels;
    const uint8_t* blank = word->letterTextures[1].pixels;
    EXPECT_EQ(std::memcmp(blank, stone.pixels, 65536), 0);
    auto insideABlock = [](int x, int y) {
        static constexpr int Blocks[4][2] = {{96, 96}, {16, 16}, {16, 96}, {96, 180}};
        for (const auto& block : Blocks)
            if (x >= block[0] && x < block[0] + 64 && y >= block[1] && y < block[1] + 64)
                return true;
        return false;
    };
    int stamped = 0;
    for (int i = 0; i < 65536; ++i) {
        if (letter[i] != stone.pixels[i]) {
            ++stamped;
            ASSERT_EQ(letter[i], 0);
            ASSERT_TRUE(insideABlock(i & 255, i >> 8)) << (i & 255) << "," << (i >> 8);
        }
    }
    EXPECT_GT(stamped, 4 * 100);

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(word->letterCubes[i].vertexCount, 26);
        EXPECT_EQ(word->letterCubes[i].shaded, 1);
        EXPECT_EQ(word->letterCubes[i].centreX, 12800);
        EXPECT_EQ(word->countdown[i], i + 1);
    }
    EXPECT_EQ(word->letterCubes[1].offsetZ, -25600 - 5632);
    word->active = 1;
    word->leaving = 1;
    for (int t = 0; t < 3; ++t)
        tickGreetingWord(*word);
    EXPECT_EQ(word->burstStage[1], 2);
    EXPECT_EQ(word->bursts[1].age[0], 1);
}

// The scene with four empty words and pictures of our own.
struct GreetingsScene : testing::Test {
    Screen& screen = testScreen();
    FourWords four;
    Greetings savedGreetings = SceneGreetings;
    Picture savedClouds[3] = {cloud1Picture, cloud2Picture, cloud3Picture};
    Picture savedLightning = lightningPicture;
    std::vector<uint8_t> clouds[3];
    std::vector<uint8_t> lightning = std::vector<uint8_t>(256 * 192 + 1, 0);
    void SetUp() override
    {
        SceneGreetings = four.greetings;
        Picture* layers[3] = {&cloud1Picture, &cloud2Picture, &cloud3Picture};
        for (int c = 0; c < 3; ++c) {
            clouds[c].assign(65537, 0);
            layers[c]->pixels = clouds[c].data();
        }
        lightningPicture.pixels = lightning.data();
        GreetingsClouds.flashOn = 0;
    }
    void TearDown() override
    {
        SceneGreetings = savedGreetings;
        cloud1Picture = savedClouds[0];
        cloud2Picture = savedClouds[1];
        cloud3Picture = savedClouds[2];
        lightningPicture = savedLightning;
    }
    uint8_t pixel(int x, int y) const { return screen.pixels[y * 320 + x]; }
};

// The clouds repaint one column parity per frame (odd columns when the step
// count is even) with base + three 5-bit layers, rows 1 to 239; rows 0 and 1
// end up cleared.
TEST_F(GreetingsScene, CloudsRepaintEveryOtherColumnWithinTheirRange)
{
    for (auto& layer : clouds)
        std::fill(layer.begin(), layer.end(), 31);
    std::memset(screen.pixels, 7, ScreenPixels);
    GreetingsClouds.base = 128;
    TickCount = 10;
    drawGreetingsClouds();
    EXPECT_EQ(pixel(319, 239), 221);
    EXPECT_EQ(pixel(1, 2), 221);
    EXPECT_EQ(pixel(318, 239), 7);
    EXPECT_EQ(pixel(0, 2), 7);
    EXPECT_EQ(pixel(1, 1), 0);
    EXPECT_EQ(pixel(0, 1), 0);

    GreetingsClouds.base = 140;
    TickCount = 11;
    drawGreetingsClouds();
    EXPECT_EQ(pixel(0, 239), 233);
    EXPECT_EQ(pixel(318, 2), 233);
    EXPECT_EQ(pixel(319, 239), 221);

    for (auto& layer : clouds)
        std::fill(layer.begin(), layer.end(), 0);
    drawGreetingsClouds();
    EXPECT_EQ(pixel(0, 100), 140);
}

// Each layer scrolls by its own shift and wraps at 256 columns and rows.
TEST_F(GreetingsScene, CloudLayersScrollAndTile)
{
    clouds[0][5 * 256 + 10] = 8;   // layer 1, column 10 of row 5
    clouds[1][5 * 256 + 255] = 16; // layer 2, column 255
    clouds[2][5 * 256 + 0] = 4;    // layer 3, column 0
    GreetingsClouds.base = 128;
    GreetingsClouds.shift1 = 256 * 4 + 7;  // column x reads layer column x + 7
    GreetingsClouds.shift2 = 1;
    GreetingsClouds.shift3 = -1;
    TickCount = 0;  // odd columns
    drawGreetingsClouds();
    EXPECT_EQ(pixel(3, 5), 128 + 8);
    EXPECT_EQ(pixel(1, 5), 128 + 4);    // column 1 - 1 of layer 3
    EXPECT_EQ(pixel(257, 5), 128 + 4);  // 257 - 1 = 256 wraps to 0
    EXPECT_EQ(pixel(3, 6), 128);
    TickCount = 1;  // even columns
    drawGreetingsClouds();
    EXPECT_EQ(pixel(254, 5), 128 + 16);
    EXPECT_EQ(pixel(0, 5), 128);  // layer 3 reads column 255
}

// Bit planes 12 and 48 flash on frames 1 and 2 of every four, moved by
// GreetingsClouds.flashShift; columns that would leave the screen are dropped.
TEST_F(GreetingsScene, LightningFlashesTwoBitPlanesWithItsShift)
{
    lightning[10 * 256 + 5] = 48;   // moved off the left edge
    lightning[10 * 256 + 30] = 12;
    lightning[20 * 256 + 100] = 60;
    lightning[191 * 256 + 255] = 48;
    GreetingsClouds.flashOn = 1;
    GreetingsClouds.flashShift = -20;
    GreetingsClouds.base = 0;  // the clouds paint 0
    auto drawAt = [&](int32_t tick) {
        TickCount = tick;
        std::memset(screen.pixels, 0, ScreenPixels);
        drawGreetingsClouds();
    };
    drawAt(2);
    EXPECT_EQ(pixel(80, 20), 251);
    EXPECT_EQ(pixel(235, 191), 251);
    EXPECT_EQ(pixel(10, 10), 0);
    EXPECT_EQ(pixel(0, 10), 0);
    drawAt(5);
    EXPECT_EQ(pixel(10, 10), 251);
    EXPECT_EQ(pixel(80, 20), 251);
    EXPECT_EQ(pixel(235, 191), 0);
    for (int32_t tick : {4, 7}) {
        drawAt(tick);
        EXPECT_EQ(pixel(80, 20), 0) << tick;
    }
    GreetingsClouds.flashShift = 120;
    drawAt(2);
    EXPECT_EQ(pixel(220, 20), 251);
    EXPECT_EQ(pixel(319, 191), 0);  // 255 + 120 is off the right edge
    GreetingsClouds.flashOn = 0;
    drawAt(2);
    EXPECT_EQ(pixel(220, 20), 0);
}

TEST_F(GreetingsScene, UpdateOpensLightningWindowsAndRaisesTheFlags)
{
    GreetingsClouds.flashShift = 0;
    DemoTime = 18500;
    updateGreetingsClouds();
    EXPECT_EQ(GreetingsClouds.flashOn, 0);
    EXPECT_EQ(SceneGreetings.activeCount, 1);
    EXPECT_TRUE(GreetingsClouds.base == 128 || GreetingsClouds.base == 140);

    const int32_t shift1 = GreetingsClouds.shift1, shift3 = GreetingsClouds.shift3;
    DemoTime = 19010;
    updateGreetingsClouds();
    EXPECT_EQ(GreetingsClouds.shift1, shift1 + 3);
    EXPECT_EQ(GreetingsClouds.shift3, shift3 + 1);
    EXPECT_EQ(GreetingsClouds.flashOn, 1);
    EXPECT_EQ(GreetingsClouds.flashShift, -20);
    EXPECT_EQ(SceneGreetings.activeCount, 2);
    EXPECT_EQ(SceneGreetings.words[0]->leaving, 1);

    DemoTime = 19030;
    updateGreetingsClouds();
    EXPECT_EQ(GreetingsClouds.flashOn, 0);
    EXPECT_EQ(GreetingsClouds.flashShift, -20);

    DemoTime = 21429;
    updateGreetingsClouds();
    EXPECT_EQ(GreetingsClouds.flashOn, 1);
    EXPECT_EQ(GreetingsClouds.flashShift, 120);
    EXPECT_EQ(SceneGreetings.activeCount, 4);
    EXPECT_EQ(SceneGreetings.words[3]->leaving, 1);
}

}  // namespace
