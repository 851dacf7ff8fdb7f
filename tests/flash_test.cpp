// Photosensitivity: the flash meter on made-up picture sequences, then the
// whole show through it.
#include "flash_meter.h"
#include "support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int Pixels = 320 * 240;

// A palette of grey levels (entry i = i, i, i) with entry 255 pure red.
std::vector<uint8_t> greysAndRed()
{
    std::vector<uint8_t> rgb(768);
    for (int i = 0; i < 256; ++i)
        rgb[size_t(3 * i)] = rgb[size_t(3 * i + 1)] = rgb[size_t(3 * i + 2)] = uint8_t(i);
    rgb[765] = 255;
    rgb[766] = rgb[767] = 0;
    return rgb;
}

// Alternates the top `rows` of the picture between two indices every
// `periodMs` / 2 for `durationMs`, 20 ms a frame; the rest stays `low`.
FlashMeter alternate(int rows, uint8_t low, uint8_t high, uint32_t periodMs, uint32_t durationMs)
{
    FlashMeter meter;
    const std::vector<uint8_t> rgb = greysAndRed();
    std::vector<uint8_t> pixels(Pixels, low);
    for (uint32_t t = 0; t <= durationMs; t += 20) {
        const bool on = (t / (periodMs / 2)) % 2 == 1;
        std::fill(pixels.begin(), pixels.begin() + rows * 320, on ? high : low);
        meter.addFrame(t, pixels.data(), rgb.data());
    }
    return meter;
}

TEST(FlashMeter, CountsWholeScreenFlashesAndFailsAboveThreeASecond)
{
    // Black and white swapped every 100 ms: five flashes a second everywhere.
    const FlashMeter fast = alternate(240, 0, 254, 200, 2000);
    EXPECT_EQ(fast.general().blocks, FlashBlocks);
    EXPECT_EQ(fast.general().flashes, 5);
    EXPECT_EQ(fast.red().blocks, 0) << "grey is not red";
    // Every 400 ms: two and a half flashes a second, within the limit.
    const FlashMeter slow = alternate(240, 0, 254, 400, 3000);
    EXPECT_EQ(slow.general().blocks, 0);
    EXPECT_LE(slow.general().flashes, 3);
}

TEST(FlashMeter, SmallOrBrightChangesAndSmallAreasAreNoFlashes)
{
    // Grey 60 against 64: far less than 0.1 of relative luminance.
    EXPECT_EQ(alternate(240, 60, 64, 100, 2000).general().flashes, 0);
    // Between two light greys (both above 0.8 in luminance) nothing counts.
    EXPECT_EQ(alternate(240, 235, 254, 100, 2000).general().flashes, 0);
    // Fast flashing in the top 56 rows (a little under a quarter) is counted
    // per block but does not fail a second.
    const FlashMeter strip = alternate(56, 0, 254, 100, 2000);
    EXPECT_GT(strip.general().flashes, 3);
    EXPECT_EQ(strip.general().blocks, 56 / 4 * FlashBlockColumns);
    EXPECT_LT(strip.general().blocks, FailingBlockCount);
}

TEST(FlashMeter, AFadeIsOneTransitionNotAFlash)
{
    FlashMeter meter;
    const std::vector<uint8_t> rgb = greysAndRed();
    std::vector<uint8_t> pixels(Pixels, 0);
    for (uint32_t t = 0; t <= 5000; t += 20) {  // black to white in small steps, then back
        const uint32_t phase = t <= 2500 ? t : 5000 - t;
        std::fill(pixels.begin(), pixels.end(), uint8_t(phase * 254 / 2500));
        meter.addFrame(t, pixels.data(), rgb.data());
    }
    EXPECT_EQ(meter.general().flashes, 0);
}

TEST(FlashMeter, ReportsRedFlashes)
{
    const FlashMeter meter = alternate(240, 0, 255, 100, 2000);
    EXPECT_EQ(meter.red().blocks, FlashBlocks);
    EXPECT_EQ(meter.red().flashes, 10);
}

// "NAME BLOCKS END FLASHES" from the flash run's output.
FlashWorst reported(const std::string& output, const std::string& name)
{
    std::istringstream lines(output);
    std::string word;
    FlashWorst worst{-1, 0, 0};
    while (lines >> word)
        if (word == name) {
            lines >> worst.blocks >> worst.windowEnd >> worst.flashes;
            break;
        }
    return worst;
}

TEST(WholeShow, NoSecondFlashesOverAQuarterOfThePicture)
{
    REQUIRE_DATA_SET();
    const CommandResult run = runCommand(std::string(DEMO_FLASH_RUN_PATH));
    ASSERT_EQ(run.status, 0) << run.output;
    const FlashWorst general = reported(run.output, "general");
    const FlashWorst red = reported(run.output, "red");
    ASSERT_GE(general.blocks, 0) << run.output;
    EXPECT_LT(general.blocks, FailingBlockCount)
        << general.blocks << " of " << FlashBlocks << " blocks flash more than " << FlashesAllowedPerSecond
        << " times in the second before " << general.windowEnd << " ms";
    EXPECT_LT(red.blocks, FailingBlockCount)
        << red.blocks << " blocks flash red more than 3 times in the second before " << red.windowEnd << " ms";
    std::printf("flashes: general %d blocks at %u ms (one block at most %d a second), red %d blocks at %u ms "
                "(at most %d)\n",
                general.blocks, general.windowEnd, general.flashes, red.blocks, red.windowEnd, red.flashes);
}

}  // namespace
