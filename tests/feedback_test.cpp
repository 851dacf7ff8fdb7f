// The feedback effects' building blocks against the plain rules: the row
// enlargement by runs of columns and the in-place blur in scan order.
#include "gfx2d/feedback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> randomBytes(std::mt19937& random, size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes)
        byte = uint8_t(random());
    return bytes;
}

// Origins from 0 to past column 60 with every fraction, steps from the
// gentlest zoom to the strongest: each pixel is the source column the rule
// names.
TEST(Feedback, EnlargedRowTakesTheNamedSourceColumns)
{
    std::mt19937 random(3);
    const std::vector<uint8_t> rows = randomBytes(random, 3 * 320);
    const uint8_t* source = rows.data() + 320;
    for (int round = 0; round < 300; ++round) {
        const int32_t step = round < 2 ? 255 - 55 * round : int32_t(150 + random() % 106);
        const int32_t origin = int32_t(random() % (64 * 256));
        const ColumnRuns runs = columnRuns(origin, step);
        std::vector<uint8_t> out(3 * 320, 7);
        enlargeRow(out.data() + 320, source, runs);
        for (int32_t x = 0; x < 320; ++x)
            ASSERT_EQ(out[size_t(320 + x)], source[(origin + step * x) >> 8])
                << "step " << step << " origin " << origin << " x " << x;
        EXPECT_EQ(std::vector<uint8_t>(out.begin() + 640, out.end()), std::vector<uint8_t>(320, 7))
            << "nothing past the row";
    }
}

void plainBlur(uint8_t* p, int32_t first, int32_t last, bool downwards)
{
    const auto blur = [p](int32_t o) {
        p[o] = uint8_t((p[o - 1] + p[o + 1] + p[o + 320] + p[o - 320]) >> 2);
    };
    if (downwards)
        for (int32_t o = last; o >= first; --o)
            blur(o);
    else
        for (int32_t o = first; o <= last; ++o)
            blur(o);
}

// Ranges of whole and part rows, from one pixel to many rows, both ways, for
// both ways of going and the one the target takes.
TEST(Feedback, BlurInScanOrderIsThePixelByPixelBlur)
{
    const std::pair<const char*, void (*)(uint8_t*, int32_t, int32_t, bool)> blurs[] = {
        {"by pieces", blurInScanOrderByPieces},
        {"chained", blurInScanOrderChained},
        {"the target's", blurInScanOrder}};
    for (const auto& [name, blur] : blurs) {
        std::mt19937 random(5);
        for (int round = 0; round < 200; ++round) {
            std::vector<uint8_t> fast = randomBytes(random, 40 * 320);
            std::vector<uint8_t> plain = fast;
            const int32_t first = int32_t(321 + random() % (10 * 320));
            const int32_t length =
                round % 4 == 0 ? int32_t(1 + random() % 3) : int32_t(random() % 9000);
            const int32_t last = std::min(first + length, 39 * 320 - 2);
            const bool downwards = round % 2 == 1;
            blur(fast.data(), first, last, downwards);
            plainBlur(plain.data(), first, last, downwards);
            ASSERT_EQ(fast, plain) << name << ", round " << round << ": " << first << ".." << last;
        }
    }
}

// Both ways and the target's, over ranges starting and ending at every
// alignment, buffers on and off a word boundary, and bytes near 0 and 255
// where a carry between bytes would show.
TEST(Feedback, AverageNeighboursIsTheTruncatedMeanOfTheOldBytes)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const size_t shift = round % 5 == 4 ? 1 : 0;
        std::vector<uint8_t> inBuffer = randomBytes(random, 12 * 320 + 8);
        if (round % 3 == 0)
            for (uint8_t& byte : inBuffer)
                byte = uint8_t(byte & 1 ? 255 - (byte & 3) : byte & 3);
        std::vector<uint8_t> outBuffer = randomBytes(random, 12 * 320 + 8);
        alignas(4) static uint8_t in[12 * 320 + 8], out[12 * 320 + 8];
        std::copy(inBuffer.begin(), inBuffer.end(), in);
        std::copy(outBuffer.begin(), outBuffer.end(), out);
        const int32_t first = int32_t(320 + random() % 640);
        const int32_t last = std::min<int32_t>(first + int32_t(random() % 2000), 11 * 320 - 2);
        const auto way = round / 3 % 3 == 0 ? averageNeighbours
                         : round / 3 % 3 == 1 ? averageNeighboursPlainly
                                          : averageNeighboursByWords;
        way(out + shift, in, first, last);
        for (int32_t o = 0; o < int32_t(outBuffer.size()) - int32_t(shift); ++o) {
            const uint8_t expected =
                o >= first && o <= last
                    ? uint8_t((in[o - 1] + in[o + 1] + in[o - 320] + in[o + 320]) >> 2)
                    : outBuffer[size_t(o) + shift];
            ASSERT_EQ(out[size_t(o) + shift], expected)
                << "round " << round << ", offset " << o << " of " << first << ".." << last;
        }
    }
}

}  // namespace
