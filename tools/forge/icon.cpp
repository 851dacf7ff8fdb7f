// The desktop icon: the mask of the lightning scene, the show's most
// recognisable face, cut to a square around its centre, scaled to each icon
// size and given rounded corners. Read back from the forged data set, so the
// icon is exactly the art the show displays.
#include "forge.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The mask is 320 x 240; its face fills the centred 240 x 240 square.
constexpr int SourceSide = 240;
constexpr int SourceLeft = (320 - SourceSide) / 2;
// Corner radius as a share of the icon's side, and the samples per pixel
// edge that smooth the corners.
constexpr double CornerShare = 0.18;
constexpr int EdgeSamples = 4;

// How much of source cell `cell` (0..SourceSide-1) lies under output pixel
// `out` of `size`, in output-pixel units: box filtering in both directions,
// so enlarging (240 -> 256) and reducing (240 -> 48) alike keep every colour
// the art's own blend.
double overlap(int out, int cell, int size)
{
    const double scale = double(SourceSide) / size;
    const double lo = std::max(out * scale, double(cell));
    const double hi = std::min((out + 1) * scale, double(cell + 1));
    return std::max(0.0, hi - lo) / scale;
}

// Coverage 0..1 of pixel (x, y) by a square of side `size` with rounded
// corners.
double cornerCoverage(int x, int y, int size)
{
    const double radius = CornerShare * size;
    int inside = 0;
    for (int sy = 0; sy < EdgeSamples; ++sy)
        for (int sx = 0; sx < EdgeSamples; ++sx) {
            const double px = x + (sx + 0.5) / EdgeSamples, py = y + (sy + 0.5) / EdgeSamples;
            const double dx = std::max({radius - px, px - (size - radius), 0.0});
            const double dy = std::max({radius - py, py - (size - radius), 0.0});
            inside += dx * dx + dy * dy <= radius * radius;
        }
    return double(inside) / (EdgeSamples * EdgeSamples);
}

std::vector<uint8_t> drawIcon(const IndexedImage& mask, const Palette& palette, int size)
{
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum[3] = {0, 0, 0};
            const int firstRow = y * SourceSide / size, lastRow = ((y + 1) * SourceSide - 1) / size;
            const int firstColumn = x * SourceSide / size, lastColumn = ((x + 1) * SourceSide - 1) / size;
            for (int row = firstRow; row <= lastRow; ++row)
                for (int column = firstColumn; column <= lastColumn; ++column) {
                    const double weight = overlap(y, row, size) * overlap(x, column, size);
                    const Rgb colour = palette[mask.pixels[size_t(row) * mask.width + SourceLeft + column]];
                    sum[0] += weight * colour.r;
                    sum[1] += weight * colour.g;
                    sum[2] += weight * colour.b;
                }
            uint8_t* pixel = &rgba[(size_t(y) * size + x) * 4];
            for (int c = 0; c < 3; ++c)
                pixel[c] = uint8_t(std::clamp(std::lround(sum[c]), 0l, 255l));
            pixel[3] = uint8_t(std::lround(255 * cornerCoverage(x, y, size)));
        }
    return rgba;
}

}  // namespace

void forgeIcons(const std::string& dataDir, const std::string& outDir)
{
    const IndexedImage mask = readIndices(forgedPath(dataDir, dataFile("data/mask")));
    const Palette palette = readForgedPalette(dataDir, dataFile("data/mask1.pal"));
    if (mask.width != 320 || mask.height < SourceSide)
        forgeFileFailure(forgedPath(dataDir, dataFile("data/mask")) + " is not the 320 x 240 mask");
    std::filesystem::create_directories(outDir);
    for (int size : IconSizes)
        writeRgbPng(outDir + "/daylong-" + std::to_string(size) + ".png", size, size, 4,
                    drawIcon(mask, palette, size));
}
