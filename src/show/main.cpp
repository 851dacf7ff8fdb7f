// The show: its options, start-up, the main loop, and the hand-over to the
// console's menu.
#include "core/clock.h"
#include "core/data_folder.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "core/window.h"
#include "show/caption.h"
#include "show/loop.h"
#include "show/music_clock.h"
#include "show/seek.h"
#include "scenes/timeline.h"
#include "show/startup.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

static const char Usage[] =
    "usage: demo [--scale N|auto] [--fullscreen] [--sound on|off|auto] [--hold-at MS]\n"
    "            [--start SECONDS] [--data DIR] [--version] [--help]\n"
    "\n"
    "Without options the show opens its original 320 x 240 window of 8 bits.\n"
    "  --scale N      a window N times as large (1 to 16), each pixel an N x N block\n"
    "  --scale auto   the largest such window that fits the desktop\n"
    "  --fullscreen   start in full screen: the desktop's resolution, the largest\n"
    "                 whole scale, centred on black\n"
    "  --sound on     play the music; without a working audio device, end with\n"
    "                 status 1 (the default)\n"
    "  --sound off    play without sound, never opening audio\n"
    "  --sound auto   play without sound, after a notice, where no audio device opens\n"
    "  --hold-at MS   run silently on the recorder's virtual clock and hold the\n"
    "                 picture of show time MS, as demo-capture --at MS records it\n"
    "  --data DIR     read the data set from DIR (otherwise $DAYLONG_DATA, data/ in\n"
    "                 the working directory, or the installed data set)\n"
    "  --version      print the version\n"
    "  --start SECONDS  start playing at that show time (whole or with decimals)\n"
    "\n"
    "keys:\n"
    "  p              pause / resume\n"
    "  q              update steps of 10 ms instead of 40 ms (again: back to 40)\n"
    "  f, Alt+Enter   full screen on / off (with --scale or --fullscreen)\n"
    "  right arrow    to the start of the next scene\n"
    "  left arrow     to the start of this scene (within its first 2 s: the one before)\n"
    "  Home           to the start of the show\n"
    "  i              caption on / off: the scene and the show time\n"
    "  backspace      end the show (on release)\n";

[[noreturn]] static void refuse(const std::string& problem)
{
    std::fprintf(stderr, "demo: %s\n%s", problem.c_str(), Usage);
    std::exit(2);
}

static unsigned long parseNumber(const char* text, unsigned long limit, const char* what)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (!std::isdigit(uint8_t(text[0])) || *end != '\0' || value > limit)
        refuse(std::string(what) + ": " + text);
    return value;
}

static int parseScale(const char* text)
{
    if (std::strcmp(text, "auto") == 0)
        return AutoScale;
    const int scale = int(parseNumber(text, MaxScale, "a scale is a whole number from 1 to 16 or auto"));
    if (scale == 0)
        refuse("a scale is a whole number from 1 to 16 or auto: 0");
    return scale;
}

// The installed program opens the largest window that fits the desktop and
// plays silently where no audio device opens; the build's opens the original
// 320 x 240 one and needs its sound.
#ifdef DEMO_DESKTOP_DEFAULTS
constexpr int DefaultScale = AutoScale;
constexpr SoundChoice DefaultSound = SoundChoice::Auto;
#else
constexpr int DefaultScale = 0;
constexpr SoundChoice DefaultSound = SoundChoice::On;
#endif

// --data, or null to look the data set up.
static const char* DataFolderOption = nullptr;

static SoundChoice parseSound(const char* text)
{
    const std::string choice = text;
    if (choice == "on")
        return SoundChoice::On;
    if (choice == "off")
        return SoundChoice::Off;
    if (choice == "auto")
        return SoundChoice::Auto;
    refuse("--sound takes on, off or auto: " + choice);
}

// --start's show time: seconds with up to three decimals, up to the end of
// the show.
static uint32_t parseStart(const char* text)
{
    constexpr uint32_t ShowEndMs = sceneStart(EndOfShow) * 10;
    const std::string refusal = "a start is a time in seconds from 0 to " + std::to_string(ShowEndMs / 1000);
    const char* point = std::strchr(text, '.');
    const std::string whole = point ? std::string(text, point) : std::string(text);
    const std::string fraction = point ? std::string(point + 1) : std::string();
    if (whole.empty() || (point && (fraction.empty() || fraction.size() > 3)))
        refuse(refusal + ": " + text);
    unsigned long start = parseNumber(whole.c_str(), ShowEndMs / 1000, refusal.c_str()) * 1000;
    if (point) {
        unsigned long milliseconds = parseNumber(fraction.c_str(), 999, refusal.c_str());
        for (size_t digits = fraction.size(); digits < 3; ++digits)
            milliseconds *= 10;
        start += milliseconds;
    }
    if (start > ShowEndMs)
        refuse(refusal + ": " + text);
    return uint32_t(start);
}

// --start: the show's time to start playing from, if given.
static bool StartGiven = false;
static uint32_t StartAt = 0;

// Fills RequestedWindow and RequestedSound; returns whether --hold-at was given, with its time.
static bool parseOptions(int argc, char** argv, uint32_t& holdAt)
{
    bool hold = false;
    RequestedWindow.scale = DefaultScale;
    RequestedSound = DefaultSound;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--help") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else if (option == "--version") {
            std::printf("Daylong %s\n", DEMO_VERSION);
            std::exit(0);
        } else if (option == "--data" && hasValue) {
            DataFolderOption = argv[++i];
        } else if (option == "--fullscreen") {
            RequestedWindow.fullScreen = true;
        } else if (option == "--scale" && hasValue) {
            RequestedWindow.scale = parseScale(argv[++i]);
        } else if (option == "--sound" && hasValue) {
            RequestedSound = parseSound(argv[++i]);
        } else if (option == "--start" && hasValue) {
            StartGiven = true;
            StartAt = parseStart(argv[++i]);
        } else if (option == "--hold-at" && hasValue) {
            hold = true;
            holdAt = uint32_t(parseNumber(argv[++i], 0xFFFFFFFFul, "a time is a whole number of milliseconds"));
        } else {
            refuse("unknown option or missing value: " + option);
        }
    }
    if (hold && StartGiven)
        refuse("--hold-at and --start exclude each other");
    if (RequestedWindow.fullScreen && RequestedWindow.scale == 0)
        RequestedWindow.scale = AutoScale;
    return hold;
}

static bool isFullScreenKey(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN)
        return false;
    const SDL_keysym& key = event.key.keysym;
    return key.sym == SDLK_f || (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT));
}

// The full-screen and jump keys belong to the window: the show's own key
// handling never sees them.
static bool nextShowEvent(SDL_Event& event)
{
    while (SDL_PollEvent(&event)) {
        if (handleJumpKey(event))
            continue;
        if (!MainScreen.window || !isFullScreenKey(event))
            return true;
        toggleFullScreen(*MainScreen.window, MainScreen);
    }
    return false;
}

// SDL_mixer moves an Ogg stream to an absolute time in seconds; a piece that
// has played to its end is started again first.
// Without sound there is no music to move: the clock is the wall clock.
static void seekMixerMusic(uint32_t showMs)
{
    if (!music)
        return;
    if (!Mix_PlayingMusic())
        Mix_PlayMusic(music, 1);
    Mix_SetMusicPosition(showMs / 1000.0);
}

static void showJumpedPicture()
{
    presentScreen(MainScreen);
}


// --hold-at: the virtual clock moves as in the recorder (a 1 ms sleep is 1 ms,
// a present costs nothing) until it passes the hold time; from then on the
// show stays paused on the last picture presented at or before that time.
static uint32_t HoldAt = 0;
static bool Holding = false;

static bool holdBeforePass(uint32_t now)
{
    if (now > HoldAt) {
        Paused = 1;
        if (!Holding) {
            Holding = true;
            std::fprintf(stderr, "demo: holding the picture of %u ms\n", unsigned(HoldAt));
        }
    }
    return true;
}

// A paused pass moves no virtual time: before the hold it counts as the 1 ms
// the real loop spends polling, as in the recorder; while holding, the loop
// rests on the real clock instead of spinning.
static void holdAfterPass(uint32_t passStart, bool presented)
{
    if (presented || clockTicks() != passStart)
        return;
    if (Holding)
        SDL_Delay(10);
    else
        advanceVirtualClock(1);
}

// A paused pass only polls the keys: resting between polls keeps the process
// nearly idle, and 10 ms is well within a frame for the key that resumes.
constexpr uint32_t PausedRest = 10;

static void restWhilePaused(uint32_t, bool presented)
{
    if (Paused && !presented)
        SDL_Delay(PausedRest);
}

static void afterShowPass(uint32_t passStart, bool presented)
{
    if (presented)
        notePresented();
    restWhilePaused(passStart, presented);
}

int main(int argc, char** argv)
{
    const bool hold = parseOptions(argc, argv, HoldAt);
    if (hold) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        useVirtualClock(0);
    }
    chooseDataFolder(argv[0], DataFolderOption);
    // The display and the scene objects come first, once the window is known.
    constructShowObjects();
    prepareShow();
    // The show keeps time with its music where it has sound, and with the
    // wall clock where it has none; --hold-at stays on the virtual clock.
    if (!hold)
        useExternalClock(musicClockTicks, true);
    prepareCaption(MainScreen);
    Jumps = {seekMixerMusic, showJumpedPicture};
    startMusic();
    if (StartGiven)
        jumpTo(StartAt, false);
    ShowLoop loop;
    loop.seams.nextEvent = nextShowEvent;
    loop.seams.afterPass = afterShowPass;
    if (hold) {
        loop.seams.beforePass = holdBeforePass;
        loop.seams.afterPass = holdAfterPass;
    }
    runShowLoop(loop);
    stopMusic();
    if (chdir("/usr/gp2x") == 0)
        execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu", static_cast<char*>(nullptr));
    // Without the console's menu program the show simply ends here.
    return 0;
}
