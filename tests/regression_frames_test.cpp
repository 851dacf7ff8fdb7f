// Regression frames: the pixel and palette hashes of the picture on display
// at chosen virtual times of one recorder run. Each table in
// tests/regression/*.frames was made by looking at the recorder's picture of
// each frame and checking it shows what the comment says; a changed hash is
// a changed picture, to be looked at again before the table is updated.
//
// The tables belong to the data the show decodes: tests/regression/
// dataset.digest holds demo-digest's account of it (pictures' pixels and
// colours, palettes, mesh numbers). Data that decodes differently fails here
// by name, before any frame is compared; an encoding that decodes the same
// (another zlib, other padding) passes.
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const HowToRerecord =
    "Look at the frames first: scripts/frame-hashes --review DIR writes each table's frames as PNGs with their "
    "comments. If every picture shows what its comment says, scripts/frame-hashes --refresh records the new "
    "hashes and the data digest.";

struct ExpectedFrame {
    uint32_t time;
    std::string pixels, palette;
    std::string where;  // file:line, for the failure message
};

std::vector<ExpectedFrame> readTables()
{
    std::vector<ExpectedFrame> frames;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator("tests/regression"))
        if (entry.path().extension() == ".frames")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            line = line.substr(0, line.find('#'));
            std::istringstream fields(line);
            ExpectedFrame frame;
            if (fields >> frame.time >> frame.pixels >> frame.palette) {
                frame.where = file.filename().string() + ":" + std::to_string(number);
                frames.push_back(frame);
            }
        }
    }
    return frames;
}

// demo-digest's lines by file: "data/x KIND [WxH] NAME HASH ...".
std::map<std::string, std::string> digestLines(const std::string& text)
{
    std::map<std::string, std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            lines[line.substr(0, line.find(' '))] = line;
    return lines;
}

// What differs between two digest lines of one file: the named parts
// ("pixels", "colours", "numbers", the size) whose values differ.
std::string changedParts(const std::string& was, const std::string& now)
{
    std::istringstream a(was), b(now);
    std::vector<std::string> before, after;
    for (std::string word; a >> word;)
        before.push_back(word);
    for (std::string word; b >> word;)
        after.push_back(word);
    if (before.size() != after.size() || before[1] != after[1])
        return "decodes as another kind of file";
    std::string parts;
    for (size_t i = 2; i < before.size(); ++i)
        if (before[i] != after[i]) {
            const std::string part = before[1] == "picture" && i == 2 ? "size" : before[i - 1];
            parts += (parts.empty() ? "" : ", ") + part;
        }
    return parts;
}

TEST(RegressionFrames, DataDecodesAsWhenTheFramesWereReviewed)
{
    REQUIRE_DATA_SET();
    const CommandResult digest = runCommand(std::string(DEMO_DIGEST_PATH) + " 2>&1");
    ASSERT_EQ(digest.status, 0) << digest.output;
    std::ifstream in("tests/regression/dataset.digest");
    const std::string reviewed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto was = digestLines(reviewed), now = digestLines(digest.output);
    std::string changes;
    for (const auto& [file, line] : now) {
        const auto old = was.find(file);
        if (old == was.end())
            changes += "  " + file + ": not in the reviewed data set\n";
        else if (old->second != line)
            changes += "  " + file + ": " + changedParts(old->second, line) + " changed\n";
    }
    for (const auto& [file, line] : was)
        if (!now.contains(file))
            changes += "  " + file + ": no longer read\n";
    EXPECT_TRUE(changes.empty()) << "data/ decodes differently from the data set the regression frames were "
                                    "reviewed on:\n"
                                 << changes << HowToRerecord;
}

TEST(RegressionFrames, RecordedPicturesMatchTheReviewedHashes)
{
    REQUIRE_DATA_SET();
    const std::vector<ExpectedFrame> frames = readTables();
    ASSERT_FALSE(frames.empty()) << "no regression tables in tests/regression";
    uint32_t last = 0;
    for (const ExpectedFrame& frame : frames)
        last = std::max(last, frame.time);

    const auto log = makeTempDir("regression") / "frames.log";
    const CommandResult run = runCommand(std::string(DEMO_CAPTURE_PATH) + " --until " +
                                         std::to_string(last + 1) + " --log " + log.string());
    ASSERT_EQ(run.status, 0) << run.output;
    struct Hashes {
        std::string pixels, palette;
    };
    std::map<uint32_t, Hashes> atPresent;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        uint32_t time;
        std::string demoTime, ticks, mask;
        Hashes hashes;
        fields >> time >> demoTime >> ticks >> mask >> hashes.pixels >> hashes.palette;
        atPresent[time] = hashes;
    }
    int changed = 0;
    for (const ExpectedFrame& frame : frames) {
        auto present = atPresent.upper_bound(frame.time);
        ASSERT_NE(present, atPresent.begin()) << frame.where;
        --present;  // the last present at or before the frame's time
        const bool same = present->second.pixels == frame.pixels && present->second.palette == frame.palette;
        EXPECT_TRUE(same) << frame.where << " at " << frame.time << " ms: pixels " << present->second.pixels
                          << " palette " << present->second.palette << ", reviewed " << frame.pixels << " "
                          << frame.palette;
        changed += same ? 0 : 1;
    }
    EXPECT_EQ(changed, 0) << changed << " of " << frames.size() << " reviewed frames changed. " << HowToRerecord;
}

}  // namespace
