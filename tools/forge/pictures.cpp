// The pictures of the credits, the flares, the sky scenes, the rain, the sand
// logo and the attractor's backdrop.
//
// Each picture is painted at full detail and checked against its byte
// budget; a zlib that compresses worse than the one the designs were tuned
// with gets the same picture with less fine texture, never a different size.
#include "forge.h"
#include "paint.h"
#include "palettes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>

using namespace paint;
using namespace ForgePal;

namespace {

constexpr double Pi = std::numbers::pi;

using Pixels = std::vector<uint8_t>;
using Painter = std::function<Pixels(double detail)>;

// Fine texture is scaled by `detail`: 1 is the design, lower values are the
// fall-back when the encoded picture would not fit its budget.
constexpr double DetailLevels[] = {1.0, 0.8, 0.6, 0.4, 0.2, 0.0};

Pixels fitToBudget(const DataFile& file, const Painter& paint, const std::function<bool(const Pixels&)>& fits,
                   const std::function<uint32_t(const Pixels&)>& encodedSize)
{
    for (double detail : DetailLevels) {
        Pixels pixels = paint(detail);
        if (fits(pixels))
            return pixels;
    }
    const uint32_t leastDetail = encodedSize(paint(DetailLevels[std::size(DetailLevels) - 1]));
    std::fprintf(stderr, "forge: %s does not fit its budget of %u bytes (%u at the least detail)\n",
                 dataFileName(file), file.bytes, leastDetail);
    std::exit(1);
}

// Each picture takes its width, its height (the least the show reads) and
// its byte budget from its row of the data table.
void writeGrayPicture(const std::string& dir, const DataFile& file, const Painter& paint)
{
    const Pixels pixels = fitToBudget(
        file, paint, [&](const Pixels& p) { return grayPictureFits(file.width, file.minHeight, p, file.bytes); },
        [&](const Pixels& p) { return encodedGraySize(file.width, file.minHeight, p); });
    writeGrayPng(forgedPath(dir, file), file.width, file.minHeight, pixels, file.bytes);
}

void writeConvertedPicture(const std::string& dir, const DataFile& file, const Palette& inForce,
                           const Painter& paint)
{
    const Pixels pixels = fitToBudget(
        file, paint,
        [&](const Pixels& p) { return indexedPictureFits(file.width, file.minHeight, p, inForce, file.bytes); },
        [&](const Pixels& p) { return encodedIndexedSize(file.width, file.minHeight, p, inForce); });
    writeIndexedPng(forgedPath(dir, file), file.width, file.minHeight, pixels, inForce, file.bytes);
}

// ---------------------------------------------------------------------------
// flare: the additive glow of the pyramid's vertices: a white core of
// about five pixels in a broad, faint orb that fades to 0 just inside the
// edges (a non-zero border would show as a square), so each vertex reads as
// a glowing point and the 24 to 41 lit ones outline the pyramid. No sparkle
// arms: at this size they made each flare read as a small cross. The orb
// reaches about 12 pixels out, half the spacing of the points along an
// edge, so neighbouring orbs touch and their added halos join them into a
// glowing line. It is kept faint because the trails feed back on themselves
// and gather the light of every flare behind them: the sprite's total light,
// not its size, sets how soon the rays merge into one sheet and how much of
// the trails' last second whitens; flares.pal's low end makes the dim rim
// glow.

Pixels paintFlare(double)
{
    constexpr double coreRadius = 1.3;  // pixels, the core's standard deviation
    constexpr double orbWeight = 0.11;
    constexpr double orbRadius = 6.2;   // pixels, the orb's standard deviation
    constexpr double rim = 15.5;        // pixels: 0 from here on, inside the 32 x 32 square
    Pixels pixels(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double r = std::hypot(x - 15.5, y - 15.5);
            // The four centre pixels sit half a pixel off the centre both
            // ways; they are the core's white peak.
            const double core = std::exp(-(r * r - 0.5) / (2 * coreRadius * coreRadius));
            const double orb = std::exp(-(r * r - 0.5) / (2 * orbRadius * orbRadius)) * clamp01(1 - std::pow(r / rim, 4));
            pixels[size_t(y * 32 + x)] = toByte(255 * clamp01(core + orbWeight * orb));
        }
    }
    return pixels;
}

// ---------------------------------------------------------------------------
// bird: six frames of a gull's wing beat, flying right, seen a little from
// below: each wing is one smooth curve from the shoulder over the wrist to
// a pointed tip, tapering as it goes, bent into the gull's M on the way up
// and swept down into a wide arch. The sun-rays scene darkens the sky by a
// quarter of the value, so every painted pixel lies in 200..255 (a crisp
// silhouette) and the rest is 0; the wings darken a little less than the
// body. The sky under a bird turns almost black, so wings and body stay
// slim (1 to 4 pixels across): heavier ones read as black blocks.

constexpr int BirdFrames = 6;

// Half width of a wing at `u` along it (0 shoulder, 1 tip), in pixels: a
// broad arm narrowing to a pointed hand.
double wingHalfWidth(double u)
{
    return 1.75 - 1.35 * u * u;
}

void paintBirdFrame(Pixels& pixels, int frame)
{
    // Wing beat: elevation +1 (up) .. -1 (down). The wings sweep higher
    // above the body than below it; on the way back up (frames 4 and 5)
    // they are half folded and the hand trails lower.
    const double phase = 2 * Pi * frame / BirdFrames;
    const double lift = std::cos(phase) > 0 ? std::cos(phase) : 0.55 * std::cos(phase);
    const bool upstroke = std::sin(phase) < -0.1;
    const double shoulderY = 16.5;
    const double reach = upstroke ? 11.5 : 14.5;
    // Each wing is a quadratic curve: shoulder, a control point over the
    // wrist that carries the lift, and the tip, which droops below the
    // wrist when the wings are raised (the M) and follows them when lowered.
    constexpr int Pieces = 10;
    std::vector<Segment> wings;
    std::vector<double> halfWidths;
    for (int side : {-1, 1}) {
        const double ax = 16 + side * 1.5, ay = shoulderY;
        const double cx = 16 + side * 8.0, cy = shoulderY - 1 - 13 * lift;
        const double tx = 16 + side * reach, ty = shoulderY + 2 - 6 * lift + (upstroke ? 3 : 0);
        const auto at = [&](double u, double& x, double& y) {
            x = (1 - u) * (1 - u) * ax + 2 * u * (1 - u) * cx + u * u * tx;
            y = (1 - u) * (1 - u) * ay + 2 * u * (1 - u) * cy + u * u * ty;
        };
        for (int k = 0; k < Pieces; ++k) {
            double x0, y0, x1, y1;
            at(double(k) / Pieces, x0, y0);
            at(double(k + 1) / Pieces, x1, y1);
            wings.push_back({x0, y0, x1, y1});
            halfWidths.push_back(wingHalfWidth((k + 0.5) / Pieces));
        }
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            // Body: a short spindle with a round head to the right and a
            // wedge of tail to the left.
            const double bx = (x - 15.5) / 5.5, by = (y - 17.0) / 1.9;
            const bool body = bx * bx + by * by <= 1 || std::hypot(x - 20.8, y - 16.4) <= 1.5 ||
                              (x >= 9 && x <= 11 && std::fabs(y - 17.2) <= 0.6 + (11 - x) * 0.4);
            bool wing = false;
            for (size_t i = 0; i < wings.size() && !wing; ++i) {
                const Segment& s = wings[i];
                wing = segmentDistance(x, y, s.ax, s.ay, s.bx, s.by) <= halfWidths[i];
            }
            if (body)
                pixels[size_t(y * 192 + frame * 32 + x)] = 255;
            else if (wing)
                pixels[size_t(y * 192 + frame * 32 + x)] = 220;
        }
    }
}

Pixels paintBird(double)
{
    Pixels pixels(192 * 32, 0);
    for (int frame = 0; frame < BirdFrames; ++frame)
        paintBirdFrame(pixels, frame);
    return pixels;
}

// ---------------------------------------------------------------------------
// lightning: two forked bolts from the top of the sky, one in the bit plane
// of value 12 and one in that of value 48; where they cross both are set.

struct Bolt {
    std::vector<Segment> strokes;
    std::vector<double> halfWidths;  // one per stroke, in pixels
};

// A jagged channel from (x, y) downwards: sharp zigzags of uneven length
// about a slowly wandering heading (radians from straight down). A few long
// forks split off at a wide angle and carry on jagged themselves; only the
// forks grow short twigs, so the bolt branches like lightning, not like a
// fishbone.
void growBolt(Bolt& bolt, ForgeRandom& random, double x, double y, double heading, double length,
              double halfWidth, int depth)
{
    const int maxForks = depth == 0 ? 3 : (depth == 1 ? 1 : 0);
    int forks = 0;
    double travelled = 0;
    while (travelled < length && y < 190) {
        const double step = (depth == 0 ? 7 : 5) + randomUnit(random) * (depth == 0 ? 11 : 7);
        const double turn = heading + (randomUnit(random) - 0.5) * 1.5;
        const double nx = x + std::sin(turn) * step, ny = y + std::cos(turn) * step;
        bolt.strokes.push_back({x, y, nx, ny});
        bolt.halfWidths.push_back(halfWidth);
        heading += (randomUnit(random) - 0.5) * 0.25;
        travelled += step;
        if (forks < maxForks && travelled > 25 && randomBelow(random, 4) == 0) {
            ++forks;
            const double side = randomBelow(random, 2) ? 1.0 : -1.0;
            growBolt(bolt, random, nx, ny, heading + side * (0.45 + 0.35 * randomUnit(random)),
                     (length - travelled) * (0.45 + 0.25 * randomUnit(random)), std::max(0.5, halfWidth - 0.6),
                     depth + 1);
        }
        x = nx, y = ny;
    }
}

void stampBolt(Pixels& pixels, const Bolt& bolt, uint8_t plane)
{
    for (size_t i = 0; i < bolt.strokes.size(); ++i) {
        const Segment& s = bolt.strokes[i];
        const double r = bolt.halfWidths[i];
        const int x0 = std::max(0, int(std::min(s.ax, s.bx) - r - 1));
        const int x1 = std::min(255, int(std::max(s.ax, s.bx) + r + 1));
        const int y0 = std::max(0, int(std::min(s.ay, s.by) - r - 1));
        const int y1 = std::min(191, int(std::max(s.ay, s.by) + r + 1));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (segmentDistance(x, y, s.ax, s.ay, s.bx, s.by) <= r)
                    pixels[size_t(y * 256 + x)] |= plane;
    }
}

Pixels paintLightning(double)
{
    Pixels pixels(256 * 192, 0);
    ForgeRandom random{0x5EEDB017u};
    Bolt left, right;
    growBolt(left, random, 70, 0, 0.15, 185, 2.1, 0);
    growBolt(right, random, 175, 0, -0.1, 160, 2.1, 0);
    stampBolt(pixels, left, 12);
    stampBolt(pixels, right, 48);
    return pixels;
}

// ---------------------------------------------------------------------------
// cloud1..3: tileable cloud layers. The show shifts the values right by 3,
// so they are stored as multiples of 8 (0..248 -> 0..31). Clear sky between
// the clouds is exactly 0 and the cores are dense (24..31), so light streams
// through the gaps in the sun-rays scene. The sun rays' sky shows black
// wherever the gaps of cloud2 and cloud3 meet and no light has reached, so
// those two keep their gaps to a little over a quarter of the tile. Their
// billows are also finer than cloud1's: near the sun the light then breaks
// through many small gaps and streams out as separate shafts, where large
// billows let it out as one broad blob. cloud1, seen only in the flight and
// the greetings' sky, is smoothed over many rows downwards.

struct CloudStyle {
    uint32_t seed;
    int basePeriod;     // lattice cells across the tile of the largest shapes
    double warp;        // how far the shapes are swirled, in tile units
    double clear;       // fraction of the tile left as clear sky
    double softness;    // fraction of the tile in the soft rim
    int smear;          // rows over which the shapes are smoothed downwards
};

// Value at which `fraction` of the samples lie below.
double quantile(std::vector<double> samples, double fraction)
{
    const size_t k = size_t(clamp01(fraction) * double(samples.size() - 1));
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(k), samples.end());
    return samples[k];
}

// Box blur across (radiusX) and down (radiusY), wrapping round the edges so
// a tiling canvas still tiles; a radius of 0 leaves that axis alone.
Canvas wrappedBlur(const Canvas& canvas, int radiusX, int radiusY)
{
    Canvas out = canvas;
    for (int pass = 0; pass < 2; ++pass) {
        const int radius = pass == 0 ? radiusX : radiusY;
        const Canvas in = out;
        for (int y = 0; y < in.height; ++y) {
            for (int x = 0; x < in.width; ++x) {
                double sum = 0;
                for (int k = -radius; k <= radius; ++k)
                    sum += pass == 0 ? canvasAt(in, (x + k + in.width) % in.width, y)
                                     : canvasAt(in, x, (y + k + in.height) % in.height);
                canvasAt(out, x, y) = sum / (2 * radius + 1);
            }
        }
    }
    return out;
}

Pixels paintCloud(const CloudStyle& style, double detail)
{
    constexpr int Size = 256;
    Canvas density = makeCanvas(Size, Size);
    Canvas texture = makeCanvas(Size, Size);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double u = x / double(Size), v = y / double(Size);
            const double wu = fbm(style.seed + 1, u, v, 2, 2) - 0.5;
            const double wv = fbm(style.seed + 2, u, v, 2, 2) - 0.5;
            canvasAt(density, x, y) =
                fbm(style.seed, u + style.warp * wu, v + style.warp * wv, style.basePeriod, 6, 0.5);
            canvasAt(texture, x, y) = fbm(style.seed + 3, u, v, style.basePeriod * 2, 2);
        }
    }
    // The cloud flight squeezes the tiles twice as much down as across and
    // draws alternate rows a frame apart, so shapes that change quickly
    // from row to row comb; smoothed downwards they lie in long soft
    // banks, as a cloud deck seen from afar does.
    density = wrappedBlur(density, 0, style.smear);
    texture = wrappedBlur(texture, 0, style.smear);
    const double edge = quantile(density.values, style.clear);
    const double core = quantile(density.values, style.clear + style.softness);
    // Billows: the cloud is heaped up where it is dense, the finer texture
    // swelling it into puffs, and lit from the upper left, so every puff
    // has a bright crown and a shaded underside.
    Canvas thickness = makeCanvas(Size, Size);
    for (size_t i = 0; i < thickness.values.size(); ++i) {
        const double s = std::max(0.0, (density.values[i] - edge) / (core - edge));
        canvasAt(thickness, int(i % Size), int(i / Size)) =
            std::min(s, 2.0) * (9 + 14 * texture.values[i] * (0.5 + 0.5 * detail));
    }
    const Canvas light = shadeHeights(wrappedBlur(thickness, 2, 2 + style.smear), -1, -1.2, 1.1, true);
    Pixels pixels(Size * Size);
    for (size_t i = 0; i < pixels.size(); ++i) {
        // Soft rims, a body that thickens inwards, cores at the top of the
        // range where they face the light; the clear sky stays exactly 0.
        const double s = (density.values[i] - edge) / (core - edge);
        const double cover = smoothstep(0, 1.1, s);
        // A rim starts at 3, not 1: the cloud flight scales a layer by its
        // distance before summing, and 1 or 2 of a far layer truncate to
        // nothing, which would widen the black holes where all gaps meet.
        const double level = cover * (15 + 9 * clamp01((s - 0.5) / 1.2) + 9 * light.values[i]);
        const double rimmed = s > 0 ? std::max(3.0, level) : 0.0;
        pixels[i] = uint8_t(8 * int(clampRange(std::floor(rimmed + 0.5), 0, 31)));
    }
    return pixels;
}

// ---------------------------------------------------------------------------
// credits: four 320 x 128 panels of the opening, lettered in the forge's
// stroke font on the fruit ramp of hedelmae.pal: a near-black plum ground, the
// band's own colour, with a warm glow behind cream lettering, each name
// over a small apricot heading.

enum class Ink { Heading, Name, Note };

struct CreditLine {
    const char* text;
    Ink ink;
    double top;   // pixels from the panel's top to the capitals' top
    double unit;  // pixels per font unit (capitals are 6 units tall)
};

using CreditPanel = std::vector<CreditLine>;

const CreditPanel CreditPanels[4] = {
    {{"TIDEPOOL PRESENTS", Ink::Heading, 20, 2.0}, {"DAYLONG", Ink::Name, 46, 7.2}},
    {{"CODE", Ink::Heading, 26, 2.4}, {"FENWICK", Ink::Name, 52, 6.5}},
    {{"GRAPHICS", Ink::Heading, 26, 2.4}, {"LUMI ORA", Ink::Name, 52, 6.5}},
    {{"MUSIC", Ink::Heading, 16, 2.4}, {"HALCYON", Ink::Name, 38, 6.5},
     {"MADE WITH SDL, LIBPNG AND VORBIS", Ink::Note, 96, 1.7}},
};

constexpr int PanelWidth = 320;
constexpr int PanelHeight = 128;

// Faint stars in the dark sky above and below the sunrise band, so a card
// held still for its seconds has a night sky rather than a flat ground. One
// star may fall in each cell of a coarse grid; each is a small cross whose
// brightness fades with the band's edge fade, so the panel still meets the
// backdrop without a seam. Few and small: the picture has only a few hundred
// bytes to spare in its budget.
void addStars(Canvas& tone, uint32_t seed, double bandCentre, double detail)
{
    constexpr int CellWidth = 24, CellHeight = 12;
    for (int cy = 0; cy < PanelHeight / CellHeight; ++cy)
        for (int cx = 0; cx < PanelWidth / CellWidth; ++cx) {
            if (hashUnit(seed, cx, cy) > 0.24)
                continue;
            const int x = cx * CellWidth + 2 + int(hashUnit(seed + 1, cx, cy) * (CellWidth - 4));
            const int y = cy * CellHeight + 2 + int(hashUnit(seed + 2, cx, cy) * (CellHeight - 4));
            // Clear of the band where the lettering stands.
            if (std::abs(y - bandCentre) < 30)
                continue;
            const double fade = smoothstep(2, 20, std::min(y, PanelHeight - 1 - y));
            const double peak = (0.35 + 0.35 * hashUnit(seed + 3, cx, cy)) * fade * detail;
            canvasAt(tone, x, y) += peak;
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                canvasAt(tone, x + dx, y + dy) += 0.35 * peak;
        }
}

// Brightness 0..1 along the credits ramp for one panel. Everything that
// varies smoothly varies along y only (a sunrise band behind the name), so
// the budget goes to the lettering's edges.
Canvas paintCreditPanel(const CreditPanel& panel, double detail)
{
    Canvas tone = makeCanvas(PanelWidth, PanelHeight);
    // The band centres on the name; under the name a thin streak of light,
    // brightest at the middle and fading out towards both sides, underlines
    // it like a horizon at dawn (a panel without a name has neither).
    double bandCentre = PanelHeight / 2.0, streakY = -100, streakHalfWidth = 1;
    for (const CreditLine& line : panel)
        if (line.ink == Ink::Name) {
            bandCentre = line.top + 3 * line.unit;
            streakY = line.top + 6.8 * line.unit + 3;
            streakHalfWidth = 0.4 * textWidth(line.text, line.unit);
        }
    for (int y = 0; y < PanelHeight; ++y) {
        const double band = std::exp(-std::pow((y - bandCentre) / 34.0, 2)) *
                            smoothstep(0, 20, std::min(y, PanelHeight - 1 - y));
        const double streakRow = std::exp(-std::pow((y - streakY) / 1.3, 2));
        for (int x = 0; x < PanelWidth; ++x)
            canvasAt(tone, x, y) = Hedelmae::PanelGround + 0.3 * band +
                                   0.65 * streakRow * std::exp(-std::pow((x - PanelWidth / 2.0) / streakHalfWidth, 2));
    }
    addStars(tone, 0x57A2u + uint32_t(&panel - CreditPanels), bandCentre, detail);
    for (const CreditLine& line : panel) {
        const double width = textWidth(line.text, line.unit);
        const double left = std::floor((PanelWidth - width) / 2);
        const std::vector<Segment> strokes = layoutText(line.text, left, line.top, line.unit);
        const double radius = line.ink == Ink::Name ? line.unit * 0.62 : std::max(0.9, line.unit * 0.45);
        const Canvas distance = strokeDistance(PanelWidth, PanelHeight, strokes, radius + 4);
        const double capHeight = 6 * line.unit;
        const int shadow = line.ink == Ink::Name ? int(std::lround(line.unit * 0.5)) : 0;
        for (int y = 0; y < PanelHeight; ++y) {
            for (int x = 0; x < PanelWidth; ++x) {
                const double d = canvasAt(distance, x, y) - radius;  // < 0 inside a stroke
                double& t = canvasAt(tone, x, y);
                if (shadow) {
                    // Hard drop shadow down-right, then a dark keyline that
                    // separates the cream from the sunrise band.
                    const double shadowDistance =
                        canvasAt(distance, std::max(0, x - shadow), std::max(0, y - shadow)) - radius;
                    if (shadowDistance < 0)
                        t = lerp(t, 0.03, 0.5 + 0.3 * detail);
                    t = lerp(t, 0.02, clamp01(1.5 - d));
                }
                const double ink = clamp01(0.5 - d);
                const double down = clamp01((y - line.top) / capHeight);
                const double colour = line.ink == Ink::Name ? 1.0 - 0.25 * down
                                    : line.ink == Ink::Heading ? 0.8 : 0.72;
                t = lerp(t, colour, ink);
            }
        }
    }
    return tone;
}

Pixels paintCredits(double detail)
{
    Pixels pixels;
    pixels.reserve(PanelWidth * PanelHeight * 4);
    for (const CreditPanel& panel : CreditPanels) {
        const Canvas tone = paintCreditPanel(panel, detail);
        for (double t : tone.values)
            pixels.push_back(uint8_t(rampIndex(Hedelmae::Credits, t)));
    }
    return pixels;
}

// ---------------------------------------------------------------------------
// roto: a tile of citrus slices and glossy berries on grape, seamless on
// both axes, on the second fruit ramp of hedelmae.pal (the two rotated views
// are averaged, so every value is a step along one smooth ramp). Low on the
// ramp lie the grape ground and the berries, high the slices: the shapes
// differ most in hue, so they read at once while the alternate-row redraw
// shows little brightness comb along their outlines.

struct Slice {
    double x, y, radius;
    int segments;
    double turn;  // radians
};

constexpr Slice Slices[] = {
    {64, 64, 54, 10, 0.1}, {192, 192, 54, 9, 0.5}, {192, 64, 36, 8, 0.3}, {64, 192, 36, 7, 0.0},
};

struct Berry {
    double x, y, radius;
};

// Berries in the gaps between the slices, none smaller than a speck that
// would flicker between the rows.
constexpr Berry Berries[] = {
    {128, 128, 17}, {150, 104, 12}, {106, 152, 12}, {128, 0, 15}, {0, 128, 15}, {236, 116, 10}, {116, 236, 10},
};

// Offset from (cx, cy) to (x, y) on the 256-pixel torus.
double torusDelta(double a, double b)
{
    double d = a - b;
    while (d > 128) d -= 256;
    while (d < -128) d += 256;
    return d;
}

// Soft edges: the rotozoom redraws every other row per frame while the
// views turn up to about sixteen texels a frame far from their pivots, so
// a sharp change of tone shows as a comb of alternate rows; spread too far,
// the shapes blur into blobs. Outlines and membranes ramp over a few texels.
constexpr double SoftEdge = 5;  // texels either side of an outline

// How much of a soft disc of `radius` covers a point `r` from its centre:
// 1 inside, 0 outside, a smooth ramp SoftEdge either side of the outline.
double softCover(double r, double radius)
{
    return smoothstep(radius + SoftEdge, radius - SoftEdge, r);
}

// Ramp position 0..1 of a slice at offset (dx, dy) from its centre
// (meaningful where the slice covers the pixel: r <= radius + SoftEdge).
// Orange peel, a pale pith ring, golden segments parted by pale membranes
// that meet in a pale core.
double sliceTone(const Slice& slice, double dx, double dy)
{
    const double r = std::hypot(dx, dy);
    const double edge = slice.radius;
    const double rind = std::max(6.0, edge * 0.14);
    const double angle = std::fmod(std::atan2(dy, dx) + slice.turn + 4 * Pi, 2 * Pi);
    const double wedge = 2 * Pi / slice.segments;
    const double within = std::fmod(angle, wedge);
    const double toMembrane = std::min(within, wedge - within) * r;  // texels to the nearest membrane
    // Flesh: golden, a shade deeper towards the pith; membranes about three
    // texels wide, as wide as the outlines are soft.
    const double flesh = 0.84 + 0.05 * clamp01(1 - r / (edge - rind));
    const double membrane = smoothstep(3.0, 1.0, toMembrane);
    const double core = smoothstep(edge * 0.14 + 2, edge * 0.14 - 2, r);
    double tone = lerp(flesh, 0.97, std::max(membrane, core));
    // Pith: a pale ring just inside the peel, then the orange peel itself.
    const double pith = smoothstep(edge - rind - 3, edge - rind, r);
    tone = lerp(tone, 0.97, pith);
    const double peel = smoothstep(edge - rind * 0.55 - 1.5, edge - rind * 0.55 + 1.5, r);
    return lerp(tone, 0.7, peel);
}

// Ramp position of a glossy berry at offset (dx, dy): a raspberry body,
// deeper to its rim, with a soft highlight up and to the left.
double berryTone(const Berry& berry, double dx, double dy)
{
    const double r = std::hypot(dx, dy) / berry.radius;
    const double toHighlight = std::hypot(dx / berry.radius + 0.38, dy / berry.radius + 0.38) * berry.radius;
    const double highlight = smoothstep(berry.radius * 0.3 + 1.5, berry.radius * 0.3 - 1.5, toHighlight);
    return lerp(0.47 - 0.07 * r * r, 0.86, highlight);
}

Pixels paintRoto(double detail)
{
    constexpr int Size = 256;
    Pixels pixels(Size * Size);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            // Grape ground with a slow tileable sheen.
            double tone = 0.3 + 0.04 * detail * fbm(0xF2017u, x / 256.0, y / 256.0, 2, 3);
            for (const Berry& berry : Berries) {
                const double dx = torusDelta(x, berry.x), dy = torusDelta(y, berry.y);
                const double cover = softCover(std::hypot(dx, dy), berry.radius);
                if (cover > 0)
                    tone = lerp(tone, berryTone(berry, dx, dy), cover);
            }
            for (const Slice& slice : Slices) {
                const double dx = torusDelta(x, slice.x), dy = torusDelta(y, slice.y);
                const double cover = softCover(std::hypot(dx, dy), slice.radius);
                if (cover > 0)
                    tone = lerp(tone, sliceTone(slice, dx, dy), cover);
            }
            pixels[size_t(y * Size + x)] = uint8_t(rampIndex(Hedelmae::Roto, tone));
        }
    }
    return pixels;
}

// ---------------------------------------------------------------------------
// The sand logo: the group's name modelled in sand. heightmap holds the
// heights (letters 170..250, ground 20..120) and hiekkalogo the same relief
// lit from the upper left on logo.pal 1..127; sand is the loose sand that
// covers it, on sand.pal as installed in 128..255.

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 240;

struct LogoLine {
    const char* text;
    double top;
};

constexpr LogoLine LogoLines[] = {{"TIDE", 34}, {"POOL", 134}};
constexpr double LogoUnit = 11.5;         // pixels per font unit: 69-pixel capitals
constexpr double LogoStroke = 9.5;        // half-width of a letter's ridge
constexpr double LogoBank = 10;           // width of the slope down to the ground

// The band that eats the sand moves right, and ahead of it the smoothed
// sand level sinks by about two thirds of a level per column beyond column
// 250 (the smoothing wraps round from the eaten left edge, and every step
// rounds down). Letter crests there stand that much lower, with a margin of
// ten, so nothing shows through before the band arrives; in the flood the
// water then drowns the logo from the right.
double crestHeight(double x)
{
    return std::min(248.0, 245 - 0.66 * (x - 250));
}

// Ripples on the logo's ground: crests about 8 pixels apart that run
// nearly straight down the picture and bend along it. A crest that moves
// little from one row to the next costs few bytes, and the file has few
// to spare.
double groundRipplePhase(int x, int y)
{
    return (x + 0.25 * y) / 8.0 + 2.6 * valueNoise(0x5A4D4u, x / 65.0, y / 120.0, 1 << 16) +
           1.2 * valueNoise(0x5A4D5u, x / 25.0, y / 400.0, 1 << 16);
}

// Distance of every pixel from the logo's strokes, up to just past the banks.
Canvas logoDistance()
{
    std::vector<Segment> strokes;
    for (const LogoLine& line : LogoLines) {
        const double left = std::floor((ScreenWidth - textWidth(line.text, LogoUnit)) / 2);
        const std::vector<Segment> part = layoutText(line.text, left, line.top, LogoUnit);
        strokes.insert(strokes.end(), part.begin(), part.end());
    }
    return strokeDistance(ScreenWidth, ScreenHeight, strokes, LogoStroke + LogoBank + 2);
}

// Heights 0..255 of the whole picture.
Canvas logoHeights(const Canvas& distance)
{
    Canvas heights = makeCanvas(ScreenWidth, ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            const double u = x / double(ScreenWidth), v = y / double(ScreenHeight);
            // Ground: low dunes (the ripples on them are only painted: in
            // the heights they would cost more bytes than the file has).
            // The flood mixes height, logo index and water level into its
            // shallow colour and clamps what falls short of the water ramp
            // to one flat entry; ground at 88 and above with the ground's
            // sand colours keeps the first shallows on the ramp, rippled
            // like the sand beneath them.
            const double dunes = fbm(0xD00E5u, u, v, 2, 1);
            const double d = canvasAt(distance, x, y);
            const double ground = 88 + 30 * smoothstep(0.2, 0.8, dunes);
            // Letters: a rounded ridge on every stroke, with a bank down to
            // the ground around it.
            double h = ground;
            if (d < LogoStroke) {
                const double across = d / LogoStroke;
                h = 172 + (crestHeight(x) - 172) * std::sqrt(1 - across * across);
            } else if (d < LogoStroke + LogoBank) {
                h = lerp(172, ground, smoothstep(0, 1, (d - LogoStroke) / LogoBank));
            }
            canvasAt(heights, x, y) = h;
        }
    }
    return heights;
}

// The relief lit from the upper left, with the shadows the letters cast,
// and the wind ripples of the ground, which die out on the banks.
Pixels paintSandLogo(const Canvas& heights, const Canvas& distance, double detail)
{
    // Heights are 0..255; the relief stands about 14 pixels proud.
    Canvas relief = heights;
    for (double& h : relief.values)
        h *= 14.0 / 255.0;
    const Canvas shade = shadeHeights(relief, -1.0, -1.2, 1.1, false);
    Pixels pixels(size_t(ScreenWidth * ScreenHeight));
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            // Shadow: does the relief rise above the light ray towards the
            // upper left within 24 steps?
            const double h = canvasAt(relief, x, y);
            double shadow = 0;
            for (int k = 1; k <= 24 && x - k >= 0 && y - k >= 0; ++k) {
                if (canvasAt(relief, x - k, y - k) > h + k * 0.55) {
                    shadow = 1;
                    break;
                }
            }
            // Ripple faces: the gentle windward one turns to the light,
            // the steep lee away from it. Crisp faces in patches of ground
            // swept by the wind: soft ones would not fit the file.
            const double phase = groundRipplePhase(x, y);
            const double face = phase - std::floor(phase) < 0.8 ? 0.25 : -0.6;
            const double swept = fbm(0x5A4D3u, x / 320.0, y / 320.0, 3, 2) > 0.5 ? 1.0 : 0.0;
            const double rippled = swept * smoothstep(LogoStroke + LogoBank - 2, LogoStroke + LogoBank + 2,
                                                      canvasAt(distance, x, y));
            const double ripple = 0.15 * detail * rippled * face;
            const double light = 0.2 + 0.75 * canvasAt(shade, x, y) * (1 - 0.45 * shadow) + ripple;
            pixels[size_t(y * ScreenWidth + x)] = uint8_t(rampIndex(Logo::Sand, light));
        }
    }
    return pixels;
}

// Loose sand: wind ripples (a gentle slope to windward, a steep lee) over
// broad swells, with a fine grain; mostly bright, as the reveal darkens it.
Pixels paintSand(double detail)
{
    Pixels pixels(size_t(ScreenWidth * ScreenHeight));
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            const double u = x / double(ScreenWidth), v = y / double(ScreenHeight);
            const double swell = fbm(0x5A4D0u, u, v, 2, 3);
            const double phase = (x * 0.92 + y * 0.4) / 7.0 + 6 * fbm(0x5A4D1u, u, v, 4, 2);
            const double saw = phase - std::floor(phase);
            // Lit windward face rising over 80 % of the period, shaded lee.
            const double ripple = saw < 0.8 ? saw / 0.8 : 1 - (saw - 0.8) / 0.2 * 1.6;
            const double grain = (hashUnit(0x6A1F0u, x, y) - 0.5) * detail;
            const double value = 84 + 26 * swell + 12 * ripple + 10 * grain;
            pixels[size_t(y * ScreenWidth + x)] = uint8_t(SandScene::Sand.first + int(clampRange(std::lround(value), 0, 127)));
        }
    }
    return pixels;
}

// The palette in force while a picture loads under logo.pal 0..127 and
// sand.pal 0..127 in slots 128..255.
Palette logoWithSand(const Palette& logo, const Palette& sand)
{
    Palette combined = logo;
    for (int i = 0; i < 128; ++i)
        combined[size_t(128 + i)] = sand[size_t(i)];
    return combined;
}

// ---------------------------------------------------------------------------
// maasto: farmland under rain clouds, under rainsky.pal. The sky is the key
// index 255 and nothing else is; the rain is drawn behind the land in rows
// 64..167, so the clouds close the sky above row 64, the horizon lies low
// (about rows 150..200) and a big tree on the left reaches up into the rain.

// Smooth 1D noise along x, 0..1.
double ridgeNoise(uint32_t seed, double x, double wavelength)
{
    return valueNoise(seed, x / wavelength, 0.5, 1 << 16);
}

struct TreeCrown {
    double x, y, radius;
};

// The oak's crown as overlapping leaf masses, lit from the upper left, laid
// out at CrownScale's reciprocal of its size on screen: drawn at three
// quarters, about (52, 150), it leaves the rain more of the sky to fall in
// while its top still reaches up into it.
constexpr double CrownScale = 0.75;
constexpr double CrownX = 52, CrownY = 150;
constexpr TreeCrown OakCrown[] = {
    {52, 92, 26}, {26, 106, 20}, {80, 102, 22}, {42, 68, 20}, {68, 72, 19}, {16, 86, 14},
    {100, 88, 13}, {60, 118, 17}, {30, 126, 12}, {86, 126, 12},
};

// The foreground oak at (x, y): a trunk leaning a little, a crown of leaf
// masses and two limbs showing between them; -1 where the tree is not.
int oakIndex(double x, int y, double detail)
{
    const double trunkCentre = 50 + (240 - y) * 0.06 + 2 * std::sin(y * 0.05);
    const double trunkHalf = 3.5 + 0.05 * std::max(0, y - 140);
    if (y > 128 && std::fabs(x - trunkCentre) < trunkHalf)
        return rampIndex(Rainsky::Woods, 0.08 + 0.12 * (1 - (x - trunkCentre) / trunkHalf));
    const double cx = CrownX + (x - CrownX) / CrownScale, cy = CrownY + (y - CrownY) / CrownScale;
    for (const TreeCrown& c : OakCrown) {
        const double dx = cx - c.x, dy = cy - c.y;
        const double lumpy = c.radius * (0.86 + 0.14 * valueNoise(0x0A4u, std::atan2(dy, dx) * 3 + c.x, 0, 1 << 16));
        const double r = std::sqrt(dx * dx + dy * dy);
        if (r < lumpy) {
            // Each leaf mass lit on its upper left, darker at its rim.
            const double lit = clamp01(0.55 - 0.5 * (dx + dy) / (1.6 * c.radius)) * (1 - 0.5 * smoothstep(0.75, 1.0, r / lumpy));
            const double leaves = valueNoise(0x0A5u, x / 3.0, y / 3.0, 1 << 16) * detail;
            return rampIndex(Rainsky::Woods, 0.15 + 0.6 * lit + 0.12 * leaves);
        }
    }
    const double fork = 50 + 100 * 0.06;  // the trunk's centre at row 140
    if (segmentDistance(cx, cy, fork, 140, 30, 104) < 2.5 || segmentDistance(cx, cy, fork, 140, 78, 100) < 2.2)
        return rampIndex(Rainsky::Woods, 0.1);
    return -1;
}

// Boundaries of the field strips, as angles (radians either side of
// straight down) from the vanishing point; irregular, as real fields are.
double stripBoundary(int k)
{
    return k * 0.3 + 0.09 * std::sin(k * 2.3 + 0.7);
}

// Fields in perspective below fieldsTop: strips fanning out from a
// vanishing point above the horizon, cut by headlands at rows that differ
// per strip, edged with hedgerows.
int fieldIndex(double x, int y, double fieldsTop, double detail)
{
    const double vx = 150, vy = 112;
    const double fan = std::atan2(x - vx, y - vy);
    int strip = int(std::floor(fan / 0.3)) - 1;
    while (stripBoundary(strip + 1) <= fan)
        ++strip;
    const double toBoundary = std::min(fan - stripBoundary(strip), stripBoundary(strip + 1) - fan) * (y - vy);
    const int stripKey = strip + 20;  // non-negative for the modulo patterns below
    const double cut1 = 183 + 5 * (stripKey * 5 % 3), cut2 = 204 + 6 * (stripKey * 7 % 3);
    const int band = y < cut1 ? 0 : (y < cut2 ? 1 : 2);
    const double hedge = 1.1 + (y - 170) * 0.025;
    if (toBoundary < hedge || std::fabs(y - cut1) < 0.6 + (y - 170) * 0.01 || std::fabs(y - cut2) < 0.6 + (y - 170) * 0.015)
        return rampIndex(Rainsky::Woods, 0.3 + 0.2 * ridgeNoise(0x4ED6u, x + y * 3, 3));
    const double depth = (y - fieldsTop) / (240 - fieldsTop);
    const double furrows = std::sin(fan * (110 + 40 * band)) * detail;
    switch ((stripKey * 7 + band * 5) % 5) {
    case 0: return rampIndex(Rainsky::Meadow, 0.5 + 0.3 * depth);
    case 1: return rampIndex(Rainsky::Earth, 0.35 + 0.25 * depth + 0.18 * furrows);
    case 2: return rampIndex(Rainsky::Rye, 0.35 + 0.35 * depth + 0.12 * furrows);
    case 3: return rampIndex(Rainsky::Meadow, 0.7 + 0.25 * depth);
    default: return rampIndex(Rainsky::Meadow, 0.25 + 0.3 * depth + 0.08 * furrows);
    }
}

// The rain shows only from row 64 down, so a ceiling of rain clouds fills
// every row above it and the rain seems to fall out of its base; a few puffs
// of scud hang a little lower. Nowhere does the see-through sky reach above
// row 64, where it would show as a plain strip.
constexpr int RainTop = 64;

// Scud: ragged puffs hanging from the base into the rain.
struct ScudPuff {
    double x, halfWidth, drop;  // centre column, half width, rows below the base
};
constexpr ScudPuff ScudPuffs[] = {{150, 14, 5}, {198, 12, 7}, {258, 20, 5}, {304, 10, 4}};

// How far inside a puff (x, y) lies: above 0 inside, 1 on its axis. A puff
// runs up into the ceiling and rounds off below the base.
double scudDepth(double x, int y)
{
    double inside = 0;
    for (const ScudPuff& puff : ScudPuffs) {
        const double dx = (x - puff.x) / puff.halfWidth;
        const double dy = std::max(0.0, (y - (RainTop - 2.0)) / (puff.drop + 2.0));
        const double edge = 0.8 + 0.2 * valueNoise(0xCE11u, x / 3.0, y / 3.0, 1 << 16);
        inside = std::max(inside, 1 - std::sqrt(dx * dx + dy * dy) / edge);
    }
    return inside;
}

// Billows of the ceiling seen from below: the cloud plane recedes towards
// the horizon, so its shapes flatten with each row; overhead the cloud is
// thickest and darkest, and along its base it thins to the grey of the
// rain, which already streams from it. Returns -1 where the sky shows.
int cloudIndex(double x, int y)
{
    const double scud = scudDepth(x, y);
    if (y >= RainTop && scud <= 0)
        return -1;
    const double depth = 120.0 / (150 - y);  // 0.8 overhead .. 1.4 at the base
    const double u = (x - 160) / (60 * depth), v = 3.2 / depth;
    double billow = 0, weight = 1, total = 0;
    for (int octave = 0; octave < 3; ++octave) {
        const double scale = double(1 << octave);
        billow += weight * valueNoise(0xCE20u + uint32_t(octave), u * scale, v * scale * 2.4, 1 << 16);
        total += weight;
        weight *= 0.5;
    }
    billow /= total;
    // Dark cloud masses with paler sky-lit seams between them.
    const double seam = smoothstep(0.42, 0.62, billow);
    const double height = y / double(RainTop);
    double tone = 0.06 + 0.3 * height + 0.45 * seam * (0.5 + 0.5 * height);
    // Rain streaks in the slant of the falling rain.
    const double streak = hashUnit(0xCE30u, int(std::lround(x)) - y + 400, 0) > 0.75 ? 0.12 : 0.0;
    const double thinning = smoothstep(RainTop - 14.0, RainTop, y) * (1 - smoothstep(0.0, 0.5, scud));
    tone = lerp(tone, 0.9 + streak * smoothstep(RainTop - 12.0, RainTop, y), thinning);
    return rampIndex(Rainsky::Cloud, tone);
}

constexpr int HorizonDrop = 34;

// The farm on the near hill, in the land's rows: a house seen from its
// corner, its long side lit and its gable end in shade, under a red tiled
// roof with a chimney, lamplight in its windows and a dark door; a
// red-walled barn beside it and a fence running down to the fields. -1
// where the farm is not.
int farmIndex(int x, int ly)
{
    using namespace Rainsky;
    const bool lamp = (x >= 227 && x <= 229 && ly >= 150 && ly <= 152) ||
                      (x >= 233 && x <= 235 && ly >= 150 && ly <= 152) ||
                      (x >= 245 && x <= 247 && ly >= 149 && ly <= 151);
    if (lamp)
        return rampIndex(Rye, ly == 150 || ly == 149 ? 1.0 : 0.85);
    // Long side, lit, with a door and a darker plinth.
    if (x >= 224 && x <= 240 && ly >= 145 && ly <= 161) {
        if (x >= 237 && x <= 239 && ly >= 155)
            return rampIndex(Earth, 0.15);
        return rampIndex(Wall, ly >= 160 ? 0.45 : 0.8 - 0.01 * (ly - 145));
    }
    // Gable end in shade, its top a triangle under the roof's ridge.
    if (x >= 241 && x <= 252 && ly <= 161 && ly >= 145 - (6 - std::abs(x - 246.5)))
        return rampIndex(Wall, ly >= 160 ? 0.25 : 0.45);
    // Chimney above the roof's far slope.
    if (x >= 229 && x <= 231 && ly >= 131 && ly < 139)
        return rampIndex(Wall, ly == 131 ? 0.2 : 0.35);
    // Roof over the long side: rows of tiles, lighter towards the eaves,
    // its far end cut along the gable's slope.
    if (ly >= 138 && ly <= 145 && x >= 222 - (ly - 138) / 3 && x <= 241 + (145 - ly) * 0.9)
        return rampIndex(Roof, 0.35 + 0.08 * (ly - 138) - (ly % 2 ? 0.15 : 0.0));
    // Barn: red boards, a dark doorway, a grey roof.
    if (x >= 256 && x <= 272 && ly >= 151 && ly <= 161) {
        if (x >= 262 && x <= 266 && ly >= 155)
            return rampIndex(Earth, 0.1);
        return rampIndex(Roof, (x % 3 == 0 ? 0.45 : 0.6) - (ly >= 160 ? 0.2 : 0.0));
    }
    if (ly >= 146 && ly <= 150 && x >= 255 - (ly - 146) / 2 && x <= 273 + (ly - 146) / 2)
        return rampIndex(Earth, 0.55 + 0.08 * (ly - 146));
    // Fence posts and a rail along the edge of the near field.
    if (ly >= 163 && ly <= 167 && x >= 196 && x <= 286 && (x % 6 == 0 || ly == 164))
        return rampIndex(Woods, 0.25);
    return -1;
}

// Returns the landscape index at (x, y), or -1 for sky.
int landscapeIndex(int x, int y, double detail)
{
    const double fx = x;
    const int oak = oakIndex(fx, y, detail);
    if (oak >= 0)
        return oak;
    const int cloud = cloudIndex(fx, y);
    if (cloud >= 0)
        return cloud;
    // The land is laid out in its own rows, ly, and lowered so that the
    // see-through sky reaches down to about row 150: the rain shows through
    // most of its band instead of a strip under the clouds.
    const int ly = y - HorizonDrop;
    // Hills: two ridges in the haze, then a nearer one topped by woods.
    const double distantRidge = 115 + 14 * ridgeNoise(0xFA1u, fx, 110) + 3 * ridgeNoise(0xFA0u, fx, 17);
    const double farRidge = 128 + 12 * ridgeNoise(0xFA2u, fx, 80) + 4 * ridgeNoise(0xFA3u, fx, 23);
    const double midRidge = 148 + 9 * ridgeNoise(0x3D2u, fx, 70);
    const double woodsTop = midRidge - 6 - 5 * ridgeNoise(0x3D3u, fx, 9) - 3 * ridgeNoise(0x3D4u, fx, 3.5);
    const double fieldsTop = 170 + 5 * ridgeNoise(0xF1Du, fx, 60);
    if (ly < std::min(distantRidge, farRidge))
        return -1;
    const int farm = farmIndex(x, ly);
    if (farm >= 0)
        return farm;
    if (ly < farRidge)
        return rampIndex(Rainsky::Hills, 0.92 - 0.2 * (ly - distantRidge) / 20.0);
    if (ly < woodsTop)
        return rampIndex(Rainsky::Hills, 0.6 - 0.45 * (ly - farRidge) / 24.0);
    if (ly < midRidge)
        return rampIndex(Rainsky::Woods, 0.3 + 0.2 * ridgeNoise(0x3D5u, fx, 4) - 0.15 * (ly - woodsTop) / 8.0);
    if (ly < fieldsTop)
        return rampIndex(Rainsky::Meadow, 0.3 + 0.3 * (ly - midRidge) / 22.0);
    // Pond on the right, mirroring the grey sky with ripple lines.
    const double pondX = (fx - 262) / 44.0, pondY = (ly - 190) / 9.0;
    if (pondX * pondX + pondY * pondY < 1) {
        const bool ripple = (ly + int(fx / 9)) % 5 == 0;
        return rampIndex(Rainsky::Pond, 0.8 - 0.35 * (ly - 181) / 18.0 + (ripple ? 0.12 : 0.0));
    }
    return fieldIndex(fx, ly, fieldsTop, detail);
}

Pixels paintLandscape(double detail)
{
    Pixels pixels(size_t(ScreenWidth * ScreenHeight));
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            const int index = landscapeIndex(x, y, detail);
            pixels[size_t(y * ScreenWidth + x)] = uint8_t(index < 0 ? Rainsky::SkyKey : index);
        }
    }
    return pixels;
}

// ---------------------------------------------------------------------------
// tausta: the attractor's backdrop under green.pal: a clearing at night,
// values 0..120 only so the glow stays the brightest thing. Soft moonlight,
// out-of-focus light discs, and ferns and grass black against it.

// Strokes of a fern frond: a curved stem from (x, y) with paired leaflets
// that shorten towards the tip.
void addFern(std::vector<Segment>& strokes, std::vector<double>& widths, double x, double y, double angle,
             double length, double bend)
{
    const int steps = 22;
    double px = x, py = y, a = angle;
    const double step = length / steps;
    for (int i = 0; i < steps; ++i) {
        const double nx = px + std::cos(a) * step, ny = py + std::sin(a) * step;
        const double taper = 1 - double(i) / steps;
        strokes.push_back({px, py, nx, ny});
        widths.push_back(1.0 + 1.4 * taper);
        const double leaflet = length * 0.22 * std::sin(Pi * (0.15 + 0.85 * taper)) * (0.4 + 0.6 * taper);
        for (int side : {-1, 1}) {
            const double la = a + side * 1.05;
            strokes.push_back({nx, ny, nx + std::cos(la) * leaflet, ny + std::sin(la) * leaflet + leaflet * 0.25});
            widths.push_back(0.8 + 1.2 * taper);
        }
        px = nx, py = ny;
        a += bend;
    }
}

Pixels paintBackdrop(double detail)
{
    Canvas light = makeCanvas(ScreenWidth, ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            const double moon = std::exp(-std::pow(std::hypot(x - 96.0, (y - 64.0) * 1.2) / 110.0, 2));
            const double mist = std::exp(-std::pow((y - 170.0) / 40.0, 2));
            canvasAt(light, x, y) = 5 + 40 * moon + 16 * mist + 6 * fbm(0x7A05u, x / 320.0, y / 320.0, 3, 3) * detail;
        }
    }
    // Out-of-focus lights: discs with a slightly brighter rim.
    ForgeRandom random{0xB0C3u};
    for (int i = 0; i < 34; ++i) {
        const double cx = randomUnit(random) * 320, cy = 20 + randomUnit(random) * 170;
        const double radius = 4 + 12 * randomUnit(random) * randomUnit(random);
        const double strength = 6 + 16 * randomUnit(random);
        for (int y = std::max(0, int(cy - radius - 2)); y <= std::min(239, int(cy + radius + 2)); ++y) {
            for (int x = std::max(0, int(cx - radius - 2)); x <= std::min(319, int(cx + radius + 2)); ++x) {
                const double cover = discCoverage(x, y, cx, cy, radius);
                const double rim = smoothstep(radius - 2.5, radius - 0.5, std::hypot(x - cx, y - cy));
                canvasAt(light, x, y) += cover * strength * (0.75 + 0.35 * rim);
            }
        }
    }
    // Ferns and grass in silhouette, with a thin rim of moonlight.
    std::vector<Segment> strokes;
    std::vector<double> widths;
    addFern(strokes, widths, -6, 250, -1.0, 150, 0.035);
    addFern(strokes, widths, 10, 248, -1.35, 110, 0.05);
    addFern(strokes, widths, 330, 250, -2.1, 160, -0.03);
    addFern(strokes, widths, 300, 252, -1.75, 120, -0.045);
    addFern(strokes, widths, 160, 256, -1.62, 70, 0.04);
    for (int i = 0; i < 40; ++i) {
        const double gx = randomUnit(random) * 330 - 5;
        const double h = 20 + 45 * randomUnit(random);
        const double lean = (randomUnit(random) - 0.5) * 0.8;
        double px = gx, py = 241;
        for (int k = 0; k < 6; ++k) {
            const double nx = px + lean * h / 6 * (1 + k * 0.3), ny = py - h / 6;
            strokes.push_back({px, py, nx, ny});
            widths.push_back(1.6 * (1 - k / 6.0) + 0.3);
            px = nx, py = ny;
        }
    }
    Pixels pixels(size_t(ScreenWidth * ScreenHeight));
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            double inside = -1e9;  // how deep inside the nearest silhouette
            for (size_t i = 0; i < strokes.size(); ++i) {
                const Segment& st = strokes[i];
                if (x < std::min(st.ax, st.bx) - 4 || x > std::max(st.ax, st.bx) + 4 ||
                    y < std::min(st.ay, st.by) - 4 || y > std::max(st.ay, st.by) + 4)
                    continue;
                inside = std::max(inside, widths[i] - segmentDistance(x, y, st.ax, st.ay, st.bx, st.by));
            }
            const double cover = clamp01(inside + 0.5);
            const double rim = cover * (1 - clamp01(inside - 0.7)) * 0.6;
            const double value = lerp(canvasAt(light, x, y), 2, cover) + rim * 18;
            pixels[size_t(y * ScreenWidth + x)] = toByte(clampRange(value, 0, 120));
        }
    }
    return pixels;
}

}  // namespace

void forgePictures(const std::string& dir)
{
    writeGrayPicture(dir, dataFile("data/flare"), paintFlare);
    writeGrayPicture(dir, dataFile("data/cloud1"), [](double detail) {
        return paintCloud({0xC10D0001u, 4, 0.12, 0.253, 0.277, 12}, detail);
    });
    writeGrayPicture(dir, dataFile("data/cloud2"), [](double detail) {
        return paintCloud({0xC10D0002u, 8, 0.14, 0.256, 0.274, 0}, detail);
    });
    writeGrayPicture(dir, dataFile("data/cloud3"), [](double detail) {
        return paintCloud({0xC10D0003u, 10, 0.16, 0.256, 0.254, 0}, detail);
    });
    writeGrayPicture(dir, dataFile("data/credits"), paintCredits);
    writeGrayPicture(dir, dataFile("data/roto"), paintRoto);
    writeGrayPicture(dir, dataFile("data/bird"), paintBird);
    constexpr const DataFile& landscape = dataFile("data/maasto");
    writeConvertedPicture(dir, landscape, paletteAtLoad(dir, landscape), paintLandscape);
    constexpr const DataFile& sandLogo = dataFile("data/hiekkalogo");
    const Palette logo = paletteAtLoad(dir, sandLogo);
    const Canvas distance = logoDistance();
    const Canvas heights = logoHeights(distance);
    writeGrayPicture(dir, dataFile("data/heightmap"), [&](double) { return canvasBytes(heights); });
    writeConvertedPicture(dir, sandLogo, logo,
                          [&](double detail) { return paintSandLogo(heights, distance, detail); });
    writeConvertedPicture(dir, dataFile("data/sand"), logoWithSand(logo, readForgedPalette(dir, dataFile("data/sand.pal"))),
                          paintSand);
    writeGrayPicture(dir, dataFile("data/tausta"), paintBackdrop);
    writeGrayPicture(dir, dataFile("data/lightning"), paintLightning);
}
