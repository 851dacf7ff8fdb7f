// The recorder drives the real start-up, main loop and frame on a virtual
// clock; these tests run it as a separate process on the forged data set.
#include "show/schedule.h"
#include "core/show_state.h"
#include "scenes/scene_bits.h"
#include "support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct LogLine {
    uint32_t time;
    uint32_t demoTime;
    int32_t tickCount;
    uint32_t sceneMask;
    std::string pixelHash;
    std::string paletteHash;
};

std::vector<LogLine> readLog(const std::filesystem::path& path)
{
    std::vector<LogLine> lines;
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream fields(text);
        LogLine line{};
        fields >> line.time >> line.demoTime >> line.tickCount >> std::hex >> line.sceneMask >>
            line.pixelHash >> line.paletteHash;
        lines.push_back(line);
    }
    return lines;
}

std::string capture(const std::string& arguments)
{
    return std::string(DEMO_CAPTURE_PATH) + " " + arguments;
}

class Recorder : public testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_DATA_SET();
        dir = makeTempDir("recorder");
    }
    std::filesystem::path dir;
};

TEST_F(Recorder, WholeShowEndsWithStatusZeroAndScenesChangeOnTheTimeline)
{
    const auto log = dir / "show.log";
    const CommandResult run = runCommand(capture("--log " + log.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<LogLine> lines = readLog(log);
    ASSERT_GT(lines.size(), 5000u);
    EXPECT_EQ(lines.front().sceneMask, BlankStart) << "the first picture is the blank start";
    EXPECT_EQ(lines.back().sceneMask, EndOfShow);
    EXPECT_GT(lines.back().demoTime, 28400u);
    EXPECT_LE(lines.back().demoTime, 28404u) << "the show ends with the first step past 284 s";
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].sceneMask == lines[i - 1].sceneMask)
            continue;
        // The change shows in the first present whose DemoTime passed a boundary.
        EXPECT_EQ(applyTimeline(lines[i].demoTime, BlankStart), lines[i].sceneMask) << lines[i].time;
        EXPECT_NE(applyTimeline(lines[i - 1].demoTime, BlankStart), lines[i].sceneMask) << lines[i].time;
    }
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST_F(Recorder, TwoRunsGiveIdenticalLogs)
{
    const auto first = dir / "first.log";
    const auto second = dir / "second.log";
    ASSERT_EQ(runCommand(capture("--until 60000 --log " + first.string())).status, 0);
    ASSERT_EQ(runCommand(capture("--until 60000 --log " + second.string())).status, 0);
    EXPECT_FALSE(readFile(first).empty());
    EXPECT_EQ(readFile(first), readFile(second));
}

// A show reset in mid-run (the spinning leaves at 100 s, after eight scenes
// have changed their state, the generator and the shared buffers) and then
// played to its end records the whole-show log of a fresh run, byte for byte.
TEST_F(Recorder, ResetInMidShowRecordsAFreshRunsWholeLog)
{
    const auto fresh = dir / "fresh.log";
    const auto restarted = dir / "restarted.log";
    ASSERT_EQ(runCommand(capture("--log " + fresh.string())).status, 0);
    ASSERT_EQ(runCommand(capture("--restart-at 100000 --log " + restarted.string())).status, 0);
    EXPECT_GT(readFile(fresh).size(), 100000u);
    EXPECT_TRUE(readFile(fresh) == readFile(restarted)) << "the logs differ";
}

TEST_F(Recorder, PauseHoldsThePictureAndResumesWithOneStep)
{
    const auto log = dir / "pause.log";
    ASSERT_EQ(runCommand(capture("--until 12000 --key 5000:p --key 9000:p --log " + log.string()))
                  .status,
              0);
    const std::vector<LogLine> lines = readLog(log);
    const LogLine* before = nullptr;
    const LogLine* after = nullptr;
    for (const LogLine& line : lines) {
        EXPECT_FALSE(line.time > 5000 && line.time < 9000) << "presented while paused";
        if (line.time <= 5000)
            before = &line;
        else if (!after)
            after = &line;
    }
    ASSERT_TRUE(before && after);
    EXPECT_EQ(after->tickCount, before->tickCount + 1) << "no burst of steps after the pause";
    EXPECT_GE(after->demoTime, 900u) << "the show clock kept running";
}

TEST_F(Recorder, FastStepsAndBackspaceRelease)
{
    const auto log = dir / "keys.log";
    // Before the pyramid nothing sets the period, so "q" makes steps of 10 ms.
    const CommandResult run =
        runCommand(capture("--key 1000:q --key 2000:backspace --log " + log.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<LogLine> lines = readLog(log);
    ASSERT_GT(lines.size(), 2u);
    EXPECT_LE(lines.back().time, 2010u) << "backspace released ends the show";
    int fastSteps = 0;
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].time > 1100 && lines[i].time - lines[i - 1].time == 10)
            ++fastSteps;
    EXPECT_GT(fastSteps, 50);
}

// Times are whole milliseconds that fit 32 bits, refused alike whatever the
// width of long; the picture asked for after the end is the last one shown.
TEST_F(Recorder, TimesOutside32BitsOrNotPlainDigitsAreRefused)
{
    for (const char* time : {"4294967296", "18446744073709551616", "-1", " 5", "+5", "5ms", ""}) {
        const CommandResult run = runCommand(capture("--until '" + std::string(time) + "' 2>&1"));
        EXPECT_EQ(run.status, 2) << time;
        EXPECT_NE(run.output.find("a time must be a whole number"), std::string::npos) << time;
    }
    const CommandResult run =
        runCommand(capture("--until 10 --at 4294967295 --out " + dir.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "frame-4294967295.png"));
}

TEST_F(Recorder, PicturesAreWrittenForTheRequestedTimes)
{
    const CommandResult run =
        runCommand(capture("--until 3000 --at 0 --at 2500 --raw --out " + dir.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "frame-0.png"));
    EXPECT_TRUE(std::filesystem::exists(dir / "frame-2500.png"));
    EXPECT_EQ(std::filesystem::file_size(dir / "frame-2500.raw"), 76800u + 768u);
}

// A full disk shows only when stdio hands over its buffer, at a later write
// or at fclose: every output is written through to the end and closed with
// its result checked. /dev/full stands in for the full disk.
TEST_F(Recorder, OutputsOntoAFullDiskEndWithStatusOneNamingTheFile)
{
    const auto full = dir / "full";
    std::filesystem::create_directories(full);
    std::filesystem::create_symlink("/dev/full", full / "frame-500.png");
    const std::string pictures = " --until 600 --at 500 --out ";
    const std::pair<std::string, std::string> cases[] = {
        {"--until 600 --log /dev/full", "/dev/full"},
        {pictures + dir.string() + " --gallery /dev/full", "/dev/full"},
        {pictures + full.string(), (full / "frame-500.png").string()},
    };
    for (const auto& [arguments, named] : cases) {
        const CommandResult run = runCommand(capture(arguments + " 2>&1"));
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.output.find("cannot write " + named + ": No space left on device"),
                  std::string::npos)
            << arguments << ": " << run.output;
    }
}

// A folder that cannot take the pictures is refused before the show runs:
// the log opened first stays empty.
TEST_F(Recorder, UnwritableOutFolderIsRefusedBeforeTheShowRuns)
{
    const auto log = dir / "before.log";
    for (const std::string& folder : {(dir / "missing").string(), std::string("/proc")}) {
        const CommandResult run = runCommand(
            capture("--at 1000 --out " + folder + " --log " + log.string() + " 2>&1"));
        EXPECT_EQ(run.status, 1) << folder;
        EXPECT_NE(run.output.find("cannot write into the folder " + folder), std::string::npos)
            << run.output;
        EXPECT_EQ(std::filesystem::file_size(log), 0u) << folder;
    }
}

TEST_F(Recorder, GalleryWithoutPicturesIsAUsageError)
{
    const CommandResult run = runCommand(capture("--gallery " + (dir / "g.png").string() + " 2>&1"));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("--gallery tiles the --at pictures"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "g.png"));
}

// Nothing ends a pause but a key: with no key left and no --until the run
// stops, with a note, once the show's time has run out.
TEST_F(Recorder, PauseThatNoKeyEndsStopsAtTheEndOfTheShowsTime)
{
    const auto log = dir / "paused.log";
    const CommandResult run =
        runCommand("timeout 60 " + capture("--key 1000:p --log " + log.string() + " 2>&1"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("still paused at 284000 ms"), std::string::npos) << run.output;
    const std::vector<LogLine> lines = readLog(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.back().time, 1000u);
}

// Under callgrind, --profile marks one part for what precedes main, one for
// start-up and one for each presented frame, named by its scenes.
TEST_F(Recorder, ProfileMarksOnePartPerPresentedFrame)
{
    if (runCommand("valgrind --version").status != 0)
        GTEST_SKIP() << "no valgrind";
    const auto log = dir / "profiled.log";
    const auto counts = dir / "profile.callgrind";
    const CommandResult run = runCommand(
        "valgrind --tool=callgrind --separate-threads=yes --combine-dumps=yes "
        "--callgrind-out-file=" + counts.string() + " " +
        capture("--profile --until 1000 --log " + log.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    std::ifstream in(counts);
    std::vector<std::string> parts;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("desc: Trigger: Client Request: ", 0) == 0)
            parts.push_back(line.substr(31));
    const std::vector<LogLine> lines = readLog(log);
    ASSERT_EQ(parts.size(), lines.size() + 2);
    EXPECT_EQ(parts[0], "before main");
    EXPECT_EQ(parts[1], "start-up");
    EXPECT_EQ(parts[2], "frame: blank");
    EXPECT_EQ(parts.back(), "frame: credits iris");
}

}  // namespace
