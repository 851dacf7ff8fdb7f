// The web build's seams on the desktop: pictures decoded ahead of time, and a
// clock of the front end's own.
#include "core/clock.h"
#include "support.h"
#include "web/baked_pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string BakedDir;

bool readFromBakedDir(Picture& picture, const char* path, const Screen& screen, bool grayscale)
{
    return readBakedPicture(BakedDir + "/" + bakedPictureName(path, screen, grayscale), picture);
}

TEST(BakedPictures, LoadAsWrittenAndRefuseDamagedFiles)
{
    Screen& screen = testScreen();
    BakedDir = makeTempDir("baked").string();
    const fs::path source = fs::path(BakedDir) / "source";
    std::fclose(std::fopen(source.c_str(), "wb"));  // loadPicture checks it exists

    Picture written{};
    std::vector<uint8_t> storage;
    makeTestPicture(written, storage, 6, 3, 0);
    for (uint32_t i = 0; i < written.pixelCount; ++i)
        written.pixels[i] = uint8_t(i * 13);
    const fs::path baked = fs::path(BakedDir) / bakedPictureName(source.c_str(), screen, true);
    ASSERT_TRUE(writeBakedPicture(baked.string(), written));

    PictureSource = readFromBakedDir;
    Picture loaded{};
    loadPicture(loaded, source.c_str(), screen, 0, true);
    EXPECT_EQ(loaded.width, 6);
    EXPECT_EQ(loaded.height, 3);
    EXPECT_EQ(loaded.right, 6);
    EXPECT_EQ(loaded.bottom, 3);
    EXPECT_EQ(std::vector<uint8_t>(loaded.pixels, loaded.pixels + 18),
              std::vector<uint8_t>(written.pixels, written.pixels + 18));

    // One index short, one too many, a header alone: each refused, and the
    // load ends as for an undecodable file.
    Picture refused{};
    for (const std::uintmax_t size : {4u + 17u, 4u + 19u, 4u, 2u}) {
        ASSERT_TRUE(writeBakedPicture(baked.string(), written));
        fs::resize_file(baked, size);
        EXPECT_FALSE(readBakedPicture(baked.string(), refused)) << size << " bytes";
    }
    EXPECT_EXIT_WITH_OUTPUT(loadPicture(refused, source.c_str(), screen, 0, true),
                            "^bad picture .*/source: no decoded copy of it\n$");
    PictureSource = nullptr;
}

TEST(BakedPictures, ConvertedNamesTellPalettesApart)
{
    Screen& screen = testScreen();
    screen.colours[7] = {1, 2, 3, 0};
    const std::string grayBefore = bakedPictureName("data/sand", screen, true);
    const std::string convertedBefore = bakedPictureName("data/sand", screen, false);
    screen.colours[7] = {1, 2, 4, 0};
    EXPECT_EQ(bakedPictureName("data/sand", screen, true), grayBefore);
    EXPECT_NE(bakedPictureName("data/sand", screen, false), convertedBefore);
    EXPECT_EQ(grayBefore, "sand.g");
}

uint32_t FakeNow = 0;
uint32_t fakeTicks()
{
    return FakeNow;
}

TEST(Clock, ExternalClockIsReadAndNeverSleepsButTheVirtualClockWins)
{
    testScreen();
    useSdlClock();  // whatever clock an earlier test in this process left
    useExternalClock(fakeTicks);
    FakeNow = 123456;
    EXPECT_EQ(clockTicks(), 123456u);
    const uint32_t before = SDL_GetTicks();
    clockDelay(2000);
    EXPECT_LT(SDL_GetTicks() - before, 1000u);
    useVirtualClock(5);
    EXPECT_EQ(clockTicks(), 5u);
    useSdlClock();
}

}  // namespace
