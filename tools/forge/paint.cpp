#include "paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace paint {

// ---------------------------------------------------------------------------
// Scalars

double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

double clampRange(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double lerp(double a, double b, double t) { return a + (b - a) * t; }

double smoothstep(double edge0, double edge1, double x)
{
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

uint8_t toByte(double v) { return uint8_t(clampRange(std::floor(v + 0.5), 0, 255)); }

// ---------------------------------------------------------------------------
// Canvas

Canvas makeCanvas(int width, int height, double fill)
{
    return {width, height, std::vector<double>(size_t(width) * size_t(height), fill)};
}

namespace {

int wrapIndex(int i, int n) { return ((i % n) + n) % n; }
int clampIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

}  // namespace

Canvas shadeHeights(const Canvas& heights, double lx, double ly, double lz, bool wrap)
{
    const double length = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= length, ly /= length, lz /= length;
    Canvas shade = makeCanvas(heights.width, heights.height);
    auto height = [&](int x, int y) {
        if (wrap)
            return canvasAt(heights, wrapIndex(x, heights.width), wrapIndex(y, heights.height));
        return canvasAt(heights, clampIndex(x, heights.width), clampIndex(y, heights.height));
    };
    for (int y = 0; y < heights.height; ++y) {
        for (int x = 0; x < heights.width; ++x) {
            // Surface normal from central differences; z up, y down the picture.
            const double dx = (height(x + 1, y) - height(x - 1, y)) * 0.5;
            const double dy = (height(x, y + 1) - height(x, y - 1)) * 0.5;
            const double nl = std::sqrt(dx * dx + dy * dy + 1);
            canvasAt(shade, x, y) = clamp01((-dx * lx - dy * ly + lz) / nl);
        }
    }
    return shade;
}

std::vector<uint8_t> canvasBytes(const Canvas& canvas)
{
    std::vector<uint8_t> bytes(canvas.values.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = toByte(canvas.values[i]);
    return bytes;
}

// ---------------------------------------------------------------------------
// Noise

double hashUnit(uint32_t seed, int x, int y)
{
    // Integer finaliser (murmur3 fmix32) over the combined coordinates.
    uint32_t h = seed * 0x9E3779B1u ^ uint32_t(x) * 0x85EBCA77u ^ uint32_t(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h * (1.0 / 4294967296.0);
}

double valueNoise(uint32_t seed, double x, double y, int period)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int x0 = wrapIndex(int(fx), period), y0 = wrapIndex(int(fy), period);
    const int x1 = (x0 + 1) % period, y1 = (y0 + 1) % period;
    auto quintic = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double tx = quintic(x - fx), ty = quintic(y - fy);
    const double top = lerp(hashUnit(seed, x0, y0), hashUnit(seed, x1, y0), tx);
    const double bottom = lerp(hashUnit(seed, x0, y1), hashUnit(seed, x1, y1), tx);
    return lerp(top, bottom, ty);
}

double fbm(uint32_t seed, double u, double v, int basePeriod, int octaves, double gain)
{
    double sum = 0, weight = 1, total = 0;
    int period = basePeriod;
    for (int k = 0; k < octaves; ++k) {
        sum += weight * valueNoise(seed + 101u * uint32_t(k), u * period, v * period, period);
        total += weight;
        weight *= gain;
        period *= 2;
    }
    return sum / total;
}

// ---------------------------------------------------------------------------
// Shapes

double discCoverage(double x, double y, double cx, double cy, double radius)
{
    return clamp01(radius - std::hypot(x - cx, y - cy) + 0.5);
}

double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((px - ax) * dx + (py - ay) * dy) / lengthSquared : 0;
    t = clamp01(t);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

bool insidePolygon(const std::vector<Point>& polygon, double x, double y)
{
    bool inside = false;
    const size_t n = polygon.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double polygonCoverage(const std::vector<Point>& polygon, double x, double y)
{
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            hits += insidePolygon(polygon, x - 0.375 + 0.25 * sx, y - 0.375 + 0.25 * sy);
    return hits / 16.0;
}

// ---------------------------------------------------------------------------
// Colour

Rgb rgbHex(uint32_t hex) { return {uint8_t(hex >> 16), uint8_t(hex >> 8), uint8_t(hex)}; }

Rgb mixRgb(Rgb a, Rgb b, double t)
{
    return {toByte(lerp(a.r, b.r, t)), toByte(lerp(a.g, b.g, t)), toByte(lerp(a.b, b.b, t))};
}

double luminance(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

void fillRamp(Palette& palette, int first, int last, const std::vector<ColourStop>& stops)
{
    for (int i = first; i <= last; ++i) {
        const double t = last > first ? double(i - first) / (last - first) : 0.0;
        size_t k = 0;
        while (k + 2 < stops.size() && t > stops[k + 1].at)
            ++k;
        const ColourStop& a = stops[k];
        const ColourStop& b = stops[std::min(k + 1, stops.size() - 1)];
        const double span = b.at - a.at;
        palette[size_t(i)] = mixRgb(a.colour, b.colour, span > 0 ? clamp01((t - a.at) / span) : 0.0);
    }
}

namespace {

uint32_t packRgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

}  // namespace

void makeDistinct(Palette& palette, int first, int last, const std::vector<Rgb>& taken)
{
    std::set<uint32_t> used;
    for (const Rgb& c : taken)
        used.insert(packRgb(c.r, c.g, c.b));
    for (int i = first; i <= last; ++i) {
        Rgb& c = palette[size_t(i)];
        bool placed = used.insert(packRgb(c.r, c.g, c.b)).second;
        // Widen the nudge step by step; within a step, try blue, green, red,
        // up before down. 256 colours always find a free neighbour by step 8.
        for (int step = 1; !placed; ++step) {
            for (int channel = 2; channel >= 0 && !placed; --channel) {
                for (int sign : {1, -1}) {
                    int rgb[3] = {c.r, c.g, c.b};
                    rgb[channel] += sign * step;
                    if (rgb[channel] < 0 || rgb[channel] > 255)
                        continue;
                    if (used.insert(packRgb(rgb[0], rgb[1], rgb[2])).second) {
                        c = {uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])};
                        placed = true;
                        break;
                    }
                }
            }
        }
    }
}

std::vector<Rgb> paletteRange(const Palette& palette, int first, int last)
{
    return std::vector<Rgb>(palette.begin() + first, palette.begin() + last + 1);
}

int nearestIndex(const Palette& palette, int first, int last, double r, double g, double b)
{
    int best = first;
    double bestDistance = 1e30;
    for (int i = first; i <= last; ++i) {
        const Rgb& c = palette[size_t(i)];
        const double d = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// ---------------------------------------------------------------------------
// Lettering

namespace {

struct Glyph {
    double advance;           // width of the glyph's box in font units
    std::vector<Segment> strokes;
};

// Glyph outlines as polylines: points "x,y" separated by spaces, polylines
// separated by "|"; a dot is a point repeated. The box is `advance` wide
// and 6 tall, y down.
struct GlyphSource {
    char code;
    double advance;
    const char* path;
};

constexpr GlyphSource GlyphSources[] = {
    {'A', 4, "0,6 0,1.5 1.5,0 2.5,0 4,1.5 4,6 | 0,3.5 4,3.5"},
    {'B', 4, "0,0 0,6 3,6 4,5 4,4 3,3 0,3 | 0,0 2.6,0 3.6,1 3.6,2 2.6,3"},
    {'C', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5"},
    {'D', 4, "0,0 0,6 2.5,6 4,4.5 4,1.5 2.5,0 0,0"},
    {'E', 4, "4,0 0,0 0,6 4,6 | 0,3 3,3"},
    {'F', 4, "4,0 0,0 0,6 | 0,3 3,3"},
    {'G', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,3.5 2.3,3.5"},
    {'H', 4, "0,0 0,6 | 4,0 4,6 | 0,3 4,3"},
    {'I', 0, "0,0 0,6"},
    {'J', 4, "4,0 4,5 3,6 1,6 0,5"},
    {'K', 4, "0,0 0,6 | 4,0 0,4 | 1.5,2.5 4,6"},
    {'L', 4, "0,0 0,6 4,6"},
    {'M', 5, "0,6 0,0 2.5,3 5,0 5,6"},
    {'N', 4, "0,6 0,0 4,6 4,0"},
    {'O', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0"},
    {'P', 4, "0,6 0,0 3,0 4,1 4,2 3,3 0,3"},
    {'Q', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0 | 2.5,4.5 4,6"},
    {'R', 4, "0,6 0,0 3,0 4,1 4,2 3,3 0,3 | 2,3 4,6"},
    {'S', 4, "4,1 3,0 1,0 0,1 0,2 1,3 3,3 4,4 4,5 3,6 1,6 0,5"},
    {'T', 4, "0,0 4,0 | 2,0 2,6"},
    {'U', 4, "0,0 0,5 1,6 3,6 4,5 4,0"},
    {'V', 4, "0,0 2,6 4,0"},
    {'W', 5, "0,0 1.25,6 2.5,2 3.75,6 5,0"},
    {'X', 4, "0,0 4,6 | 4,0 0,6"},
    {'Y', 4, "0,0 2,3 4,0 | 2,3 2,6"},
    {'Z', 4, "0,0 4,0 0,6 4,6"},
    {'0', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0 | 3.2,1.6 0.8,4.4"},
    {'1', 2, "0,1 1.5,0 1.5,6"},
    {'2', 4, "0,1 1,0 3,0 4,1 4,2 0,6 4,6"},
    {'3', 4, "0,1 1,0 3,0 4,1 4,2 3,3 1.5,3 | 3,3 4,4 4,5 3,6 1,6 0,5"},
    {'4', 4, "3,6 3,0 0,4 4,4"},
    {'5', 4, "4,0 0,0 0,3 3,3 4,4 4,5 3,6 0,6"},
    {'6', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,4 3,3 0,3"},
    {'7', 4, "0,0 4,0 1.5,6"},
    {'8', 4, "1,3 0,2 0,1 1,0 3,0 4,1 4,2 3,3 1,3 0,4 0,5 1,6 3,6 4,5 4,4 3,3"},
    {'9', 4, "0,5 1,6 3,6 4,5 4,1 3,0 1,0 0,1 0,2 1,3 4,3"},
    {' ', 1, ""},  // narrow: the tracking on both sides already parts the words
    {'.', 0, "0,6 0,6"},
    {',', 0.6, "0.6,5.6 0,7"},
    {'-', 2.5, "0,3 2.5,3"},
    {':', 0, "0,2 0,2 | 0,6 0,6"},
    {'!', 0, "0,0 0,4 | 0,6 0,6"},
    {'\'', 0, "0,0 0,1.5"},
    {'/', 3, "0,6 3,0"},
    {'+', 3, "0,3 3,3 | 1.5,1.5 1.5,4.5"},
    {'&', 4, "4,6 1,2 1,1 2,0 3,1 3,2 0,4 0,5 1,6 2.5,6 4,4"},
};

Glyph parseGlyph(const GlyphSource& source)
{
    Glyph glyph{source.advance, {}};
    const char* p = source.path;
    bool havePrevious = false;
    double px = 0, py = 0;
    while (*p) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        if (*p == '|') {
            havePrevious = false;
            ++p;
            continue;
        }
        char* end = nullptr;
        const double x = std::strtod(p, &end);
        const double y = std::strtod(end + 1, &end);  // skip the comma
        p = end;
        if (havePrevious)
            glyph.strokes.push_back({px, py, x, y});
        px = x, py = y;
        havePrevious = true;
    }
    return glyph;
}

const std::map<char, Glyph>& glyphTable()
{
    static const std::map<char, Glyph> table = [] {
        std::map<char, Glyph> glyphs;
        for (const GlyphSource& source : GlyphSources)
            glyphs[source.code] = parseGlyph(source);
        return glyphs;
    }();
    return table;
}

const Glyph* findGlyph(char c)
{
    if (c >= 'a' && c <= 'z')
        c = char(c - 'a' + 'A');
    const auto& table = glyphTable();
    const auto it = table.find(c);
    return it == table.end() ? nullptr : &it->second;
}

}  // namespace

std::vector<Segment> layoutText(const std::string& text, double x, double y, double unit, double tracking)
{
    std::vector<Segment> strokes;
    double pen = 0;
    for (char c : text) {
        const Glyph* glyph = findGlyph(c);
        if (!glyph)
            continue;
        for (const Segment& s : glyph->strokes)
            strokes.push_back({x + (pen + s.ax) * unit, y + s.ay * unit, x + (pen + s.bx) * unit,
                               y + s.by * unit});
        pen += glyph->advance + tracking;
    }
    return strokes;
}

double textWidth(const std::string& text, double unit, double tracking)
{
    double pen = 0;
    bool any = false;
    for (char c : text) {
        if (const Glyph* glyph = findGlyph(c)) {
            pen += glyph->advance + tracking;
            any = true;
        }
    }
    return any ? (pen - tracking) * unit : 0.0;
}

Canvas strokeDistance(int width, int height, const std::vector<Segment>& strokes, double maxDistance)
{
    Canvas distance = makeCanvas(width, height, maxDistance);
    for (const Segment& s : strokes) {
        // Only pixels within maxDistance of the segment's box can change.
        const int x0 = std::max(0, int(std::floor(std::min(s.ax, s.bx) - maxDistance)));
        const int x1 = std::min(width - 1, int(std::ceil(std::max(s.ax, s.bx) + maxDistance)));
        const int y0 = std::max(0, int(std::floor(std::min(s.ay, s.by) - maxDistance)));
        const int y1 = std::min(height - 1, int(std::ceil(std::max(s.ay, s.by) + maxDistance)));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                double& d = canvasAt(distance, x, y);
                d = std::min(d, segmentDistance(x, y, s.ax, s.ay, s.bx, s.by));
            }
        }
    }
    return distance;
}

}  // namespace paint

uint8_t rampIndex(Ramp ramp, double t)
{
    const double clamped = t > 0 ? std::min(t, 1.0) : 0.0;
    const int step = static_cast<int>(std::lround(clamped * (ramp.count - 1)));
    return static_cast<uint8_t>(ramp.first + step);
}

void fillRamp(Palette& palette, Ramp ramp, const std::vector<paint::ColourStop>& stops)
{
    paint::fillRamp(palette, ramp.first, lastEntry(ramp), stops);
}
