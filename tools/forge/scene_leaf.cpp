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

// The turn picks one of four hues and the light a step within it. The
// hues' ramps match in brightness step for step, so where the hue changes
// the leaf only shifts colour along one broad front instead of showing an
// outline or orange fringes.
IndexCanvas paintLeaf()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, Green.first);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const int hue = std::min(3, static_cast<int>(turned(x, y) * 4));
        return static_cast<int>(rampIndex(Turning[hue], bladeLight(x, y)));
    });
    return c;
}

}  // namespace

void forgeLeafPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/lehti"), paintLeaf());
}
