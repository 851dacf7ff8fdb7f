// The ceremonial mask (mask1.pal) shown in lightning flashes while the view
// zooms into its centre (160, 120): a beaten-gold face with jade-rimmed eye
// holes and a faceted ruby set exactly at the centre, on black (index 0) with
// a sunburst of embers behind it and forked lightning striking down both
// sides, so every flash reads as the lightning that lights the mask.
#include "scene_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace paint;
using namespace MaskPal;

namespace {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr double CentreX = 160, CentreY = 120;  // where the zoom goes
constexpr double FaceY = 126;

// Half width of the face at row y: an oval that narrows into the chin.
double faceHalfWidth(double y)
{
    const double v = (y - FaceY) / 112;
    if (std::abs(v) >= 1)
        return 0;
    const double chin = v > 0.2 ? 1 - 0.45 * (v - 0.2) * (v - 0.2) / 0.64 : 1;
    return 100 * std::sqrt(1 - v * v) * chin;
}

// The flash behind the mask: a white-hot corona hugging the rim that cools
// through orange into rays, all of it gone to black well inside the
// picture's edges, so no frame shows the picture's rectangle. `reach` is 0
// at the centre and 1 on an oval 6 pixels inside the picture's nearest edge.
double reachAt(int x, int y)
{
    const double dx = x - CentreX, dy = y - FaceY;
    return std::hypot(dx / (CentreX - 6), dy / (dy < 0 ? FaceY - 6 : Height - FaceY - 6));
}

// Tone of the sunburst along the Ember ramp, 0 (black) .. 1.
double sunburst(int x, int y)
{
    const double dx = x - CentreX, dy = y - FaceY;
    const double angle = std::atan2(dy, dx);
    const double ray = 0.5 + 0.5 * std::cos(angle * 16);
    const double reach = reachAt(x, y);
    const double fade = smoothstep(1.0, 0.6, reach);
    const double rim = std::max(0.0, (std::hypot(dx / 100, dy / 112) - 1) * 100);  // pixels outside the face's oval
    const double corona = std::exp(-rim / 22);
    return std::clamp(fade * ((0.15 + 0.85 * ray) * (1.2 - 0.5 * reach) + 0.55 * corona) - 0.06, 0.0, 1.0);
}

// Lightning: jagged channels made by displacing each midpoint sideways, so
// the bolt zigzags at every scale, with a fork now and then that leans
// outwards from the mask.
struct Lightning {
    std::vector<Segment> strokes;
    std::vector<double> halfWidths;
};

void splitBolt(Lightning& bolt, ForgeRandom& random, double ax, double ay, double bx, double by, double halfWidth,
               int depth)
{
    const double length = std::hypot(bx - ax, by - ay);
    if (depth == 0 || length < 3) {
        bolt.strokes.push_back({ax, ay, bx, by});
        bolt.halfWidths.push_back(halfWidth);
        return;
    }
    const double side = (randomUnit(random) - 0.5) * 0.55 * length;
    const double mx = (ax + bx) / 2 - (by - ay) / length * side, my = (ay + by) / 2 + (bx - ax) / length * side;
    splitBolt(bolt, random, ax, ay, mx, my, halfWidth, depth - 1);
    splitBolt(bolt, random, mx, my, bx, by, halfWidth, depth - 1);
    if (depth >= 3 && randomBelow(random, 3) == 0) {
        const double outwards = mx < CentreX ? -1 : 1;
        const double reach = length * (0.5 + 0.3 * randomUnit(random));
        splitBolt(bolt, random, mx, my, mx + outwards * reach * 0.45, my + reach * 0.8, std::max(0.5, halfWidth * 0.55),
                  depth - 2);
    }
}

// Glow of the lightning at each picture pixel, 0..1: 1 inside a channel,
// falling off quickly round it, and faded out between 16 and 4 pixels from
// the picture's edge, so no bolt is cut off by it and the outermost pixels
// stay black.
std::vector<double> lightningGlow()
{
    Lightning bolt;
    ForgeRandom random{0xB0175EEDu};
    splitBolt(bolt, random, 70, 8, 22, 226, 1.6, 6);
    splitBolt(bolt, random, 40, 20, 44, 130, 1.0, 5);
    splitBolt(bolt, random, 246, 8, 300, 222, 1.6, 6);
    splitBolt(bolt, random, 286, 30, 270, 150, 1.0, 5);
    std::vector<double> glow(size_t(Width * Height), 0.0);
    for (size_t i = 0; i < bolt.strokes.size(); ++i) {
        const Segment& s = bolt.strokes[i];
        constexpr int Halo = 9;  // pixels round a channel that its glow reaches
        const int x0 = std::max(0, int(std::min(s.ax, s.bx)) - Halo), x1 = std::min(Width - 1, int(std::max(s.ax, s.bx)) + Halo);
        const int y0 = std::max(0, int(std::min(s.ay, s.by)) - Halo), y1 = std::min(Height - 1, int(std::max(s.ay, s.by)) + Halo);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double d = segmentDistance(x, y, s.ax, s.ay, s.bx, s.by) - bolt.halfWidths[i];
                const double g = d <= 0 ? 1.0 : 0.75 * std::exp(-d / 2.6);
                const int edge = std::min({x, y, Width - 1 - x, Height - 1 - y});
                double& out = glow[size_t(y * Width + x)];
                out = std::max(out, g * smoothstep(4, 16, edge));
            }
    }
    return glow;
}

// Behind the face: the lightning wherever it outshines the embers.
int background(int x, int y, double bolt)
{
    const double ember = sunburst(x, y);
    if (bolt > 0.1 && (bolt >= 0.55 || bolt > ember))
        return static_cast<int>(rampIndex(Bolt, bolt));
    return ember <= 0 ? 0 : static_cast<int>(rampIndex(Ember, ember));
}

// Gold, domed like the face beneath, lit from the upper left, with engraved
// grooves following the face's contours.
int gold(int x, int y)
{
    const double half = faceHalfWidth(y);
    const double u = (x - CentreX) / half, v = (y - FaceY) / 112;
    const double nz = std::sqrt(std::max(0.0, 1 - u * u * 0.7 - v * v * 0.5));
    double t = 0.2 + 0.55 * (nz * 0.8 - u * 0.25 - v * 0.2);
    const double contour = std::hypot(u, v * 1.1);
    if (contour > 0.78 && std::fmod(contour * 10, 1.0) < 0.25)
        t -= 0.2;  // two grooves along the rim
    return static_cast<int>(rampIndex(Gold, t));
}

// Almond eye holes with a jade rim and a raised brow above each.
int eye(int x, int y, double ex)
{
    const double ey = 118;
    const double u = (x - ex) / 27, v = (y - ey) / 11.5;
    const double almond = std::abs(v) + u * u;  // pointed at both corners
    if (almond < 0.85)
        return 0;
    if (almond < 1.2)
        return static_cast<int>(rampIndex(Jade, 0.9 - (almond - 0.85) * 1.6 - (v > 0 ? 0.25 : 0)));
    const double brow = std::abs((y - (ey - 20 + 10 * u * u)) / 4.0);
    if (std::abs(u) < 1.15 && brow < 1)
        return static_cast<int>(rampIndex(Gold, 0.95 - 0.4 * brow - (y > ey - 20 + 10 * u * u ? 0.35 : 0)));
    return -1;
}

// The ruby at the very centre, drawn pixel by pixel: eight facets around a
// bright table, in a gold bezel. At the deepest zoom these pixels fill the screen.
int jewel(int x, int y)
{
    const double dx = x - CentreX, dy = y - CentreY;
    const double r = std::hypot(dx, dy);
    if (r > 12.5)
        return -1;
    if (r > 9.5)
        return static_cast<int>(rampIndex(Gold, 0.98 - (r - 9.5) * 0.15 - (dx + dy) * 0.012));
    if (r < 3.2)
        return static_cast<int>(rampIndex(Ruby, 0.85 - (dx + dy) * 0.06));
    const int facet =
        static_cast<int>(std::floor((std::atan2(dy, dx) + std::numbers::pi) / (std::numbers::pi / 4))) & 7;
    const double facetLight[] = {0.35, 0.55, 0.8, 0.95, 0.65, 0.4, 0.2, 0.15};
    if (x == 156 && y == 116)
        return static_cast<int>(rampIndex(Bone, 1));  // glint
    return static_cast<int>(rampIndex(Ruby, facetLight[facet] - (r - 3.2) * 0.03));
}

int nose(int x, int y)
{
    if (y < 133 || y > 178)
        return -1;
    const double s = (y - 133) / 45.0;
    const double half = 5 + 9 * s * s;
    const double dx = x - CentreX;
    if (y > 170 && std::hypot((std::abs(dx) - 9) / 4.5, (y - 173) / 3.0) < 1)
        return static_cast<int>(rampIndex(Wood, 0.05));  // nostrils
    if (std::abs(dx) > half)
        return -1;
    return static_cast<int>(rampIndex(Gold, dx < 0 ? 0.78 + 0.2 * s : 0.3 - 0.15 * s));
}

int mouth(int x, int y)
{
    const double dx = (x - CentreX) / 30, dy = (y - 202) / 9.0;
    const double lip = dx * dx + dy * dy;
    if (lip >= 1)
        return -1;
    if (std::abs(dy) < 0.35 && std::abs(dx) < 0.8)
        return (x - 160 + 40) % 6 == 0 ? static_cast<int>(rampIndex(Bone, 0.2))
                                       : static_cast<int>(rampIndex(Bone, 0.8 - dy));
    return static_cast<int>(rampIndex(Ruby, 0.7 - 0.4 * lip - dy * 0.2));
}

// Spirals engraved on the cheeks, and a band of jade beads across the brow.
int ornament(int x, int y)
{
    for (const double sx : {104.0, 216.0}) {
        const double dx = x - sx, dy = y - 165;
        const double r = std::hypot(dx, dy);
        if (r < 17) {
            const double turn = std::atan2(dy, dx) / (2 * std::numbers::pi) * (sx < CentreX ? 1 : -1);
            if (std::fmod(r / 5.0 - turn + 10, 1.0) < 0.3)
                return static_cast<int>(rampIndex(Wood, 0.6));
        }
    }
    if (std::abs(y - 72) < 6) {
        const double bead = std::hypot(std::fmod(x - CentreX + 300, 14.0) - 7, y - 72);
        if (bead < 5.5)
            return static_cast<int>(rampIndex(Jade, 0.85 - bead * 0.1 - (x - CentreX) * 0.002));
        return static_cast<int>(rampIndex(Wood, 0.3));
    }
    return -1;
}

IndexCanvas paintMask()
{
    IndexCanvas c = makeIndexCanvas(Width, Height, 0);
    const std::vector<double> bolt = lightningGlow();
    paintBox(c, 0, 0, Width - 1, Height - 1, [&bolt](int x, int y) {
        const double half = faceHalfWidth(y);
        const double dx = std::abs(x - CentreX);
        if (dx >= half)
            return background(x, y, bolt[size_t(y * Width + x)]);
        if (half - dx < 4)
            return static_cast<int>(rampIndex(Wood, 0.35 + (half - dx) * 0.1));  // carved rim
        for (int part :
             {jewel(x, y), eye(x, y, CentreX - 54), eye(x, y, CentreX + 54), nose(x, y), mouth(x, y), ornament(x, y)})
            if (part >= 0)
                return part;
        return gold(x, y);
    });
    return c;
}

}  // namespace

void forgeMaskPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/mask"), paintMask());
}
