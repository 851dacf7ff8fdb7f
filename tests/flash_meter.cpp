#include "flash_meter.h"

#include <cmath>

namespace {

double linearLight(uint8_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

FlashMeter::FlashMeter()
{
    generalChannel = {std::vector<Trend>(FlashBlocks), 0.1, 0.8, {}};
    // The red measure has no brightness cap: any saturated red swing counts.
    redChannel = {std::vector<Trend>(FlashBlocks), 20.0 + 1e-9, 1e9, {}};
}

bool FlashMeter::feed(Trend& trend, double value, double step, double darkLimit)
{
    if (!trend.started) {
        trend.started = true;
        trend.low = trend.high = value;
        return false;
    }
    int8_t turn = 0;
    if (trend.direction >= 0) {  // waiting for a fall from the high
        if (value > trend.high)
            trend.high = value;
        else if (trend.high - value >= step && value < darkLimit)
            turn = -1;
    }
    if (turn == 0 && trend.direction <= 0) {  // waiting for a rise from the low
        if (value < trend.low)
            trend.low = value;
        else if (value - trend.low >= step && trend.low < darkLimit)
            turn = 1;
    }
    if (turn == 0)
        return false;
    trend.direction = turn;
    trend.low = trend.high = value;
    return true;
}

int FlashMeter::flashesInSecond(const Trend& trend, uint32_t now)
{
    const uint32_t kept = trend.count < trend.times.size() ? trend.count : uint32_t(trend.times.size());
    uint32_t inSecond = 0;
    for (uint32_t back = 1; back <= kept; ++back) {
        const uint32_t time = trend.times[(trend.count - back) % trend.times.size()];
        if (time + 1000 <= now)
            break;
        ++inSecond;
    }
    return int(inSecond / 2);
}

int FlashMeter::measure(Channel& channel, const std::vector<double>& values, uint32_t now)
{
    int over = 0;
    for (int b = 0; b < FlashBlocks; ++b) {
        Trend& trend = channel.trends[size_t(b)];
        if (feed(trend, values[size_t(b)], channel.step, channel.darkLimit)) {
            trend.times[trend.count % trend.times.size()] = now;
            ++trend.count;
        }
        const int flashes = flashesInSecond(trend, now);
        if (flashes > channel.worst.flashes)
            channel.worst.flashes = flashes;
        if (flashes > FlashesAllowedPerSecond)
            ++over;
    }
    if (over > channel.worst.blocks)
        channel.worst = {over, now, channel.worst.flashes};
    return over;
}

void FlashMeter::addFrame(uint32_t timeMs, const uint8_t* pixels, const uint8_t* paletteRgb)
{
    double luminance[256];
    double redness[256];
    for (int i = 0; i < 256; ++i) {
        const double r = linearLight(paletteRgb[3 * i]);
        const double g = linearLight(paletteRgb[3 * i + 1]);
        const double b = linearLight(paletteRgb[3 * i + 2]);
        luminance[i] = 0.2126 * r + 0.7152 * g + 0.0722 * b;
        const double sum = r + g + b;
        redness[i] = sum > 0 && r / sum >= 0.8 ? std::fmax(0.0, (r - g - b) * 320.0) : 0.0;
    }
    std::vector<double> light(FlashBlocks, 0.0);
    std::vector<double> red(FlashBlocks, 0.0);
    for (int y = 0; y < FlashBlockRows * 4; ++y)
        for (int x = 0; x < FlashBlockColumns * 4; ++x) {
            const uint8_t index = pixels[y * FlashBlockColumns * 4 + x];
            const size_t block = size_t((y / 4) * FlashBlockColumns + x / 4);
            light[block] += luminance[index] / 16;
            red[block] += redness[index] / 16;
        }
    generalNow = measure(generalChannel, light, timeMs);
    measure(redChannel, red, timeMs);
}
