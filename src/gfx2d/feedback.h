// Building blocks of the feedback effects (the sun's light, the flare
// trails): a row enlarged by a fixed step, and the four-neighbour blur done
// in place in scan order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Screen column x of an enlarged row takes source column (origin + step x)
// >> 8 (origin and step 8.8, step below 256). The columns come in runs:
// from `screen` on they take source columns from `source` on, one each, until
// a source column repeats, about every 256 / (256 - step) columns. Runs are
// cut at 16 columns.
struct ColumnRuns {
    struct Run {
        int32_t screen, source, length;
    };
    std::array<Run, 320> runs{};
    int32_t count = 0;
    int32_t wideCount = 0;  // leading runs that may be copied as 16 bytes
};

constexpr ColumnRuns columnRuns(int32_t origin, int32_t step)
{
    ColumnRuns table;
    for (int32_t x = 0; x < 320; ++x) {
        const int32_t source = (origin + step * x) >> 8;
        ColumnRuns::Run* last = table.count ? &table.runs[std::size_t(table.count - 1)] : nullptr;
        if (last && source == last->source + last->length && last->length < 16)
            last->length += 1;
        else
            table.runs[std::size_t(table.count++)] = {x, source, 1};
    }
    // A run copied as 16 bytes reads and writes 16 bytes from its start; the
    // bytes past its length are rewritten by the runs after it. That must stay
    // within the 320-byte rows.
    while (table.wideCount < table.count) {
        const ColumnRuns::Run& run = table.runs[std::size_t(table.wideCount)];
        if (run.screen + 16 > 320 || run.source < 0 || run.source + 16 > 320)
            break;
        ++table.wideCount;
    }
    return table;
}

// Writes the 320 pixels of an enlarged row into `out` from `source`.
void enlargeRow(uint8_t* out, const uint8_t* source, const ColumnRuns& runs);

// Blurs pixels[first..last] in place, one pixel at a time in scan order:
// each becomes the mean of its four neighbours (left, right, 320 before and
// 320 after), rounded down, where the neighbours already passed are the
// blurred ones. Going up from `first` the left and upper neighbours are
// blurred; going down from `last` the right and lower ones. Row ends wrap
// into the next row. The range's neighbours must lie inside the buffer.
void blurInScanOrder(uint8_t* pixels, int32_t first, int32_t last, bool downwards);

// The two ways blurInScanOrder can go, the same pixels either way. By pieces:
// the three neighbours known before a piece of the range are summed in a pass
// of their own, which a vector unit does many pixels at a time, and the chain
// through the near neighbour follows. Chained: all four neighbours are added
// in the chain itself, one pass and no buffer, cheaper where there is no
// vector unit (an ARM9). blurInScanOrder takes the one that suits the target.
void blurInScanOrderByPieces(uint8_t* pixels, int32_t first, int32_t last, bool downwards);
void blurInScanOrderChained(uint8_t* pixels, int32_t first, int32_t last, bool downwards);

// out[o] = (in[o - 1] + in[o + 1] + in[o - 320] + in[o + 320]) >> 2 for every
// o from first to last: the truncated mean of the four old neighbours, rows
// running on across their ends. The neighbours must lie inside `in`, which
// `out` must not overlap. Both buffers start on a 4-byte boundary.
void averageNeighbours(uint8_t* out, const uint8_t* in, int32_t first, int32_t last);
// Its two ways, the same bytes either way: plainly, a loop a vector unit takes
// many pixels at a time, and by words, four pixels in one 32-bit word where
// there is none (an ARM9). averageNeighbours takes the one that suits the target.
void averageNeighboursPlainly(uint8_t* out, const uint8_t* in, int32_t first, int32_t last);
void averageNeighboursByWords(uint8_t* out, const uint8_t* in, int32_t first, int32_t last);
