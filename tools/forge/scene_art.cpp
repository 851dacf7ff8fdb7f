#include "scene_art.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

using namespace paint;

IndexCanvas makeIndexCanvas(int width, int height, uint8_t fill)
{
    return {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, fill)};
}

void plot(IndexCanvas& canvas, int x, int y, uint8_t value)
{
    if (x >= 0 && y >= 0 && x < canvas.width && y < canvas.height)
        pixelAt(canvas, x, y) = value;
}

double fractalNoise(double x, double y, uint32_t seed, int octaves)
{
    // A lattice period far beyond any picture, so nothing repeats.
    const int period = 1 << 16;
    double sum = 0, weight = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += valueNoise(seed + 101u * o, x + 4096, y + 4096, period) * weight;
        total += weight;
        x *= 2;
        y *= 2;
        weight *= 0.5;
    }
    return sum / total;
}

void drawLeaf(IndexCanvas& canvas, double baseX, double baseY, double angle, double length, double width, Ramp ramp,
              double light)
{
    const double dx = std::cos(angle), dy = std::sin(angle);
    const double reach = length + width;
    paintBox(canvas, static_cast<int>(baseX - reach), static_cast<int>(baseY - reach), static_cast<int>(baseX + reach),
             static_cast<int>(baseY + reach), [&](int x, int y) {
                 const double px = x - baseX, py = y - baseY;
                 const double s = (px * dx + py * dy) / length;
                 const double q = -px * dy + py * dx;
                 if (s <= 0 || s >= 1)
                     return -1;
                 const double half = width * std::pow(std::sin(std::numbers::pi * std::pow(s, 0.8)), 0.75);
                 const double side = std::abs(q);
                 if (side >= half)
                     return -1;
                 double t = light + (q > 0 ? 0.08 : -0.08);
                 if (side < 0.9 + width * 0.04)
                     t += 0.18;
                 else if (std::fmod(s * length * 0.22 - side * 0.25 + 8, 1.0) < 0.16)
                     t -= 0.1;
                 if (half - side < 1.2)
                     t -= 0.14;
                 return static_cast<int>(rampIndex(ramp, t));
             });
}

void drawLimb(IndexCanvas& canvas, double x0, double y0, double x1, double y1, double radius0, double radius1,
              Ramp ramp, double light)
{
    const double lx = x1 - x0, ly = y1 - y0;
    const double lengthSquared = lx * lx + ly * ly;
    const double big = std::max(radius0, radius1) + 1;
    paintBox(canvas, static_cast<int>(std::min(x0, x1) - big), static_cast<int>(std::min(y0, y1) - big),
             static_cast<int>(std::max(x0, x1) + big), static_cast<int>(std::max(y0, y1) + big), [&](int x, int y) {
                 const double s = std::clamp(((x - x0) * lx + (y - y0) * ly) / lengthSquared, 0.0, 1.0);
                 const double cx = x0 + lx * s, cy = y0 + ly * s;
                 const double radius = radius0 + (radius1 - radius0) * s;
                 const double ox = x - cx, oy = y - cy;
                 const double distance = std::sqrt(ox * ox + oy * oy);
                 if (distance >= radius)
                     return -1;
                 // Light from the upper left: brighter where the offset from the axis points there.
                 const double facing = -(ox + oy) * 0.7071 / radius;
                 return static_cast<int>(rampIndex(ramp, light + 0.3 * facing - 0.25 * std::pow(distance / radius, 3)));
             });
}

void writeConverted(const std::string& dir, const DataFile& file, const IndexCanvas& canvas)
{
    if (canvas.width != file.width || canvas.height < file.minHeight || canvas.height > file.maxHeight) {
        std::fprintf(stderr, "forge: %s came out %d x %d, the show reads %d x %d\n", dataFileName(file),
                     canvas.width, canvas.height, file.width, file.minHeight);
        std::exit(1);
    }
    writeIndexedPng(forgedPath(dir, file), canvas.width, canvas.height, canvas.pixels, paletteAtLoad(dir, file),
                    file.bytes);
}
