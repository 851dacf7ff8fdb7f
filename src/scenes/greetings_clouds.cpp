#include "scenes/greetings_clouds.h"

#include "objects/greetings.h"
#include "assets/assets.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstdlib>
#include <cstring>

int32_t cloudShift1 = 0;   // columns, grows by 3 per step; only the low 8 bits are read
int32_t cloudShift2 = 0;   // columns, grows by 2 per step
int32_t cloudShift3 = 0;   // columns, grows by 1 per step
int32_t cloudBase = 128;   // palette index of a cloudless sky: the cloud ramp starts at 128
int32_t flashShift = 0;    // columns, set at each lightning window
uint8_t flashOn = 0;       // 1 inside a lightning window

constexpr int32_t CalmBase = 128;
constexpr int32_t FlickerBase = 140;
constexpr int FlickerOdds = 30;  // one step in 30, on average, the sky flickers
constexpr uint8_t FlashColour = 251;
constexpr int LightningRows = 192;
constexpr int LightningWidth = 256;

// Each word's arrival (and the last one's departure) opens a lightning
// window of 29 centiseconds, with the bolt moved right by `shift` columns.
struct LightningWindow {
    uint32_t first, last;  // DemoTime, inclusive
    int32_t shift;
};
static constexpr LightningWindow LightningWindows[] = {
    {19001, 19029, -20}, {19801, 19829, 30}, {20601, 20629, 60}, {21401, 21429, 120}};

// Bit b set once DemoTime has passed the b-th arrival.
static int32_t greetingFlags(uint32_t t)
{
    return (t > 19000 ? 1 : 0) + (t > 19800 ? 2 : 0) + (t > 20600 ? 4 : 0) + (t > 21400 ? 8 : 0);
}

static void openLightningWindows(uint32_t t)
{
    flashOn = 0;
    for (const LightningWindow& window : LightningWindows) {
        if (t >= window.first && t <= window.last) {
            flashShift = window.shift;
            flashOn = 1;
        }
    }
}

void updateGreetingsClouds()
{
    cloudShift1 += 3;
    cloudShift2 += 2;
    cloudShift3 += 1;
    const int32_t flags = greetingFlags(DemoTime);
    cloudBase = std::rand() % FlickerOdds == 0 ? FlickerBase : CalmBase;
    openLightningWindows(DemoTime);
    tickGreetings(SceneGreetings, flags);
}

// Every other column, alternating with the frame's parity, becomes the sum of
// the three 256 x 256 cloud layers (values 0..31), each scrolled by its own
// shift and tiled, plus cloudBase; the other columns keep the last frame.
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
            const int32_t sum = cloudBase + cloud1[row + ((cloudShift1 + x) & 255)] +
                                cloud2[row + ((cloudShift2 + x) & 255)] +
                                cloud3[row + ((cloudShift3 + x) & 255)];
            line[x] = uint8_t(sum & 255);
        }
    }
}

// Sets to the flash colour every pixel of the lightning picture that has a
// bit of `mask`, moved right by flashShift; columns that would leave the
// screen are not drawn.
static void drawLightning(uint8_t mask)
{
    for (int y = 0; y < LightningRows; ++y) {
        const uint8_t* source = lightningPicture.pixels + y * LightningWidth;
        uint8_t* line = MainScreen.pixels + RowOffsets[y];
        for (int x = 0; x < LightningWidth; ++x) {
            const int32_t column = x + flashShift;
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
    if (flashOn && (frame & 3) == 1)
        drawLightning(12);
    else if (flashOn && (frame & 3) == 2)
        drawLightning(48);
    std::memset(MainScreen.pixels, 0, 2 * ScreenWidth);
}
