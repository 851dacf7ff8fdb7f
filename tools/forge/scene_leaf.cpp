// The spinning leaves' texture (lehti.pal): a turning leaf blade filling the
// whole square, since the mesh's outline cuts the shape and every texel
// under a face is drawn. Only the leaf ramps (200..255) are used, so the
// leaves never share a colour with the rings behind them.
#include "scene_art.h"

#include <cmath>
#include <numbers>

using namespace paint;
using namespace LehtiPal;

namespace {

constexpr int Size = 256;

// Where the mesh's six outline corners land on the texture (meshes.cpp's
// leafTexel of its LeafPoints, base first): a convex hexagon.
constexpr double Outline[6][2] = {{128, 254}, {242, 170}, {218, 68}, {128, 2}, {38, 68}, {14, 170}};

// Texels inside the outline's edge over which the rim darkens; the leaves
// show the texture shrunk four to eight times, so the rim is 2-4 px wide.
constexpr double RimWidth = 18;

// Distance in texels from (x, y) to the nearest outline edge; every texel
// under a face is inside the hexagon, so this is its distance to the rim.
double toRim(int x, int y)
{
    double nearest = Size;
    for (int i = 0; i < 6; ++i) {
        const double* a = Outline[i];
        const double* b = Outline[(i + 1) % 6];
        const double ex = b[0] - a[0];
        const double ey = b[1] - a[1];
        const double across = std::abs((x - a[0]) * ey - (y - a[1]) * ex) / std::hypot(ex, ey);
        nearest = std::min(nearest, across);
    }
    return nearest;
}

// Shade towards the rim and the stalk: a darker band round every leaf, so
// where leaves overlap the front one's edge shows as a dark line across the
// one behind instead of both merging into one bright mass. The rim keeps
// about half the light: darker rims add flashes where the leaves spin fast.
double rimShade(int x, int y)
{
    const double rim = smoothstep(0, RimWidth, toRim(x, y));
    const double towardsStalk = std::pow(y / 255.0, 3);
    return (0.45 + 0.55 * rim) * (1 - 0.3 * towardsStalk);
}

// Brightness of the blade at (x, y): a soft raised midrib down the centre
// and a few broad side veins sweeping up and out from it, each a gentle
// swell rather than a line. The leaves show the texture shrunk four to
// eight times, so nothing here is narrower than about ten texels: anything
// finer would shimmer as stripes.
double bladeLight(int x, int y)
{
    const double side = std::abs(x - 127.5) / 128.0;
    const double midrib = std::exp(-std::pow(side / 0.08, 2));
    const double veinPhase = (y + side * 140) / 64.0;
    const double fromVein = std::abs(veinPhase - std::round(veinPhase));  // 0 on a vein, 0.5 between
    const double vein = std::exp(-std::pow(fromVein / 0.2, 2)) * (1 - smoothstep(0.6, 0.9, side));
    return 0.5 + 0.2 * midrib + 0.1 * vein - 0.3 * side * side + 0.08 * (fbm(5, x / 256.0, y / 256.0, 2, 2) - 0.5);
}

// How far the leaf has turned, 0 (summer green) to 1 (rust): autumn creeps
// in from the tip (top) and a little from the edges, along a slowly
// wavering front.
double turned(int x, int y)
{
    const double across = std::abs(x - 127.5) / 128.0;
    return clamp01((1 - y / 255.0) * 0.9 + across * 0.12 + (fbm(9, x / 256.0, y / 256.0, 2, 2) - 0.5) * 0.5 - 0.05);
}

// The turn picks one of four hues and the light, dimmed at the rim, a step
// within it. The
// hues' ramps match in brightness step for step, so where the hue changes
// the leaf only shifts colour along one broad front instead of showing an
// outline or orange fringes.
IndexCanvas paintLeaf()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, Green.first);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const int hue = std::min(3, static_cast<int>(turned(x, y) * 4));
        return static_cast<int>(rampIndex(Turning[hue], bladeLight(x, y) * rimShade(x, y)));
    });
    return c;
}

}  // namespace

void forgeLeafPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/lehti"), paintLeaf());
}
