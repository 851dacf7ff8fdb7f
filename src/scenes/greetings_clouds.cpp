#include "scenes/greetings_clouds.h"
#include "core/random.h"

#include "objects/greetings.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

#include <cstring>
#include <iterator>

GreetingsCloudsState GreetingsClouds;

void resetGreetingsClouds()
{
    GreetingsClouds = {};
}

constexpr int32_t CalmBase = 128;
constexpr int32_t FlickerBase = 140;
constexpr int FlickerOdds = 30;  // one step in 30, on average, the sky flickers
constexpr uint8_t FlashColour = 251;
constexpr int LightningRows = 192;
constexpr int LightningWidth = 256;

// The times (centiseconds after the scene's start, strict) after which words
// 2 to 4 arrive, each sending the word before away, and then the last word
// leaves. Each cue also opens a lightning window for its first 29
// centiseconds, with the bolt moved right by `flashShift` columns.
struct GreetingCue {
    uint32_t after;
    int32_t flashShift;
};
static constexpr GreetingCue GreetingCues[] = {{800, -20}, {1600, 30}, {2400, 60}, {3200, 120}};
constexpr uint32_t GreetingsStart = sceneStart(GreetingsBit);
constexpr uint32_t LightningLength = 29;  // centiseconds

// Bit b set once DemoTime has passed cue b.
static int32_t greetingFlags(uint32_t t)
{
    int32_t flags = 0;
    for (size_t b = 0; b < std::size(GreetingCues); ++b)
        if (t > GreetingsStart + GreetingCues[b].after)
            flags |= 1 << b;
    return flags;
}

static void openLightningWindows(uint32_t t)
{
    GreetingsClouds.flashOn = 0;
    for (const GreetingCue& cue : GreetingCues) {
        if (t > GreetingsStart + cue.after && t <= GreetingsStart + cue.after + LightningLength) {
            GreetingsClouds.flashShift = cue.flashShift;
            GreetingsClouds.flashOn = 1;
        }
    }
}

void updateGreetingsClouds()
{
    GreetingsClouds.shift1 += 3;
    GreetingsClouds.shift2 += 2;
    GreetingsClouds.shift3 += 1;
    const int32_t flags = greetingFlags(DemoTime);
    GreetingsClouds.base = showRandom() % FlickerOdds == 0 ? FlickerBase : CalmBase;
    openLightningWindows(DemoTime);
    tickGreetings(SceneGreetings, flags);
}

// Every other column, alternating with the frame's parity, becomes the sum of
// the three 256 x 256 cloud layers (values 0..31), each scrolled by its own
// shift and tiled, plus GreetingsClouds.base; the other columns keep the last frame.
// Row 0 is left alone: it is cleared at the end of the frame anyway.
static void drawClouds(int32_t parity)
{
    const uint8_t* cloud1 = cloud1Picture.pixels;
    const uint8_t* cloud2 = cloud2Picture.pixels;
    const uint8_t* cloud3 = cloud3Picture.pixels;
    for (int y = ScreenHeight - 1; y >= 1; --y) {
        const int32_t row = (y & 255) * 256;
        uint8_t* line = MainScreen.pixels + RowOffsets[y];
        for (int x = ScreenWidth - 1 - parity; x >= 0; x -= 2) {
            const int32_t sum = GreetingsClouds.base + cloud1[row + ((GreetingsClouds.shift1 + x) & 255)] +
                                cloud2[row + ((GreetingsClouds.shift2 + x) & 255)] +
                                cloud3[row + ((GreetingsClouds.shift3 + x) & 255)];
            line[x] = uint8_t(sum & 255);
        }
    }
}

// Sets to the flash colour every pixel of the lightning picture that has a
// bit of `mask`, moved right by GreetingsClouds.flashShift; columns that would leave the
// screen are not drawn.
static void drawLightning(uint8_t mask)
{
    for (int y = 0; y < LightningRows; ++y) {
        const uint8_t* source = lightningPicture.pixels + y * LightningWidth;
        uint8_t* line = MainScreen.pixels + RowOffsets[y];
        for (int x = 0; x < LightningWidth; ++x) {
            const int32_t column = x + GreetingsClouds.flashShift;
            if ((source[x] & mask) != 0 && column >= 0 && column < ScreenWidth)
                line[column] = FlashColour;
        }
    }
}

void drawGreetingsClouds()
{
    const int32_t frame = TickCount;
    drawClouds(frame & 1);
    drawGreetings(SceneGreetings);
    // The two bit planes flash alternately, on two of every four frames.
    if (GreetingsClouds.flashOn && (frame & 3) == 1)
        drawLightning(12);
    else if (GreetingsClouds.flashOn && (frame & 3) == 2)
        drawLightning(48);
    std::memset(MainScreen.pixels, 0, 2 * ScreenWidth);
}
