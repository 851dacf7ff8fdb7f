// The show and its tools where a user's machine lets them down: no audio
// device, no display, and asking each program how to use it. Standard output
// carries only what was asked for; every problem goes to standard error.
#include "support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class Faults : public testing::Test {
protected:
    void SetUp() override { dir = makeTempDir("faults"); }

    Outcome run(const std::string& command)
    {
        const auto errFile = dir / "stderr";
        const CommandResult result = runCommand(command + " 2>" + errFile.string());
        std::ifstream in(errFile);
        return {result.status, result.output, std::string(std::istreambuf_iterator<char>(in), {})};
    }

    std::filesystem::path dir;
};

// SDL's OSS driver finds no /dev/dsp here: no audio device opens. By default
// the show ends as it always did, now saying how to watch without sound;
// auto and off play on (still running when the timeout ends them, 124).
TEST_F(Faults, NoAudioDeviceEndsOrPlaysSilentlyAsChosen)
{
    REQUIRE_DATA_SET();
    const std::string show = std::string("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dsp ");
    const Outcome on = run(show + DEMO_SHOW_PATH);
    EXPECT_EQ(on.status, 1);
    EXPECT_EQ(on.out, "");
    EXPECT_EQ(on.err, "Error initializing SDL_mixer: No available audio device (to watch without "
                      "sound: --sound off, or --sound auto)\n");

    const Outcome automatic = run(show + "timeout 3 " DEMO_SHOW_PATH " --sound auto");
    EXPECT_EQ(automatic.status, 124) << automatic.err;
    EXPECT_EQ(automatic.out, "");
    EXPECT_EQ(automatic.err, "demo: no sound (No available audio device): the show plays without it\n");

    const Outcome off = run(show + "timeout 3 " DEMO_SHOW_PATH " --sound off");
    EXPECT_EQ(off.status, 124) << off.err;
    EXPECT_EQ(off.out + off.err, "");

    const Outcome wrong = run(std::string(DEMO_SHOW_PATH) + " --sound loud");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--sound takes on, off or auto: loud"), std::string::npos) << wrong.err;
}

// Without a display and with no driver chosen, SDL would fall back to text
// art in the terminal, writing escape codes to standard output.
TEST_F(Faults, NoDisplayEndsWithOneLineSayingWhatToSet)
{
    REQUIRE_DATA_SET();
    const Outcome unset =
        run("env -u DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 20 " DEMO_SHOW_PATH " </dev/null");
    EXPECT_EQ(unset.status, 1);
    EXPECT_EQ(unset.out, "");
    EXPECT_EQ(unset.err, "No display: DISPLAY is not set. Run the show on a desktop, or choose a video "
                         "driver with SDL_VIDEODRIVER (dummy shows nothing).\n");

    // A display that does not answer: an X socket path that nothing listens on.
    const Outcome absent = run("env -u SDL_VIDEODRIVER DISPLAY=:9999 SDL_AUDIODRIVER=dummy timeout 20 " DEMO_SHOW_PATH
                               " </dev/null");
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_NE(absent.err.find("No display: the X display :9999 cannot be opened."), std::string::npos)
        << absent.err;
}

// The benchmark's usage is Google Benchmark's own, which lists its options.
TEST_F(Faults, EveryProgramPrintsItsUsageOnHelp)
{
    const std::pair<const char*, const char*> programs[] = {
        {DEMO_SHOW_PATH, "usage: demo "},
        {DEMO_CAPTURE_PATH, "usage: demo-capture "},
        {DEMO_DIGEST_PATH, "usage: demo-digest "},
        {DEMO_BENCH_PATH, "--benchmark_filter"},
    };
    for (const auto& [program, usage] : programs) {
        const Outcome help = run(std::string(program) + " --help");
        EXPECT_EQ(help.status, 0) << program << ": " << help.err;
        EXPECT_NE(help.out.find(usage), std::string::npos) << program << ": " << help.out;
        EXPECT_EQ(help.err, "") << program;
    }
}

}  // namespace
