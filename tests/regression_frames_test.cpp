// Regression frames: the pixel hash of the picture on display at chosen
// virtual times of one recorder run over the forged data set. Each table in
// tests/regression/*.frames was made by looking at the recorder's PNG of each
// frame and checking it shows what the comment says; a changed hash means a
// changed picture, to be looked at again before the table is updated
// (scripts/frame-hashes prints the new values).
//
// The hashes belong to one forged data set, named by its fingerprint in
// tests/regression/dataset.fingerprint. The forge is deterministic, but its
// floating point goes through the C library's mathematics, which may round a
// last bit differently on another processor; a different data set is not a
// fault of the show's code, so the frames are then skipped, saying so.
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
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

// FNV-1a 64 over every data file but the music (which draws nothing), in
// name order, each file's name and bytes.
std::string dataSetFingerprint()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator("data"))
        if (entry.path().filename() != "music")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    uint64_t hash = 0xcbf29ce484222325ull;
    const auto add = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3ull;
    };
    for (const auto& file : files) {
        for (const char c : file.filename().string())
            add(static_cast<unsigned char>(c));
        std::ifstream in(file, std::ios::binary);
        for (std::istreambuf_iterator<char> it(in), end; it != end; ++it)
            add(static_cast<unsigned char>(*it));
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

std::string referenceFingerprint()
{
    std::ifstream in("tests/regression/dataset.fingerprint");
    std::string fingerprint;
    in >> fingerprint;
    return fingerprint;
}

TEST(RegressionFrames, RecordedPicturesMatchTheReviewedHashes)
{
    if (!haveDataSet())
        GTEST_SKIP() << "no forged data set in data/";
    const std::string fingerprint = dataSetFingerprint();
    if (fingerprint != referenceFingerprint())
        GTEST_SKIP() << "data/ (fingerprint " << fingerprint << ") is not the data set the hashes "
                     << "were reviewed on (" << referenceFingerprint()
                     << "); after reviewing the frames, refresh the tables and the fingerprint";
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
