#include "gfx2d/feedback.h"

#include "core/bytes.h"
#include "core/target.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Where words can be stored at any address, most runs go as 16 bytes (see
// ColumnRuns::wideCount). Where they cannot, every run goes byte by byte at
// its own length, so the bytes past it are not written twice.
void enlargeRow(uint8_t* out, const uint8_t* source, const ColumnRuns& runs)
{
    int32_t r = 0;
    if constexpr (UnalignedWords) {
        for (; r < runs.wideCount; ++r) {
            const ColumnRuns::Run& run = runs.runs[size_t(r)];
            std::memcpy(out + run.screen, source + run.source, 16);
        }
    }
    for (; r < runs.count; ++r) {
        const ColumnRuns::Run& run = runs.runs[size_t(r)];
        copyShort(out + run.screen, source + run.source, size_t(run.length));
    }
}

// The range goes in pieces of at most 320 pixels. Within a piece, three of a
// pixel's neighbours are known before the piece starts: the one 320 behind is
// in the piece before (blurred), the one 320 ahead in the piece after (not
// yet), and the far side neighbour is not reached yet. They are summed first;
// what is left is the chain through the near side neighbour.
void blurInScanOrderByPieces(uint8_t* pixels, int32_t first, int32_t last, bool downwards)
{
    uint16_t known[320];
    if (!downwards) {
        for (int32_t start = first; start <= last; start += 320) {
            const int32_t n = std::min(320, last - start + 1);
            uint8_t* piece = pixels + start;
            for (int32_t i = 0; i < n; ++i)
                known[i] = uint16_t(piece[i + 1] + piece[i + 320] + piece[i - 320]);
            int32_t behind = piece[-1];
            for (int32_t i = 0; i < n; ++i) {
                behind = (behind + known[i]) >> 2;
                piece[i] = uint8_t(behind);
            }
        }
        return;
    }
    for (int32_t end = last; end >= first; end -= 320) {
        const int32_t n = std::min(320, end - first + 1);
        uint8_t* piece = pixels + end - n + 1;
        for (int32_t i = 0; i < n; ++i)
            known[i] = uint16_t(piece[i - 1] + piece[i - 320] + piece[i + 320]);
        int32_t behind = piece[n];
        for (int32_t i = n - 1; i >= 0; --i) {
            behind = (behind + known[i]) >> 2;
            piece[i] = uint8_t(behind);
        }
    }
}

// The chain reads the far side neighbour and the one 320 ahead before they
// are blurred and the one 320 behind after, as the pieces do. A sum of the
// previous result and three bytes stays below 1024.
void blurInScanOrderChained(uint8_t* pixels, int32_t first, int32_t last, bool downwards)
{
    if (first > last)
        return;
    // Two pixels a step, after an odd one, halve the loop's counting.
    const int32_t step = downwards ? -1 : 1;
    uint8_t* p = pixels + (downwards ? last : first);
    uint32_t behind = p[-step];
    const auto blurOne = [&] {
        behind = (behind + p[step] + p[320] + p[-320]) >> 2;
        *p = uint8_t(behind);
        p += step;
    };
    int32_t count = last - first + 1;
    if (count & 1)
        blurOne();
    for (count >>= 1; count > 0; --count) {
        blurOne();
        blurOne();
    }
}

void blurInScanOrder(uint8_t* pixels, int32_t first, int32_t last, bool downwards)
{
    if constexpr (VectorUnit)
        blurInScanOrderByPieces(pixels, first, last, downwards);
    else
        blurInScanOrderChained(pixels, first, last, downwards);
}

// By words: four pixels a step as one 32-bit word each (little-endian byte
// order, as on every target), where an ARM9 would otherwise take four loads
// and three adds a pixel; with a vector unit the plain loop goes faster. The mean of four bytes without 10-bit sums: with a = 4 h + l
// (l = a & 3), (a + b + c + d) >> 2 = sum of h + (sum of l) >> 2, where the
// sum of h is at most 252 and the sum of l at most 12, so no byte of the word
// carries into the next. The left and right neighbours are the word shifted
// by a byte with the neighbouring word's edge byte brought in.
void averageNeighbours(uint8_t* out, const uint8_t* in, int32_t first, int32_t last)
{
    if constexpr (VectorUnit)
        averageNeighboursPlainly(out, in, first, last);
    else
        averageNeighboursByWords(out, in, first, last);
}

// Walked by pointers into buffers declared apart, so that the compiler takes
// the loop many pixels at a time (indices would be sign-extended one by one,
// as the show's arithmetic wraps).
void averageNeighboursPlainly(uint8_t* out, const uint8_t* in, int32_t first, int32_t last)
{
    const uint8_t* __restrict level = in + first;
    uint8_t* __restrict smooth = out + first;
    for (int32_t o = first; o <= last; ++o, ++level, ++smooth)
        *smooth = uint8_t((level[-1] + level[1] + level[320] + level[-320]) >> 2);
}

void averageNeighboursByWords(uint8_t* out, const uint8_t* in, int32_t first, int32_t last)
{
    const auto plain = [&](int32_t o) {
        out[o] = uint8_t((in[o - 1] + in[o + 1] + in[o - 320] + in[o + 320]) >> 2);
    };
    int32_t o = first;
    const bool wordsFit = std::endian::native == std::endian::little &&
                          ((reinterpret_cast<uintptr_t>(in) | reinterpret_cast<uintptr_t>(out)) & 3) == 0;
    for (; o <= last && (!wordsFit || (o & 3) != 0); ++o)
        plain(o);
    // Aligned, so that a target without unaligned loads reads each word in one.
    const auto word = [in](int32_t at) {
        uint32_t w;
        std::memcpy(&w, __builtin_assume_aligned(in + at, 4), 4);
        return w;
    };
    constexpr uint32_t High = 0x3F3F3F3Fu, Low = 0x03030303u;
    if (o + 3 <= last) {
        uint32_t previous = word(o - 4), current = word(o);
        for (; o + 3 <= last; o += 4) {
            const uint32_t next = word(o + 4);
            const uint32_t left = (current << 8) | (previous >> 24);
            const uint32_t right = (current >> 8) | (next << 24);
            const uint32_t up = word(o - 320), down = word(o + 320);
            const uint32_t highs = ((left >> 2) & High) + ((right >> 2) & High) + ((up >> 2) & High) +
                                   ((down >> 2) & High);
            const uint32_t lows = (left & Low) + (right & Low) + (up & Low) + (down & Low);
            const uint32_t mean = highs + ((lows >> 2) & Low);
            std::memcpy(__builtin_assume_aligned(out + o, 4), &mean, 4);
            previous = current;
            current = next;
        }
    }
    for (; o <= last; ++o)
        plain(o);
}
