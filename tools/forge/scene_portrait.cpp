// The portrait (girl.pal): a young woman with long auburn hair in a blue
// dress, against a dusk sky that is left open at the upper right, where the
// golden star turns; and the star's own metal texture.
#include "scene_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace paint;
using namespace GirlPal;

namespace {

constexpr int Width = 320;  // the scene copies exactly 320 x 240 bytes
constexpr int Height = 240;
constexpr int Size = 256;

constexpr double FaceX = 124, FaceY = 104;  // centre of the face oval
constexpr double FaceHalfHeight = 52;
constexpr double EyeY = 100, EyeGap = 18;
constexpr double MouthY = 141;

// The pixel's threshold in a 4 x 4 Bayer matrix, -0.5..0.5.
double bayer(double x, double y)
{
    static constexpr int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (Bayer[static_cast<int>(y) & 3][static_cast<int>(x) & 3] - 7.5) / 16.0;
}

// A ramp index at brightness t, ordered-dithered so that slow gradients
// (the sky, the skin) blend from one entry to the next instead of showing
// bands.
int shade(Ramp ramp, double t, double x, double y)
{
    return static_cast<int>(rampIndex(ramp, t + bayer(x, y) / (ramp.count - 1)));
}

// Half width of the face at row y: an egg, narrower towards the chin.
double faceHalfWidth(double y)
{
    const double v = (y - FaceY) / FaceHalfHeight;
    if (std::abs(v) >= 1)
        return 0;
    return 36 * std::sqrt(1 - v * v) * (v > 0 ? 1 - 0.3 * v * v : 1);
}

// Single strands, about three pixels wide, each a little longer or
// shorter than its neighbours: -0.5..0.5 along a line across the fall.
double strandNoise(uint32_t seed, double across)
{
    return valueNoise(seed, across / 2.8, 0, 1 << 16) - 0.5;
}

// The outline of the hair breaks into locks: its edge wanders by a few
// pixels along the fall, more towards the ends, and frays into strands.
double hairEdge(double x, double y)
{
    const double locks = valueNoise(43, (x - FaceX) / 7.0 + (x > FaceX ? 40 : 0), y / 16.0, 1 << 16) - 0.5;
    const double strands = strandNoise(45, y + (x > FaceX ? 500 : 0));
    return (3 + 6 * smoothstep(60, 200, y)) * locks + 3 * strands;
}

// The hair's lower edge: the ends gather into broad locks about 22 pixels
// wide with rounded ends, each a little longer or shorter than its
// neighbours, and every lock frays into strands of uneven length, so the
// edge reads as hair and not as a saw blade. The edge depends on the column
// alone, so it curves smoothly instead of stepping from row to row.
double hairEnd(double dx)
{
    const double lock = (dx + 200) / 22;
    const double across = lock - std::floor(lock);                    // 0..1 across one lock
    const double round = std::sqrt(std::max(0.0, 1 - std::pow(2 * across - 1, 2)));  // 1 at the lock's middle
    const double length = 4 + 8 * hashUnit(44, static_cast<int>(std::floor(lock)), 0);
    return 196 + 6 * std::cos(dx / 23) + length * round + 7 * strandNoise(46, dx);
}

bool inHair(double x, double y)
{
    const double dx = x - FaceX;
    if (y < 96)
        return std::hypot(dx / 60, (y - 96) / 64) < 1 + hairEdge(x, y) / 80;
    const double half = 60 + (y - 96) * 0.12 + hairEdge(x, y);
    return std::abs(dx) < half && y < hairEnd(dx);
}

bool inBody(double x, double y)
{
    return y > 172 + 0.0035 * (x - FaceX) * (x - FaceX);
}
bool inNeck(double x, double y)
{
    return y > 136 && std::abs(x - FaceX) < 24 + std::max(0.0, y - 158) * 1.0;
}
// The dress's V opens from the shoulder line itself, so no band of cloth
// runs across the throat.
bool inNeckline(double x, double y)
{
    return y > 170 && std::abs(x - FaceX) < 32 - (y - 170) * 0.85;
}

// Dusk: deep blue at the top left warming to rose and peach at the lower
// right, with a few soft out-of-focus lights.
int sky(int x, int y)
{
    double t = 0.1 + 0.55 * (y / 240.0) * 0.7 + 0.45 * (x / 320.0) * 0.6;
    const double bokeh[][3] = {{262, 150, 14}, {290, 200, 18}, {215, 190, 11}, {300, 110, 9}, {250, 28, 7}};
    for (const auto& b : bokeh)
        t += 0.12 * smoothstep(b[2], b[2] - 3, std::hypot(x - b[0], y - b[1]));
    return shade(Sky, t, x, y);
}

// Strands fan out from the parting and fall past the shoulders: streaky
// noise, stretched along the fall (lattice cells of about 5 pixels across a
// strand, 60 along it), with waves below the face and a sheen on the crown.
int hair(int x, int y)
{
    const double dx = x - FaceX + 8, dy = y - 4;
    const double across = std::atan2(dx, dy) + 0.08 * std::sin(y / 13.0) * smoothstep(100, 140, y);
    const double along = std::hypot(dx, dy);
    const double strand = 0.7 * fbm(41, across / 2.6 + 0.5, along / 3000, 48, 3, 0.6) +
                          0.3 * fbm(47, across / 2.6 + 0.5, along / 1500, 192, 2, 0.5);
    const double sheen = std::exp(-std::pow((along - 70) / 9, 2)) * smoothstep(30, -10, dx);
    // Hair behind the shoulders falls into shadow, and the mass of hair
    // rounds away from the light at its outer edges.
    const double depth = -0.1 * smoothstep(36, 54, std::abs(x - FaceX)) * smoothstep(90, 115, y);
    const double halfWidth = y < 96 ? 60 : 60 + (y - 96) * 0.12;
    const double rim = -0.18 * smoothstep(0.7, 1.0, std::abs(x - FaceX) / halfWidth) - (x > FaceX ? 0.06 : 0);
    // The ends thin out: the last dozen pixels of each lock darken, so the
    // hair fades into the dress instead of stopping at a lit edge.
    const double ends = y < 96 ? 0 : -0.16 * smoothstep(hairEnd(x - FaceX) - 14, hairEnd(x - FaceX), y);
    return shade(Hair, 0.06 + 0.85 * strand + 0.3 * sheen + depth + rim + ends - (y - 60) * 0.0012, x, y);
}

int dress(int x, int y)
{
    const double dx = x - FaceX;
    const double fold = std::sin(dx / 8 + y / 26.0) * 0.12;
    // The shoulders round away from the light, the chest under the hair
    // and chin lies in shadow.
    const double shoulder = -0.18 * smoothstep(50, 150, std::abs(dx)) + 0.1 * smoothstep(40, 0, y - 172 - 0.0035 * dx * dx);
    return shade(Dress, 0.58 + fold + shoulder - std::abs(dx) * 0.002 - (dx > 0 ? 0.1 : 0), x, y);
}

// Skin lit from the upper left, round like the head beneath it.
double skinLight(double x, double y)
{
    const double half = std::max(faceHalfWidth(y), 1.0);
    const double u = (x - FaceX) / half, v = (y - FaceY) / FaceHalfHeight;
    const double nz = std::sqrt(std::max(0.0, 1 - u * u * 0.8 - v * v * 0.3));
    // The hair shades the sides of the face.
    double t = 0.32 + 0.45 * nz - 0.2 * u - 0.08 * v - 0.14 * smoothstep(0.68, 1.0, std::abs(u));
    for (double side : {-1.0, 1.0}) {
        const double ex = FaceX + side * EyeGap;
        t -= 0.15 * std::exp(-std::pow((x - ex) / 11, 2) - std::pow((y - EyeY + 1) / 7, 2));  // eye sockets
        t += 0.09 * std::exp(-std::pow((x - ex - side * 3) / 9, 2) - std::pow((y - 118) / 6, 2));  // cheekbones
        // The hollow under the cheekbone, deeper on the side away from the light.
        t -= (side > 0 ? 0.1 : 0.05) * std::exp(-std::pow((x - FaceX - side * 25) / 7, 2) - std::pow((y - 134) / 9, 2));
    }
    // The nose: a lit bridge, its right flank in shadow that widens down to
    // the wing, a rounded tip and the shadow it casts on the upper lip. All
    // of it soft light on the skin, so the nose has no outline of its own.
    const double dn = x - FaceX;
    const double bridge = smoothstep(96, 116, y) * smoothstep(127, 121, y);
    t += bridge * 0.06 * std::exp(-std::pow((dn + 1) / 2.2, 2));
    t -= bridge * 0.17 * std::exp(-std::pow((dn - 3.5 - 0.12 * (y - 100)) / 2.6, 2));
    t += 0.07 * std::exp(-std::pow((dn + 0.5) / 4, 2) - std::pow((y - 123) / 2.6, 2));
    t -= 0.13 * std::exp(-std::pow((dn - 1) / 6.5, 2) - std::pow((y - 128.5) / 1.8, 2));
    // The lower lip shades the dip above the chin, whose point catches the light.
    t -= 0.08 * std::exp(-std::pow(dn / 8, 2) - std::pow((y - MouthY - 8) / 2.2, 2));
    t += 0.05 * std::exp(-std::pow((dn + 2) / 7, 2) - std::pow((y - MouthY - 13) / 3, 2));
    // The jaw turns away from the light towards the chin.
    t -= 0.12 * smoothstep(0.55, 0.95, v) * smoothstep(0.2, 0.9, std::abs(u));
    return t;
}

int eye(double x, double y, double ex)
{
    const double u = (x - ex) / 10.5, v = (y - EyeY) / 4.6;
    const double almond = std::abs(v) * (v < 0 ? 0.9 : 1.15) + u * u;
    const double browY = EyeY - 10 - 2.6 * std::cos((x - ex) / 9);
    if (std::abs(x - ex) < 12.5 && std::abs(y - browY) < 1.6 - std::abs(x - ex) * 0.05)
        return shade(Hair, 0.24 + 0.012 * std::abs(x - ex + 4), x, y);  // eyebrow, fainter towards its ends
    if (almond > 1.25)
        return -1;
    if (almond > 0.85)
        return v < 0 ? shade(Hair, 0.02, x, y) : -1;  // upper lid and lashes; the lower lid stays soft
    const double ix = x - ex - 0.5, iy = y - EyeY - 0.2;
    const double r = std::hypot(ix, iy);
    if (std::abs(ix + 1.5) < 1.0 && std::abs(iy + 1.5) < 1.0)
        return shade(Skin, 1.0, x, y);  // catch light
    if (r < 1.9)
        return shade(Hair, 0.0, x, y);  // pupil
    if (r < 4.4)
        return shade(Iris, 0.75 - r * 0.1 + iy * 0.06, x, y);
    return shade(Skin, 0.93 - std::abs(u) * 0.12 + (v < -0.3 ? -0.08 : 0), x, y);  // white of the eye
}

// The nose is modelled in the skin's light (see skinLight); only the
// nostrils are drawn on top, small and soft.
int nose(double x, double y)
{
    const double dx = x - FaceX;
    if (std::hypot((std::abs(dx) - 4) / 1.6, (y - 128) / 1.0) < 1)
        return shade(Skin, 0.36, x, y);
    return -1;
}

int mouth(double x, double y)
{
    const double dx = x - FaceX;
    const double width = 13;
    if (std::abs(dx) > width)
        return -1;
    const double spread = 1 - (dx / width) * (dx / width);
    const double bow = 0.9 * std::exp(-dx * dx / 6);  // the dip of the upper lip
    if (y <= MouthY && y > MouthY - 3.8 * spread + bow)
        return shade(Lips, 0.35 + (y - MouthY) * 0.04, x, y);
    if (y > MouthY && y < MouthY + 5.2 * spread - 0.5)
        return shade(Lips, 0.62 + (y < MouthY + 2.5 && std::abs(dx) < 5 ? 0.25 : 0) - std::abs(dx) * 0.015, x, y);
    if (std::abs(y - MouthY) < 0.6 && std::abs(dx) < width + 1)
        return shade(Lips, 0.05, x, y);
    return -1;
}

// The fringe's lower edge over the forehead, dx from the face's centre
// line: an arch that breaks into strands of uneven length.
double hairline(double dx)
{
    return 62 + 0.012 * dx * dx + 3 * strandNoise(51, dx);
}

int face(int x, int y)
{
    for (int part : {eye(x, y, FaceX - EyeGap), eye(x, y, FaceX + EyeGap), nose(x, y), mouth(x, y)})
        if (part >= 0)
            return part;
    // A soft shadow under the fringe, fading down the forehead.
    return shade(Skin, skinLight(x, y) - 0.14 * smoothstep(hairline(x - FaceX) + 7, hairline(x - FaceX), y), x, y);
}

int portrait(int x, int y)
{
    const double dx = x - FaceX;
    const bool faceHere = std::abs(dx) < faceHalfWidth(y);
    // Strands from the sides fall over the temples and cheeks, so the face
    // does not meet the hair along one smooth line.
    const double temples = smoothstep(128, 100, y) * (2.5 + 6 * strandNoise(48, y / 3.0 + (dx > 0 ? 300 : 0)));
    if (std::abs(dx) < faceHalfWidth(y) - std::max(0.0, temples) && y > hairline(dx))
        return face(x, y);
    // Long hair falls over the shoulders in front of the dress and frames
    // the neck; its inner edges fray into strands like its outline.
    const double frontEdge = 34 + 0.15 * std::max(0.0, y - 172.0) + 3 * strandNoise(49, y / 4.0 + (dx > 0 ? 300 : 0));
    const double neckEdge = 19 + 2 * strandNoise(50, y / 4.0 + (dx > 0 ? 300 : 0));
    // The outline is tested a pixel to either side by the dither's
    // threshold, so the hair thins into the sky over two pixels instead of
    // ending on a stepped line.
    if (inHair(x + 2 * bayer(x, y), y) && (faceHere || std::abs(dx) > frontEdge || !inBody(x, y)) &&
        !(inNeck(x, y) && std::abs(dx) < neckEdge))
        return hair(x, y);
    if (inBody(x, y) && !inNeckline(x, y))
        return dress(x, y);
    if (inNeck(x, y) || inNeckline(x, y)) {
        // A fine gold chain with a drop pendant, in the star's metal.
        const double chainY = 190 - 0.04 * dx * dx;
        if (std::abs(y - chainY) < 0.7)
            return shade(Star, 0.75 - dx * 0.01, x, y);
        const double pendant = std::hypot(dx / 2.6, (y - 194) / 3.6);
        if (pendant < 1)
            return shade(Star, 0.95 - pendant * 0.5 - dx * 0.08, x, y);
        // The jaw casts a shadow on the throat that follows its curve; the
        // neck rounds away from the light on both sides.
        const double jaw = FaceY + FaceHalfHeight - 6 + 0.02 * dx * dx;
        const double chinShadow = 0.28 * smoothstep(jaw + 20, jaw + 2, y);
        const double round = 0.12 * smoothstep(10, 24, std::abs(dx));
        return shade(Skin, 0.52 - dx * 0.01 - chinShadow - round, x, y);
    }
    return sky(x, y);
}

IndexCanvas paintPortrait()
{
    IndexCanvas c = makeIndexCanvas(Width, Height, 0);
    paintBox(c, 0, 0, Width - 1, Height - 1, portrait);
    return c;
}

// Polished gold: broad bands of reflection sweeping across, finer ridges
// and a scatter of bright glints.
IndexCanvas paintStar()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, 0);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double turn = 2 * std::numbers::pi / Size;
        const double band = std::sin((x * 2 + y) * turn * 2) * 0.3 + std::sin(y * turn * 6) * 0.12;
        const double glint = hashUnit(53, x / 3, y / 3) > 0.985 ? 0.35 : 0;
        return shade(Star, 0.55 + band + glint, x, y);
    });
    return c;
}

}  // namespace

void forgePortraitPictures(const std::string& dir)
{
    writeConverted(dir, dataFile("data/girl"), paintPortrait());
    writeConverted(dir, dataFile("data/stara"), paintStar());
}
