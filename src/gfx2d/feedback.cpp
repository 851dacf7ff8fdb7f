#include "gfx2d/feedback.h"

#include <algorithm>
#include <cstring>

void enlargeRow(uint8_t* out, const uint8_t* source, const ColumnRuns& runs)
{
    for (int32_t r = 0; r < runs.wideCount; ++r) {
        const ColumnRuns::Run& run = runs.runs[size_t(r)];
        std::memcpy(out + run.screen, source + run.source, 16);
    }
    for (int32_t r = runs.wideCount; r < runs.count; ++r) {
        const ColumnRuns::Run& run = runs.runs[size_t(r)];
        std::memcpy(out + run.screen, source + run.source, size_t(run.length));
    }
}

// The range goes in pieces of at most 320 pixels. Within a piece, three of a
// pixel's neighbours are known before the piece starts: the one 320 behind is
// in the piece before (blurred), the one 320 ahead in the piece after (not
// yet), and the far side neighbour is not reached yet. They are summed first;
// what is left is the chain through the near side neighbour.
void blurInScanOrder(uint8_t* pixels, int32_t first, int32_t last, bool downwards)
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
