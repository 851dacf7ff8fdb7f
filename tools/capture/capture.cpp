// demo-capture: runs the show headless on a virtual clock and records what
// it presents. Virtual time T (ms) starts at 0 and stands still during
// start-up; reading the clock returns T, the show's 1 ms sleep advances it by
// 1 and every present by --frame-cost. The same start-up and the same main
// loop as the show (show/loop.h), driven through the loop's seams; it never
// hands over to the menu program.
//
//   --until MS        stop once T reaches MS (default: the end of the show)
//   --at MS           write the picture on display at T = MS (repeatable)
//   --out DIR         where --at pictures go, as frame-MS.png (RGB)
//   --raw             also write frame-MS.raw: 76800 indices, then 768 bytes RGB
//   --log FILE        one line per present: T DemoTime TickCount SceneMask
//                     pixel-hash palette-hash
//   --key MS:KEY      deliver p, q or backspace (released) at T = MS (repeatable)
//   --frame-cost MS   virtual milliseconds each present takes (default 0)
//   --gallery FILE    also tile every --at picture, at half size, into one PNG
//                     (needs at least one --at)
//   --video FILE      export the show with its music through ffmpeg (.mp4,
//                     .webm or .mkv): the picture on display every 20 ms
//   --scale N         the video's enlargement (default 4: 1280 x 960)
//   --fit WxH         the video's frame size, the picture centred on black
//   --from MS         the video starts at MS (the show still runs from 0)
//   --data DIR        read the data set from DIR (see core/data_folder.h)
//   --version         print the version
//   --restart-at MS   at T = MS put the show back to its start (resetShow) and
//                     the clock to 0, and record from there: the log starts
//                     over, and it must be the log of a run never restarted
//   --profile         under valgrind's callgrind (or on ARM, under qemu-arm with
//                     tools/armcount's counter): mark the instruction counts
//                     of start-up and of every presenting pass (see below)
//
// While the show is paused, runFrame neither sleeps nor presents, so nothing
// would move T and the pause could never end: such a pass of the loop counts
// as 1 ms, the time the real loop spends polling. A pause that no scripted
// key ends would still run for ever without --until: once T reaches the end
// of the show's time, the recording stops there with a note.
//
// Every output file and the --out folder are checked before the show starts;
// a write that fails later (a full disk) ends the run with status 1.
#include "core/clock.h"
#include "core/data_folder.h"
#include "core/show_state.h"
#include "show/loop.h"
#include "core/screen.h"
#include "show/startup.h"
#include "scenes/registry.h"
#include "recording.h"
#include "show/schedule.h"
#include "show/snapshot.h"
#include "video.h"

#include <algorithm>
#include <charconv>
#if defined(__arm__)
#include <unistd.h>
#define PROFILE_MARKS_BUILT 1
#define PROFILE_MARKS_QEMU 1
#elif __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define PROFILE_MARKS_BUILT 1
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

struct ScheduledKey {
    uint32_t time;
    SDL_Event event;
};

struct CaptureOptions {
    bool hasUntil = false;
    uint32_t until = 0;
    uint32_t frameCost = 0;
    std::vector<uint32_t> pictureTimes;
    std::string outDir = ".";
    std::string galleryPath;
    bool raw = false;
    std::string logPath;
    std::vector<ScheduledKey> keys;
    VideoOptions video;
    bool profile = false;
    const char* dataFolder = nullptr;  // --data, or null to look it up
    bool hasRestart = false;
    uint32_t restartAt = 0;
};

static const char Usage[] =
    "usage: demo-capture [--until MS] [--at MS]... [--out DIR] [--raw] [--log FILE]\n"
    "                    [--key MS:p|q|backspace]... [--frame-cost MS] [--gallery FILE]\n"
    "                    [--video FILE [--scale N] [--fit WxH] [--from MS]]\n"
    "                    [--restart-at MS] [--profile] [--data DIR] [--version] [--help]\n";

[[noreturn]] static void usage(const char* problem)
{
    std::fprintf(stderr, "demo-capture: %s\n%s", problem, Usage);
    std::exit(2);
}

// Digits only, up to 4294967295: no sign, no spaces, and the same range
// whatever the width of long (strtoul clamps instead of failing on 32 bits).
static uint32_t parseMilliseconds(const char* text)
{
    const char* end = text + std::strlen(text);
    uint32_t value = 0;
    const std::from_chars_result parsed = std::from_chars(text, end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end)
        usage("a time must be a whole number of milliseconds");
    return value;
}

static int parseCount(const char* text)
{
    const uint32_t value = parseMilliseconds(text);
    if (value > 0xFFFF)
        usage("sizes and scales are whole numbers up to 65535");
    return int(value);
}

static void parseFrameSize(const char* text, VideoOptions& video)
{
    const char* cross = std::strchr(text, 'x');
    if (!cross)
        usage("--fit takes WIDTHxHEIGHT");
    video.fitWidth = parseCount(std::string(text, cross).c_str());
    video.fitHeight = parseCount(cross + 1);
}

static ScheduledKey parseKey(const char* text)
{
    const char* colon = std::strchr(text, ':');
    if (!colon)
        usage("--key takes MS:KEY");
    ScheduledKey key{};
    key.time = parseMilliseconds(std::string(text, colon).c_str());
    const std::string name = colon + 1;
    if (name == "p" || name == "q") {
        key.event.type = SDL_KEYDOWN;
        key.event.key.keysym.sym = name == "p" ? SDLK_p : SDLK_q;
    } else if (name == "backspace") {
        key.event.type = SDL_KEYUP;
        key.event.key.keysym.sym = SDLK_BACKSPACE;
    } else {
        usage("keys are p, q and backspace");
    }
    return key;
}

static CaptureOptions parseOptions(int argc, char** argv)
{
    CaptureOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool hasValue = i + 1 < argc;
        if (flag == "--help") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else if (flag == "--raw") {
            options.raw = true;
        } else if (flag == "--version") {
            std::printf("Daylong recorder %s\n", DEMO_VERSION);
            std::exit(0);
        } else if (flag == "--profile") {
#ifndef PROFILE_MARKS_BUILT
            usage("--profile needs a recorder built with valgrind's headers");
#endif
            options.profile = true;
        } else if (!hasValue) {
            usage(("unknown option or missing value: " + flag).c_str());
        } else if (flag == "--restart-at") {
            options.hasRestart = true;
            options.restartAt = parseMilliseconds(argv[++i]);
        } else if (flag == "--until") {
            options.hasUntil = true;
            options.until = parseMilliseconds(argv[++i]);
        } else if (flag == "--at") {
            options.pictureTimes.push_back(parseMilliseconds(argv[++i]));
        } else if (flag == "--gallery") {
            options.galleryPath = argv[++i];
        } else if (flag == "--out") {
            options.outDir = argv[++i];
        } else if (flag == "--log") {
            options.logPath = argv[++i];
        } else if (flag == "--key") {
            options.keys.push_back(parseKey(argv[++i]));
        } else if (flag == "--frame-cost") {
            options.frameCost = parseMilliseconds(argv[++i]);
        } else if (flag == "--video") {
            options.video.path = argv[++i];
            if (options.video.path.empty())
                usage("--video takes the name of the file to write");
        } else if (flag == "--scale") {
            options.video.scale = parseCount(argv[++i]);
        } else if (flag == "--fit") {
            parseFrameSize(argv[++i], options.video);
        } else if (flag == "--from") {
            options.video.from = parseMilliseconds(argv[++i]);
        } else if (flag == "--data") {
            options.dataFolder = argv[++i];
        } else {
            usage(("unknown option: " + flag).c_str());
        }
    }
    const VideoOptions unset;
    if (!options.galleryPath.empty() && options.pictureTimes.empty())
        usage("--gallery tiles the --at pictures: give at least one --at");
    if (options.video.path.empty() &&
        (options.video.scale != unset.scale || options.video.fitWidth != unset.fitWidth ||
         options.video.fitHeight != unset.fitHeight || options.video.from != unset.from))
        usage("--scale, --fit and --from go with --video");
    std::sort(options.pictureTimes.begin(), options.pictureTimes.end());
    std::stable_sort(options.keys.begin(), options.keys.end(),
                     [](const ScheduledKey& a, const ScheduledKey& b) { return a.time < b.time; });
    return options;
}

// Writes every requested picture whose time lies before T: the display then
// still holds the last present at or before that time.
static void writeDuePictures(const CaptureOptions& options, size_t& next, uint32_t now,
                             const DisplayCopy& display, bool everything, Gallery& gallery)
{
    while (next < options.pictureTimes.size() && (everything || options.pictureTimes[next] < now)) {
        const uint32_t time = options.pictureTimes[next++];
        const std::string stem = options.outDir + "/frame-" + std::to_string(time);
        writeDisplayPng(stem + ".png", display);
        if (options.raw)
            writeDisplayRaw(stem + ".raw", display);
        if (!options.galleryPath.empty())
            addToGallery(gallery, display);
    }
}

// Profile marks for callgrind (scripts/profile). Each dump is one part of the
// profile named by what it measured: "before main" covers the process start
// (loading and linking the libraries) up to the recorder's options; "start-up"
// from there to the first pass of the loop; a frame's part covers only the
// pass that presented it (the clock read, its update steps, its drawing and
// the present), named by the scene bits on screen. Passes that only sleep and
// the recorder's own copying and logging are left out, so the count is the
// show's work for that frame and the same on every run. Outside valgrind the
// client requests are a few no-op instructions.
//
// On ARM the same marks are system calls that tools/armcount/count_insns.c
// watches for under qemu-arm; it writes each count with the number of its
// mark, and the recorder prints the marks' names at the end, "NUMBER NAME" on
// standard output. Outside that counter a mark is a refused system call.
#ifdef PROFILE_MARKS_QEMU
enum : long { CountMarkCall = 0xAF00, ZeroCount = 0, WriteCount = 1 };
static std::vector<std::string> MarkNames;
#endif

static void startPassCount()
{
#ifdef PROFILE_MARKS_QEMU
    syscall(CountMarkCall, ZeroCount, 0L);
#elif defined(PROFILE_MARKS_BUILT)
    CALLGRIND_ZERO_STATS;
#endif
}

static void dumpCount([[maybe_unused]] const std::string& what)
{
#ifdef PROFILE_MARKS_QEMU
    syscall(CountMarkCall, WriteCount, long(MarkNames.size()));
    MarkNames.push_back(what);
#elif defined(PROFILE_MARKS_BUILT)
    CALLGRIND_DUMP_STATS_AT(what.c_str());
#endif
}

static void printMarkNames()
{
#ifdef PROFILE_MARKS_QEMU
    for (size_t i = 0; i < MarkNames.size(); ++i)
        std::printf("%zu %s\n", i, MarkNames[i].c_str());
#endif
}

// The recorder's side of the loop's seams: program-wide, as the loop calls
// plain functions.
static CaptureOptions Options;
static OutputFile Log;
static OutputFile GalleryFile;
static DisplayCopy Display{};
static Gallery RecordedGallery;
static size_t NextPicture = 0;
static size_t NextKey = 0;
static VideoExport Video;
static bool Exporting = false;

// Virtual ms at which the timeline ends the show: the video and its music stop there.
static uint32_t endOfShowTime()
{
    for (const TimelineRow& row : Timeline)
        if (row.sceneMask == EndOfShow)
            return row.after * 10;
    return 0xFFFFFFFFu;
}

// Paused with no scripted key left: only the end of the show's time ends the run.
static bool pausedForEver(uint32_t now)
{
    if (!Paused || NextKey < Options.keys.size() || now < endOfShowTime())
        return false;
    std::fprintf(stderr, "demo-capture: the show is still paused at %u ms, the end of its time, "
                 "with no key left to resume it: the recording stops there\n", now);
    return true;
}

// --restart-at: the show and the clock back to their start, the log emptied.
static void restartShow()
{
    Options.hasRestart = false;
    useVirtualClock(0);
    resetShow();
    ShowStartTicks = clockTicks();
    takeDisplayCopy(Display, MainScreen);
    if (Log.file && (std::fflush(Log.file) != 0 || ftruncate(fileno(Log.file), 0) != 0 ||
                     std::fseek(Log.file, 0, SEEK_SET) != 0))
        failToWrite(Log.path);
}

static bool recordBeforePass(uint32_t now)
{
    if (Options.hasRestart && now >= Options.restartAt)
        restartShow();
    if (Options.hasUntil && now >= Options.until)
        return false;
    if (!Options.hasUntil && pausedForEver(now))
        return false;
    writeDuePictures(Options, NextPicture, now, Display, false, RecordedGallery);
    if (Exporting)
        sendDueVideoFrames(Video, now, Display);
    if (Options.profile)
        startPassCount();
    return true;
}

static void recordAfterPass(uint32_t passStart, bool presented)
{
    if (presented) {
        if (Options.profile)
            dumpCount("frame: " + sceneMaskNames(SceneMask));
        takeDisplayCopy(Display, MainScreen);
        if (Log.file)
            writeLogLine(Log, passStart, Display);
        advanceVirtualClock(Options.frameCost);
    } else if (clockTicks() == passStart) {
        advanceVirtualClock(1);
    }
}

// Scripted keys due by the clock's reading come before SDL's own queue.
static bool nextRecordedEvent(SDL_Event& event)
{
    if (NextKey < Options.keys.size() && Options.keys[NextKey].time <= clockTicks()) {
        event = Options.keys[NextKey++].event;
        return true;
    }
    return SDL_PollEvent(&event) != 0;
}

int main(int argc, char** argv)
{
    Options = parseOptions(argc, argv);
    if (Options.profile)
        dumpCount("before main");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    useVirtualClock(0);
    chooseDataFolder(argv[0], Options.dataFolder);

    if (!Options.logPath.empty())
        Log = openOutput(Options.logPath);
    if (!Options.galleryPath.empty())
        GalleryFile = openOutput(Options.galleryPath);
    if (!Options.pictureTimes.empty())
        requireWritableFolder(Options.outDir);
    Exporting = !Options.video.path.empty();
    if (Exporting) {
        const uint32_t end = Options.hasUntil ? std::min(Options.until, endOfShowTime()) : endOfShowTime();
        VideoLayout layout;
        std::string problem;
        if (!layOutVideo(Options.video, layout, problem))
            usage(problem.c_str());
        if (Options.video.from >= end)
            usage("--from must lie before the end of the video");
        prepareVideo(Video, Options.video, layout, end);
    }

    constructShowObjects();
    prepareShow();
    startMusic();
    if (Exporting)
        startVideo(Video, resolveDataPath(MusicPath).text);

    if (Options.profile)
        dumpCount("start-up");
    takeDisplayCopy(Display, MainScreen);
    ShowLoop loop;
    loop.seams = {recordBeforePass, recordAfterPass, nextRecordedEvent};
    runShowLoop(loop);
    writeDuePictures(Options, NextPicture, clockTicks(), Display, true, RecordedGallery);
    if (Exporting) {
        sendDueVideoFrames(Video, clockTicks(), Display);
        finishVideo(Video);
    }
    if (GalleryFile.file)
        writeGallery(GalleryFile, RecordedGallery);
    stopMusic();
    if (Log.file)
        closeOutput(Log);
    if (Options.profile)
        printMarkNames();
    return 0;
}
