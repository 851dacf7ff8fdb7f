// Photosensitivity: counts general and red flashes in a sequence of presented
// pictures, the way broadcasters' flash tests do, simplified.
//
// The picture is cut into 4 x 4 blocks (80 x 60 of them). Each block's value
// is the mean over its 16 pixels of
//  - the relative luminance of the palette colour (sRGB decoded to linear
//    light, 0.2126 R + 0.7152 G + 0.0722 B), for general flashes;
//  - the red excess (R - G - B) x 320 of saturated reds (R / (R + G + B) at
//    least 0.8, linear light), 0 for every other colour, for red flashes.
// A transition is a change from the block's last extreme of at least 0.1 in
// luminance where the darker state is below 0.8 (red: more than 20); a rise
// that keeps rising, or a fall that keeps falling, moves the extreme and is
// no new transition. Two opposite transitions are one flash. A second fails
// when a quarter or more of the blocks flash more than three times in it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int FlashBlockColumns = 80;
constexpr int FlashBlockRows = 60;
constexpr int FlashBlocks = FlashBlockColumns * FlashBlockRows;
constexpr int FlashesAllowedPerSecond = 3;
// A quarter or more of the blocks over the limit fails the second.
constexpr int FailingBlockCount = FlashBlocks / 4;

struct FlashWorst {
    int blocks = 0;          // most blocks over the limit in any one second
    uint32_t windowEnd = 0;  // ms: the second (windowEnd - 1000, windowEnd] where that was
    int flashes = 0;         // most flashes of one block in any one second
};

class FlashMeter {
public:
    FlashMeter();
    // One presented picture: 320 x 240 indices and 256 RGB triples, shown
    // from `timeMs` on (times ascending).
    void addFrame(uint32_t timeMs, const uint8_t* pixels, const uint8_t* paletteRgb);

    const FlashWorst& general() const { return generalChannel.worst; }
    const FlashWorst& red() const { return redChannel.worst; }
    // Blocks over the limit in the second that ended with the last frame.
    int generalBlocksNow() const { return generalNow; }

private:
    // One block's trend on one measure.
    struct Trend {
        double low = 0, high = 0;  // extremes since the last transition
        int8_t direction = 0;      // +1 after a rise, -1 after a fall, 0 before any
        bool started = false;
        // Times of the latest transitions, a ring: 64 is more than a
        // 50 frames/s picture can make in a second.
        std::array<uint32_t, 64> times{};
        uint32_t count = 0;  // transitions so far
    };
    struct Channel {
        std::vector<Trend> trends;
        double step;        // the smallest change that counts
        double darkLimit;   // the darker state must lie below this
        FlashWorst worst;
    };
    // Feeds one block value; true when it made a transition.
    static bool feed(Trend& trend, double value, double step, double darkLimit);
    // Flashes of a block within (now - 1000, now].
    static int flashesInSecond(const Trend& trend, uint32_t now);
    // Feeds every block's value of the picture shown from `now`; returns the
    // blocks over the limit in the second that ends there.
    int measure(Channel& channel, const std::vector<double>& values, uint32_t now);

    Channel generalChannel;
    Channel redChannel;
    int generalNow = 0;
};
