// demo-flash-run: runs the whole show headless on the recorder's virtual
// clock and measures every presented picture for flashes (flash_meter.h).
// Prints two lines, "general BLOCKS END-MS FLASHES" and "red ...": the most
// blocks over the limit in any one second, where that second ended, and the
// most flashes of one block in one second.
//
//   --seconds  also one line per second of show time in which any block
//              flashed more than three times: "second S BLOCKS"
//   --scenes   also one line per scene (by scene code): frames, mean luma
//              (0..255, Rec. 601 weights of the sRGB colours), the shares of
//              pixels at luma 8 or below and 240 or above, and the mean
//              number of distinct colours on screen
#include "flash_meter.h"

#include "core/clock.h"
#include "core/screen.h"
#include "core/show_state.h"
#include "scenes/registry.h"
#include "show/loop.h"
#include "show/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

struct SceneFigures {
    uint64_t frames = 0;
    double luma = 0, dark = 0, bright = 0, colours = 0;  // sums over frames
};

FlashMeter Meter;
bool PerSecond = false;
bool PerScene = false;
std::map<uint32_t, int> WorstBySecond;  // show second -> blocks over the limit
std::map<uint32_t, SceneFigures> Scenes;
uint8_t Palette[768];

void readPalette()
{
    const SDL_Palette* palette = MainScreen.surface->format->palette;
    for (int i = 0; i < 256; ++i) {
        const SDL_Color colour = i < palette->ncolors ? palette->colors[i] : SDL_Color{0, 0, 0, 0};
        Palette[3 * i] = colour.r;
        Palette[3 * i + 1] = colour.g;
        Palette[3 * i + 2] = colour.b;
    }
}

void addSceneFigures()
{
    double luma[256];
    for (int i = 0; i < 256; ++i)
        luma[i] = 0.299 * Palette[3 * i] + 0.587 * Palette[3 * i + 1] + 0.114 * Palette[3 * i + 2];
    uint32_t used[256] = {};
    for (int p = 0; p < ScreenPixels; ++p)
        ++used[MainScreen.pixels[p]];
    SceneFigures& scene = Scenes[SceneMask];
    double sum = 0, dark = 0, bright = 0;
    int colours = 0;
    for (int i = 0; i < 256; ++i) {
        if (!used[i])
            continue;
        ++colours;
        sum += luma[i] * used[i];
        dark += luma[i] <= 8.5 ? used[i] : 0;
        bright += luma[i] >= 239.5 ? used[i] : 0;
    }
    ++scene.frames;
    scene.luma += sum / ScreenPixels;
    scene.dark += dark / ScreenPixels;
    scene.bright += bright / ScreenPixels;
    scene.colours += colours;
}

void afterPass(uint32_t passStart, bool presented)
{
    if (!presented) {
        if (clockTicks() == passStart)
            advanceVirtualClock(1);
        return;
    }
    readPalette();
    Meter.addFrame(passStart, MainScreen.pixels, Palette);
    if (PerSecond && Meter.generalBlocksNow() > 0) {
        int& worst = WorstBySecond[DemoTime / 100];
        if (Meter.generalBlocksNow() > worst)
            worst = Meter.generalBlocksNow();
    }
    if (PerScene)
        addSceneFigures();
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            PerSecond = true;
        else if (std::strcmp(argv[i], "--scenes") == 0)
            PerScene = true;
        else {
            std::fprintf(stderr, "usage: demo-flash-run [--seconds] [--scenes]\n");
            return 2;
        }
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    useVirtualClock(0);
    constructShowObjects();
    prepareShow();
    startMusic();
    ShowLoop loop;
    loop.seams = {nullptr, afterPass, nullptr};
    runShowLoop(loop);
    stopMusic();

    const FlashWorst& general = Meter.general();
    const FlashWorst& red = Meter.red();
    std::printf("general %d %u %d\n", general.blocks, general.windowEnd, general.flashes);
    std::printf("red %d %u %d\n", red.blocks, red.windowEnd, red.flashes);
    for (const auto& [second, blocks] : WorstBySecond)
        std::printf("second %u %d\n", second, blocks);
    for (const auto& [mask, scene] : Scenes) {
        const double n = double(scene.frames);
        std::printf("scene %-40s %6llu luma %5.1f dark %5.1f%% bright %5.1f%% colours %5.1f\n",
                    sceneMaskNames(mask).c_str(), static_cast<unsigned long long>(scene.frames),
                    scene.luma / n, 100 * scene.dark / n, 100 * scene.bright / n, scene.colours / n);
    }
    return 0;
}
