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

// The focal subject, facing left. The zoom magnifies about the screen's
// right edge, which follows the path from column 620, row 151 to column
// 636, row 183 while the step shrinks to nothing, and the centre of the view
// runs ahead of it to the right: the bird sits so that its head comes in
// from the right edge and the last magnified views, before the step reaches
// zero and one texel fills the screen, have its eye in the middle (column
// 625, row 181).
constexpr int BirdX = 8;   // shift of the whole bird from its drawing origin
constexpr int BirdY = 42;

void paintMacaw(IndexCanvas& c)
{
    const double bx = BirdX, by = BirdY;
    // The branch it sits on, entering from the right edge.
    drawLimb(c, Width + 4, 198 + by, 600 + bx, 191 + by, 6, 4.5, Bark, 0.5);
    drawLimb(c, 600 + bx, 191 + by, 560 + bx, 176 + by, 4.5, 2.5, Bark, 0.5);
    drawLeaf(c, 590 + bx, 188 + by, -2.4, 30, 9, Leaves, 0.55);
    drawLeaf(c, 575 + bx, 180 + by, -1.2, 26, 8, Leaves, 0.45);
    // Tail, hanging behind the branch.
    paintBox(c, 620 + BirdX, 175 + BirdY, 660 + BirdX, Height - 1, [&](int x, int y) {
        const double s = (y - 178 - by) / 66.0;
        const double axis = 632 + bx + s * 10;
        const double half = 6 * (1 - s * 0.75);
        const double d = std::abs(x - axis);
        if (s < 0 || d > half)
            return -1;
        const double t = 0.55 - 0.4 * d / half + 0.1 * (std::fmod(y, 6.0) < 1 ? -1 : 0);
        return static_cast<int>(s > 0.45 ? rampIndex(Azure, t + 0.1) : rampIndex(Scarlet, t));
    });
    drawLimb(c, Width + 4, 198 + by, 640 + bx, 196 + by, 6, 5.5, Bark, 0.5);
    // Body, lit from the upper left.
    paintBox(c, 610 + BirdX, 140 + BirdY, 650 + BirdX, 195 + BirdY, [&](int x, int y) {
        const double e = ellipse(x - bx, y - by, 627 + (y - by - 165) * 0.15, 166, 11, 24);
        if (e >= 1)
            return -1;
        const double light = 0.75 - 0.4 * e - (x - bx - 620) * 0.012 - (y - by - 150) * 0.006;
        return static_cast<int>(rampIndex(Scarlet, light));
    });
    // Wing on the far side: red shoulder, gold band, blue flight feathers.
    paintBox(c, 626 + BirdX, 148 + BirdY, 652 + BirdX, 200 + BirdY, [&](int x, int y) {
        const double e = ellipse(x - bx, y - by, 640 + (y - by - 174) * 0.2, 174, 7, 24);
        if (e >= 1)
            return -1;
        const double light = 0.7 - 0.45 * e;
        const bool edge = std::fmod(y + (x - 630) * 0.7 + 40, 5.0) < 1.0;
        if (y - by < 158)
            return static_cast<int>(rampIndex(Scarlet, light - 0.15));
        if (y - by < 170)
            return static_cast<int>(rampIndex(Gold, light - (edge ? 0.25 : 0)));
        return static_cast<int>(rampIndex(Azure, light - (edge ? 0.3 : 0)));
    });
    // Head, white face patch with its lines of small feathers, eye, hooked beak.
    paintBox(c, 600 + BirdX, 126 + BirdY, 636 + BirdX, 152 + BirdY, [&](int px, int py) {
        const double x = px - bx, y = py - by;
        const double head = ellipse(x, y, 622, 139, 10, 10);
        const double patch = ellipse(x, y, 616, 140, 6, 5);
        const double eye = ellipse(x, y, 617, 139, 2.6, 2.6);
        const double upper = ellipse(x, y, 612, 142, 6.5, 7.5);
        const double lower = ellipse(x, y, 612, 147, 4, 3);
        if (eye < 1)
            return static_cast<int>(x == 616 && y == 138 ? rampIndex(Bone, 1) : (eye > 0.55 ? rampIndex(Gold, 0.55) : 0));
        if (patch < 1 && head < 1)
            return static_cast<int>(
                rampIndex(Bone, 0.95 - 0.3 * patch + (std::fmod(y, 2.0) < 1 && patch > 0.5 ? -0.25 : 0)));
        if (upper < 1 && x < 614 && y < 146 + (x - 606) * 0.6)
            return static_cast<int>(rampIndex(Bone, 0.9 - 0.5 * upper + (x - 606) * 0.03));
        if (lower < 1)
            return static_cast<int>(rampIndex(Bone, 0.12));
        if (head < 1)
            return static_cast<int>(rampIndex(Scarlet, 0.85 - 0.35 * head - (x - 618) * 0.01));
        return -1;
    });
    // Feet gripping the branch.
    for (int toe = 0; toe < 3; ++toe)
        drawLimb(c, 624 + bx + toe * 3, 188 + by, 623 + bx + toe * 3, 196 + by, 1.4, 1.2, Bone, 0.25);
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
