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
// eight times, so anything finer than that would shimmer as stripes.
double bladeLight(int x, int y)
{
    const double side = std::abs(x - 127.5) / 128.0;
    const double midrib = std::exp(-std::pow(side / 0.06, 2));
    const double veinPhase = (y + side * 140) / 64.0;
    const double fromVein = std::abs(veinPhase - std::round(veinPhase));  // 0 on a vein, 0.5 between
    const double vein = std::exp(-std::pow(fromVein / 0.15, 2)) * (1 - smoothstep(0.7, 0.95, side));
    return 0.42 + 0.26 * midrib + 0.13 * vein - 0.22 * side * side + 0.08 * (fbm(5, x / 256.0, y / 256.0, 2, 2) - 0.5);
}

// Autumn creeps in from the tip (top) and the edges along a gently wavering
// line, so the colour change reads as one smooth border and not as orange
// fringes; a few broad rust blotches, large enough not to sparkle when the
// leaf is small.
IndexCanvas paintLeaf()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, Green.first);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double across = std::abs(x - 127.5) / 128.0;
        const double turn = (1 - y / 255.0) * 0.8 + across * 0.5 + (fbm(9, x / 256.0, y / 256.0, 2, 2) - 0.5) * 0.4;
        const double light = bladeLight(x, y);
        const double spot = fbm(21, x / 256.0, y / 256.0, 4, 2);
        if (spot > 0.8 && across > 0.15)
            return static_cast<int>(rampIndex(Amber, 0.3 + 0.4 * (spot - 0.8)));
        return static_cast<int>(turn > 0.7 ? rampIndex(Amber, light + 0.1) : rampIndex(Green, light));
    });
    return c;
}

}  // namespace

void forgeLeafPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/lehti"), paintLeaf());
}
