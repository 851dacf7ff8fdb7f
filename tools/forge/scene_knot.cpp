// The knot's texture, painted on the green glow ramp it is shown under
// (knot.pal is the same file as green.pal): a twisted rope whose strands
// catch the light, tiling on both axes.
#include "scene_art.h"

#include <cmath>
#include <numbers>

using namespace paint;

namespace {

constexpr int Size = 256;
constexpr uint32_t KnotBytes = 10910;
constexpr Ramp Glow{48, 200};  // stays clear of black and of the brightest whites

IndexCanvas paintKnot()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, 0);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double turn = 2 * std::numbers::pi / Size;
        // Strands slanting across the tube (whole numbers of turns on both
        // axes keep it tiling), each rounded so its middle catches the light,
        // with fine fibres running along it.
        const double strand = 0.5 + 0.5 * std::sin((4 * x + 8 * y) * turn);
        const double fibre = std::sin((24 * x - 12 * y) * turn);
        const double t = 0.12 + 0.8 * std::pow(strand, 1.4) + 0.06 * fibre * strand;
        return static_cast<int>(rampIndex(Glow, t));
    });
    return c;
}

}  // namespace

void forgeKnotPicture(const std::string& dir)
{
    writeConverted(dir, "knot", paintKnot(), "knot.pal", KnotBytes);
}
