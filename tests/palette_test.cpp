// Palette files into slot ranges, and the switch at scene changes.
#include "core/show_state.h"
#include "core/palette.h"
#include "show/palette_switch.h"
#include "scenes/scene_bits.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A RIFF palette whose entry n is (n, seed, 255 - n), `entries` long.
void writeTestPalette(const std::filesystem::path& path, uint8_t seed, int entries = 256)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    const uint8_t header[24] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ',
                                'd', 'a', 't', 'a', 0, 0, 0, 0, 0, 3, 0, 1};
    std::fwrite(header, 1, sizeof header, file);
    for (int n = 0; n < entries; ++n) {
        const uint8_t entry[4] = {uint8_t(n), seed, uint8_t(255 - n), 0};
        std::fwrite(entry, 1, 4, file);
    }
    std::fclose(file);
}

SDL_Color slot(int i)
{
    return MainScreen.surface->format->palette->colors[i];
}

// Runs each test in a directory of its own whose data/ holds test palettes.
class PaletteFiles : public testing::Test {
protected:
    void SetUp() override
    {
        testScreen();
        home = std::filesystem::current_path();
        dir = makeTempDir("palette");
        std::filesystem::create_directories(dir / "data");
        std::filesystem::current_path(dir);
    }
    void TearDown() override { std::filesystem::current_path(home); }

    std::filesystem::path home;
    std::filesystem::path dir;
};

TEST_F(PaletteFiles, LoadsARunOfEntriesIntoARangeOfSlots)
{
    writeTestPalette("data/base.pal", 1);
    writeTestPalette("data/upper.pal", 2);
    loadPalette(MainScreen, "data/base.pal", 0, 256, 0);
    loadPalette(MainScreen, "data/upper.pal", 10, 128, 128);
    EXPECT_EQ(slot(0).g, 1);
    EXPECT_EQ(slot(127).r, 127);
    EXPECT_EQ(slot(127).g, 1) << "slots below the range keep the earlier palette";
    EXPECT_EQ(slot(128).r, 10) << "the run starts at file entry 10";
    EXPECT_EQ(slot(128).g, 2);
    EXPECT_EQ(slot(255).r, 137);
    EXPECT_EQ(MainScreen.colours[0].r, 10) << "staging always fills from entry 0";
}

TEST_F(PaletteFiles, EntriesPastTheEndOfAShortFileReadAs255)
{
    writeTestPalette("data/short.pal", 3, 4);
    loadPalette(MainScreen, "data/short.pal", 0, 8, 0);
    EXPECT_EQ(slot(3).r, 3);
    EXPECT_EQ(slot(4).r, 255);
    EXPECT_EQ(slot(7).b, 255);
}

TEST_F(PaletteFiles, MissingEmptyOrWrongFirstByteIsRefusedByName)
{
    EXPECT_EXIT_WITH_OUTPUT(loadPalette(MainScreen, "data/none.pal", 0, 256, 0),
                            "^unable to open data/none.pal: No such file or directory; the data set is read "
                            "from .*/data \\(data/ in the working directory\\); .*--data DIR\n$");
    std::filesystem::create_directory("data/dir.pal");
    EXPECT_EXIT_WITH_OUTPUT(requirePaletteFile("data/dir.pal"),
                            "^unable to open data/dir.pal: Is a directory\n$");
    std::fclose(std::fopen("data/empty.pal", "wb"));
    EXPECT_EXIT_WITH_OUTPUT(loadPalette(MainScreen, "data/empty.pal", 0, 256, 0),
                            "^bad palette data/empty.pal: empty file\n$");
    FILE* file = std::fopen("data/bad.pal", "wb");
    std::fputs("XIFF and more bytes than a header needs", file);
    std::fclose(file);
    EXPECT_EXIT_WITH_OUTPUT(requirePaletteFile("data/bad.pal"),
                            "^bad palette data/bad.pal: starts with byte 88, not R\n$");
}

TEST_F(PaletteFiles, SwitchLoadsOnlyWhenTheSceneCodeSharesNoBit)
{
    writeTestPalette("data/flares.pal", 20);
    writeTestPalette("data/jungle2.pal", 30);
    LastPaletteMask = CreditsIrisBit;
    SceneMask = FlarePyramidBit;
    switchPalette();
    EXPECT_EQ(slot(5).g, 20);
    EXPECT_EQ(LastPaletteMask, FlarePyramidBit);

    std::filesystem::remove("data/flares.pal");  // a reload would now end the program
    SceneMask = FlarePyramidBit | ZoomTrailsBit;
    switchPalette();
    EXPECT_EQ(LastPaletteMask, FlarePyramidBit) << "the overlay shares the pyramid's bit: nothing loads, nothing changes";

    SceneMask = JungleBit;
    switchPalette();
    EXPECT_EQ(slot(5).g, 30);
    EXPECT_EQ(LastPaletteMask, JungleBit);

    SceneMask = EndOfShow;
    switchPalette();
    EXPECT_EQ(slot(5).g, 30) << "the end of the show keeps the last palette";
}

}  // namespace
