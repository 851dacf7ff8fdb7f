// The jungle panorama: misty light behind the canopy, far trunks lost in the
// haze, near trunks hung with lianas and leaves, and at the right end, where
// the camera rushes in, a scarlet macaw perched on a branch.
#include "scene_art.h"

#include <cmath>
#include <numbers>

using namespace paint;

namespace {

constexpr int Width = 684;
constexpr int Height = 248;

using namespace JunglePal;

// Light falls from a bright gap in the canopy above, in slanting shafts.
void paintHaze(IndexCanvas& c)
{
    paintBox(c, 0, 0, Width - 1, Height - 1, [](int x, int y) {
        const double glow = std::exp(-std::pow((y - 40) / 110.0, 2)) * (0.75 + 0.25 * std::sin(x / 97.0));
        const double cloud = fractalNoise(x / 90.0, y / 60.0, 3, 2);
        const double shaft = std::pow(0.5 + 0.5 * std::sin((x + y * 0.55) / 19.0 + 3 * cloud), 10);
        const double t = 0.12 + 0.62 * glow + 0.2 * shaft * (1 - y / 248.0) + 0.12 * (cloud - 0.5);
        return static_cast<int>(rampIndex(Haze, t));
    });
}

// Background canopy and undergrowth, and thin trunks, all in the haze hues.
void paintFarForest(IndexCanvas& c, ForgeRandom& random)
{
    paintBox(c, 0, 0, Width - 1, Height - 1, [](int x, int y) {
        const double n = fractalNoise(x / 34.0, y / 22.0, 11, 3);
        const double top = 0.72 - y / 140.0;     // canopy thins downwards
        const double bottom = (y - 170) / 90.0;  // undergrowth rises from the floor
        const double cover = std::max(top, bottom) + (n - 0.5) * 0.9;
        if (cover < 0.08)
            return -1;
        return static_cast<int>(rampIndex(FarLeaves, 0.3 + 0.9 * (n - 0.35) - 0.15 * std::max(0.0, bottom)));
    });
    for (int i = 0; i < 16; ++i) {
        const double x = 20 + i * 42 + randomBelow(random, 26);
        const double lean = (randomBelow(random, 21) - 10) / 2.0;
        const double radius = 2.5 + randomBelow(random, 4);
        drawLimb(c, x + lean, -4, x, Height + 4, radius * 0.8, radius, FarLeaves, 0.42);
    }
}

// A liana hanging between two points, sagging like a rope.
void drawLiana(IndexCanvas& c, double x0, double y0, double x1, double y1, double sag, Ramp ramp)
{
    const int steps = 48;
    double px = x0, py = y0;
    for (int i = 1; i <= steps; ++i) {
        const double s = static_cast<double>(i) / steps;
        const double x = x0 + (x1 - x0) * s;
        const double y = y0 + (y1 - y0) * s + sag * 4 * s * (1 - s);
        drawLimb(c, px, py, x, y, 1.6, 1.6, ramp, 0.45);
        px = x;
        py = y;
    }
}

// A tuft of leaves fanning out from one point.
void drawLeafFan(IndexCanvas& c, ForgeRandom& random, double x, double y, double spread, double size, int count,
                 double light)
{
    for (int i = 0; i < count; ++i) {
        const double angle = -std::numbers::pi / 2 + (i - (count - 1) / 2.0) * spread + randomUnit(random) * 0.3;
        drawLeaf(c, x, y, angle, size * (0.8 + 0.4 * randomUnit(random)), size * 0.28, Leaves,
                 light + 0.15 * randomUnit(random));
    }
}

void paintNearForest(IndexCanvas& c, ForgeRandom& random)
{
    // Big trunks with buttress roots, kept clear of the macaw at the right end.
    const double trunkX[] = {58, 176, 262, 372, 455, 548};
    for (double x : trunkX) {
        const double radius = 10 + randomBelow(random, 8);
        drawLimb(c, x + randomBelow(random, 15) - 7, -6, x, Height - 20, radius * 0.85, radius, Bark, 0.45);
        drawLimb(c, x, Height - 40, x - radius * 2.6, Height + 2, radius * 0.5, radius * 0.9, Bark, 0.35);
        drawLimb(c, x, Height - 40, x + radius * 2.4, Height + 2, radius * 0.5, radius * 0.9, Bark, 0.3);
    }
    for (int i = 0; i + 1 < 6; ++i)
        drawLiana(c, trunkX[i] + 4, 10 + randomBelow(random, 30), trunkX[i + 1] - 4, 20 + randomBelow(random, 30),
                  40 + randomBelow(random, 60), Bark);
    // Hanging vines with leaves along them.
    for (int i = 0; i < 22; ++i) {
        const double x = 15 + i * 30 + randomBelow(random, 12);
        if (x > 585)
            break;
        const double length = 60 + randomBelow(random, 110);
        const double sway = randomBelow(random, 17) - 8;
        drawLimb(c, x, -2, x + sway, length, 1.3, 1.0, Leaves, 0.3);
        for (double y = 20; y < length; y += 16 + randomBelow(random, 10)) {
            const double side = randomBelow(random, 2) ? 1 : -1;
            const double vx = x + sway * y / length;
            drawLeaf(c, vx, y, std::numbers::pi / 2 - side * 1.0, 13, 4.5, Leaves, 0.4 + 0.3 * randomUnit(random));
        }
    }
    // Canopy tufts across the top, undergrowth fans along the floor.
    for (int i = 0; i < 30; ++i)
        drawLeafFan(c, random, randomBelow(random, Width), randomBelow(random, 26) - 12, 0.42, 34, 6, 0.35);
    for (int i = 0; i < 26; ++i) {
        const double x = randomBelow(random, 570);
        drawLeafFan(c, random, x, Height + 6, 0.3, 46 + randomBelow(random, 30), 7, 0.3);
    }
    // Orchids on the trunks.
    for (int i = 0; i < 18; ++i) {
        const double x = trunkX[i % 6] + randomBelow(random, 24) - 12;
        const double y = 60 + randomBelow(random, 130);
        for (int petal = 0; petal < 5; ++petal)
            drawLeaf(c, x, y, petal * 2 * std::numbers::pi / 5 + i, 6, 3, Bloom, 0.55);
        plot(c, static_cast<int>(x), static_cast<int>(y), rampIndex(Gold, 0.8));
    }
}

// Dark leaves close to the eye, framing the top and bottom edges.
void paintForeground(IndexCanvas& c, ForgeRandom& random)
{
    for (int i = 0; i < 14; ++i) {
        const double x = i * 50 + randomBelow(random, 30);
        if (x > 560)
            break;
        const bool top = i % 2 == 0;
        const double angle = top ? std::numbers::pi / 2 + (randomUnit(random) - 0.5)
                                 : -std::numbers::pi / 2 + (randomUnit(random) - 0.5) * 1.2;
        drawLeaf(c, x, top ? -8 : Height + 8, angle, 70 + randomBelow(random, 40), 20, Leaves, 0.12);
    }
}

double ellipse(double x, double y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy;
}

// The focal subject, facing left, drawn in its own model units and set into
// the picture enlarged. The zoom magnifies about the screen's right edge,
// which follows the path from column 620, row 151 to column 636, row 183
// while the step shrinks to nothing; its last views (about 60, 40 and 20
// columns wide, each a quarter of a second apart and less) and the one
// texel that finally fills the screen all lie inside the bird's chest, a
// smooth scarlet without marks, so the rush ends in the bird's colour
// instead of flickering between its face, eye and wing. The head comes in
// from the upper right while the view sinks towards the chest.
constexpr double Scale = 2.6;       // picture pixels per model unit
constexpr double AnchorX = 628;     // picture position of model point (627, 166), the body's centre
constexpr double AnchorY = 181;

// Model point of a picture pixel.
double modelX(int x) { return 627 + (x - AnchorX) / Scale; }
double modelY(int y) { return 166 + (y - AnchorY) / Scale; }
// Picture position of a model point.
double pictureX(double x) { return AnchorX + (x - 627) * Scale; }
double pictureY(double y) { return AnchorY + (y - 166) * Scale; }

// paintBox over the picture rectangle of a model box, with the painter
// given model coordinates.
template <typename Painter>
void paintModel(IndexCanvas& c, double x0, double y0, double x1, double y1, Painter painter)
{
    paintBox(c, int(std::floor(pictureX(x0))), int(std::floor(pictureY(y0))), int(std::ceil(pictureX(x1))),
             int(std::ceil(pictureY(y1))), [&](int x, int y) { return painter(modelX(x), modelY(y)); });
}

void modelLimb(IndexCanvas& c, double x0, double y0, double x1, double y1, double r0, double r1, Ramp ramp,
               double light)
{
    drawLimb(c, pictureX(x0), pictureY(y0), pictureX(x1), pictureY(y1), r0 * Scale, r1 * Scale, ramp, light);
}

// Small overlapping feathers in model units: rows of scales, every other row
// shifted by half a feather, each darker towards its lower rim. Returns the
// shading, 0 at a feather's middle down to -1 at its rim.
double featherRim(double x, double y)
{
    constexpr double Wide = 2.2, High = 1.6;
    const double row = std::floor(y / High);
    const double shift = std::fmod(row, 2.0) == 0 ? 0 : Wide / 2;
    const double cx = (std::floor((x - shift) / Wide) + 0.5) * Wide + shift;
    const double d = std::hypot((x - cx) / (Wide / 2), (y - row * High) / High);
    return -smoothstep(0.55, 1.0, d);
}

void paintMacaw(IndexCanvas& c)
{
    // The branch it sits on, entering from the right edge, under the tail.
    modelLimb(c, 660, 199, 600, 191, 5, 3.5, Bark, 0.5);
    modelLimb(c, 600, 191, 575, 180, 3.5, 2, Bark, 0.5);
    drawLeaf(c, pictureX(592), pictureY(189), -2.4, 30 * Scale, 9 * Scale, Leaves, 0.5);
    // Tail, long blue feathers with red roots, hanging behind the branch.
    paintModel(c, 615, 175, 660, 260, [](double x, double y) {
        const double s = (y - 178) / 66.0;
        const double axis = 632 + s * 10;
        const double half = 6 * (1 - s * 0.75);
        const double d = std::abs(x - axis);
        if (s < 0 || d > half)
            return -1;
        const double t = 0.6 - 0.35 * d / half - 0.12 * smoothstep(0.6, 1.0, std::abs(std::sin(d * 1.4)));
        return static_cast<int>(s > 0.4 ? rampIndex(Azure, t + 0.1) : rampIndex(Scarlet, t));
    });
    modelLimb(c, 680, 198, 640, 196, 5, 4.5, Bark, 0.5);
    // Body, lit from the upper left and rounded by its light, with a soft
    // fall-off at the rim. Small feathers scale the back and the neck; the
    // chest below, where the zoom ends, is one smooth scarlet.
    paintModel(c, 610, 138, 650, 195, [](double x, double y) {
        const double e = ellipse(x, y, 627 + (y - 165) * 0.15, 166, 11, 24);
        if (e >= 1)
            return -1;
        const double scales = 0.08 * featherRim(x, y) * smoothstep(157, 149, y);
        const double light = 0.78 - 0.3 * e * e - (x - 620) * 0.01 - (y - 150) * 0.005 + scales;
        return static_cast<int>(rampIndex(Scarlet, light));
    });
    // Wing folded on the far side, behind the chest: red shoulder, a gold
    // band and blue flight feathers, each feather edged by a soft shadow.
    paintModel(c, 630, 148, 655, 200, [](double x, double y) {
        const double e = ellipse(x, y, 642 + (y - 174) * 0.2, 174, 6.5, 24);
        if (e >= 1)
            return -1;
        const double light = 0.72 - 0.4 * e;
        const double feather = 0.5 + 0.5 * std::cos(2 * std::numbers::pi * (y + (x - 636) * 0.7) / 5.0);
        const double shade = 0.18 * feather * feather;
        if (y < 158)
            return static_cast<int>(rampIndex(Scarlet, light - 0.12));
        if (y < 168)
            return static_cast<int>(rampIndex(Gold, light - shade));
        return static_cast<int>(rampIndex(Azure, light - shade));
    });
    // Head: white face patch with its lines of small feathers, eye with a
    // catchlight, hooked beak.
    paintModel(c, 600, 126, 636, 152, [](double x, double y) {
        const double head = ellipse(x, y, 622, 139, 10, 10);
        const double patch = ellipse(x, y, 616, 140, 6, 5);
        const double eye = ellipse(x, y, 617, 139, 2.6, 2.6);
        const double glint = ellipse(x, y, 616.2, 138.2, 0.7, 0.7);
        const double upper = ellipse(x, y, 612, 142, 6.5, 7.5);
        const double lower = ellipse(x, y, 612, 147, 4, 3);
        if (glint < 1)
            return static_cast<int>(rampIndex(Bone, 1));
        if (eye < 1)
            return static_cast<int>(eye > 0.55 ? rampIndex(Gold, 0.55) : rampIndex(Bone, 0.02));
        if (patch < 1 && head < 1) {
            const double lines = smoothstep(0.3, 0.7, std::abs(std::sin(y * 1.6))) * smoothstep(0.4, 0.9, patch);
            return static_cast<int>(rampIndex(Bone, 0.95 - 0.3 * patch - 0.25 * lines));
        }
        if (upper < 1 && x < 614 && y < 146 + (x - 606) * 0.6)
            return static_cast<int>(rampIndex(Bone, 0.9 - 0.5 * upper + (x - 606) * 0.03));
        if (lower < 1)
            return static_cast<int>(rampIndex(Bone, 0.12));
        if (head < 1)
            return static_cast<int>(rampIndex(Scarlet, 0.85 - 0.3 * head - (x - 618) * 0.01 + 0.08 * featherRim(x, y)));
        return -1;
    });
    // Feet gripping the branch.
    for (int toe = 0; toe < 3; ++toe)
        modelLimb(c, 624 + toe * 3, 188, 623 + toe * 3, 196, 1.4, 1.2, Bone, 0.25);
}

}  // namespace

void forgeJunglePicture(const std::string& dir)
{
    ForgeRandom random{0x6a756e67};
    IndexCanvas c = makeIndexCanvas(Width, Height, 0);
    paintHaze(c);
    paintFarForest(c, random);
    paintNearForest(c, random);
    paintForeground(c, random);
    paintMacaw(c);
    writeConverted(dir, dataFile("data/jungle"), c);
}
