// Regression frames: the pixel hash of the picture on display at chosen
// virtual times of one recorder run over the forged data set. Each table in
// tests/regression/*.frames was made by looking at the recorder's PNG of each
// frame and checking it shows what the comment says; a changed hash means a
// changed picture, to be looked at again before the table is updated
// (scripts/frame-hashes prints the new values).
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ExpectedFrame {
    uint32_t time;
    std::string hash;
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
            if (fields >> frame.time >> frame.hash) {
                frame.where = file.filename().string() + ":" + std::to_string(number);
                frames.push_back(frame);
            }
        }
    }
    return frames;
}

TEST(RegressionFrames, RecordedPicturesMatchTheReviewedHashes)
{
    if (!haveDataSet())
        GTEST_SKIP() << "no forged data set in data/";
    const std::vector<ExpectedFrame> frames = readTables();
    if (frames.empty())
        GTEST_SKIP() << "no regression tables";
    uint32_t last = 0;
    for (const ExpectedFrame& frame : frames)
        last = std::max(last, frame.time);

    const auto log = makeTempDir("regression") / "frames.log";
    const CommandResult run = runCommand(std::string(DEMO_CAPTURE_PATH) + " --until " +
                                         std::to_string(last + 1) + " --log " + log.string());
    ASSERT_EQ(run.status, 0) << run.output;
    std::map<uint32_t, std::string> hashAtPresent;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        uint32_t time;
        std::string demoTime, ticks, mask, hash;
        fields >> time >> demoTime >> ticks >> mask >> hash;
        hashAtPresent[time] = hash;
    }
    for (const ExpectedFrame& frame : frames) {
        auto present = hashAtPresent.upper_bound(frame.time);
        ASSERT_NE(present, hashAtPresent.begin()) << frame.where;
        --present;  // the last present at or before the frame's time
        EXPECT_EQ(present->second, frame.hash) << frame.where << " at " << frame.time << " ms";
    }
}

}  // namespace
