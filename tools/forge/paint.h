// Painting helpers shared by the forge's palettes and pictures: scalar easing,
// a floating-point canvas, tileable noise, soft-edged shapes, colour ramps,
// palette clean-up and the forge's own stroke lettering.
//
// Pictures are painted in doubles (usually 0..1 or 0..255) and turned into
// bytes at the end, so the helpers never round until the caller asks.
// Everything lives in namespace paint, apart from the forge's shared types.
#pragma once

#include "forge.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace paint {

// ---------------------------------------------------------------------------
// Scalars

double clamp01(double v);
double clampRange(double v, double lo, double hi);
double lerp(double a, double b, double t);
// Hermite step: 0 at or below edge0, 1 at or above edge1 (edge0 < edge1).
double smoothstep(double edge0, double edge1, double x);
// Rounds to the nearest integer and clamps to 0..255.
uint8_t toByte(double v);

// ---------------------------------------------------------------------------
// Canvas: width x height doubles, row after row.

struct Canvas {
    int width;
    int height;
    std::vector<double> values;
};

Canvas makeCanvas(int width, int height, double fill = 0.0);
inline double& canvasAt(Canvas& canvas, int x, int y)
{
    return canvas.values[size_t(y) * size_t(canvas.width) + size_t(x)];
}
inline double canvasAt(const Canvas& canvas, int x, int y)
{
    return canvas.values[size_t(y) * size_t(canvas.width) + size_t(x)];
}
// Lambert shading of a height field (heights in pixels) lit from the
// direction (lx, ly, lz) (x right, y down, z up; need not be unit): 0..1.
Canvas shadeHeights(const Canvas& heights, double lx, double ly, double lz, bool wrap);
// Each value rounded and clamped to a byte.
std::vector<uint8_t> canvasBytes(const Canvas& canvas);

// ---------------------------------------------------------------------------
// Noise. Value noise on an integer lattice whose values repeat every `period`
// cells on both axes, so a picture spanning exactly one period tiles.

// Deterministic hash of (seed, x, y) to [0, 1).
double hashUnit(uint32_t seed, int x, int y);
// Smooth (quintic) value noise at (x, y) in lattice cells, 0..1.
double valueNoise(uint32_t seed, double x, double y, int period);
// Fractal sum over `octaves` octaves at (u, v) in tile units (the pattern
// repeats at u or v = 1): octave k has period basePeriod << k and weight
// gain^k; normalised to 0..1.
double fbm(uint32_t seed, double u, double v, int basePeriod, int octaves, double gain = 0.5);

// ---------------------------------------------------------------------------
// Shapes, in pixel units with pixel centres at integers.

struct Point {
    double x, y;
};

// 1 inside the disc, 0 outside, a one-pixel linear ramp across the edge.
double discCoverage(double x, double y, double cx, double cy, double radius);
// Distance from (px, py) to the segment a-b (a point when a = b).
double segmentDistance(double px, double py, double ax, double ay, double bx, double by);
// Even-odd test of (x, y) against a closed polygon.
bool insidePolygon(const std::vector<Point>& polygon, double x, double y);
// Fraction of the pixel at (x, y) inside the polygon, from 4 x 4 samples.
double polygonCoverage(const std::vector<Point>& polygon, double x, double y);

// ---------------------------------------------------------------------------
// Colour

Rgb rgbHex(uint32_t hex);  // 0xRRGGBB
Rgb mixRgb(Rgb a, Rgb b, double t);
// Perceived brightness 0..255 (Rec. 601 weights).
double luminance(Rgb c);

struct ColourStop {
    double at;  // 0..1 along the ramp, ascending
    Rgb colour;
};
// Fills entries first..last with a piecewise linear ramp through the stops.
void fillRamp(Palette& palette, int first, int last, const std::vector<ColourStop>& stops);
// Makes entries first..last pairwise distinct and distinct from `taken`, by
// nudging a repeated colour by the smallest step that frees it (blue first,
// then green, then red). Entries earlier in the range keep their colour.
void makeDistinct(Palette& palette, int first, int last, const std::vector<Rgb>& taken = {});
// Copies of entries first..last, for `taken` lists and combined palettes.
std::vector<Rgb> paletteRange(const Palette& palette, int first, int last);
// The index in first..last whose colour is nearest to (r, g, b) (the first
// one on a tie), as the show's picture loader would map it.
int nearestIndex(const Palette& palette, int first, int last, double r, double g, double b);

// ---------------------------------------------------------------------------
// Lettering: a stroke font of straight segments. Capitals are 6 units tall
// and mostly 4 wide (lower case is drawn as capitals); the digits 0..9, space
// and . , - : ! ' / + & are included, other characters are skipped.

struct Segment {
    double ax, ay, bx, by;
};

// Strokes of `text` with the top-left of its first capital at (x, y), `unit`
// pixels per font unit and `tracking` units between glyphs.
std::vector<Segment> layoutText(const std::string& text, double x, double y, double unit,
                                double tracking = 1.6);
// Width in pixels of the text's strokes (without the stroke thickness).
double textWidth(const std::string& text, double unit, double tracking = 1.6);
// Distance from every pixel centre to the nearest stroke, at most maxDistance.
Canvas strokeDistance(int width, int height, const std::vector<Segment>& strokes, double maxDistance);

}  // namespace paint

// A run of palette entries ordered dark to bright: the one type for a range
// of palette indices that pictures paint into.
struct Ramp {
    int first;
    int count;
};

// The ramp over entries first..last, both included.
constexpr Ramp rampOver(int first, int last)
{
    return {first, last - first + 1};
}

constexpr int lastEntry(Ramp ramp)
{
    return ramp.first + ramp.count - 1;
}

// Index of a ramp at brightness t (0 = first entry, 1 = last), clamped and
// rounded to the nearest entry; a NaN gives the first entry.
uint8_t rampIndex(Ramp ramp, double t);

// A ramp through colour stops (paint::fillRamp over the ramp's entries).
void fillRamp(Palette& palette, Ramp ramp, const std::vector<paint::ColourStop>& stops);
