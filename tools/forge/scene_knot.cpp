// The knot's texture, painted on the green glow ramp it is shown under
// (knot.pal is the same file as green.pal). The scene draws the knot
// unshaded, so the texture carries the tube's light: its rows run round
// the tube, one third to each side of the triangular section, and each
// side is dark where it meets the next and bright along its middle, with a
// glossy streak a little above it. Over that, three strands twist round
// the tube like a rope, each rounded and parted from the next by a dark
// groove: the twist crosses the facets' edges at a slant, so the eye
// follows the strands rather than the flat sides, and where the knot
// crosses itself the dark edges keep the strands apart.
#include "scene_art.h"

#include <cmath>
#include <numbers>

using namespace paint;

namespace {

constexpr int Size = 256;
constexpr Ramp Glow{48, 200};     // stays clear of black and of the brightest whites
constexpr double SideRows = 85;   // the mesh maps side j to rows 85 j .. 85 (j + 1)

IndexCanvas paintKnot()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, 0);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double pi = std::numbers::pi;
        const double across = std::fmod(y / SideRows, 1.0);  // 0 and 1 at the section's corners
        const double body = std::pow(std::sin(pi * across), 0.8);
        const double gloss = std::exp(-std::pow((across - 0.38) / 0.09, 2));
        const double around = y / (3 * SideRows);  // 0..1 once round the tube
        const double strand = std::fmod(3 * around + 16.0 * x / Size + 3, 1.0);
        const double rope = std::pow(std::sin(pi * strand), 0.5);  // 0 in the grooves between strands
        const double t = 0.04 + 0.4 * body + 0.34 * rope * body + 0.22 * gloss;
        return static_cast<int>(rampIndex(Glow, t));
    });
    return c;
}

}  // namespace

void forgeKnotPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/knot"), paintKnot());
}
