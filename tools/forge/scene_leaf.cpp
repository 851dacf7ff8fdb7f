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

// Brightness of the blade at (x, y): a raised midrib down the centre, side
// veins sweeping up and out from it, slightly domed panels between them.
double bladeLight(int x, int y)
{
    const double across = (x - 127.5) / 128.0;
    const double side = std::abs(across);
    if (side < 0.035)
        return 0.92 - side * 4;
    const double veinPhase = (y + side * 150) / 26.0;
    const double inPanel = veinPhase - std::floor(veinPhase);
    if (inPanel < 0.1 && side < 0.9)
        return 0.8;
    return 0.42 + 0.22 * std::sin(inPanel * std::numbers::pi) - 0.25 * side * side +
           0.1 * (fbm(5, x / 256.0, y / 256.0, 8, 3) - 0.5);
}

// Autumn creeps in from the tip (top) and the edges; a few dark spots.
IndexCanvas paintLeaf()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, Green.first);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double across = std::abs(x - 127.5) / 128.0;
        const double turn = (1 - y / 255.0) * 0.8 + across * 0.5 + (fbm(9, x / 256.0, y / 256.0, 4, 3) - 0.5) * 0.7;
        const double light = bladeLight(x, y);
        const double spot = fbm(21, x / 256.0, y / 256.0, 16, 2);
        if (spot > 0.8 && across > 0.1)
            return static_cast<int>(rampIndex(Amber, 0.05));
        return static_cast<int>(turn > 0.62 ? rampIndex(Amber, light + 0.1) : rampIndex(Green, light));
    });
    return c;
}

}  // namespace

void forgeLeafPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/lehti"), paintLeaf());
}
