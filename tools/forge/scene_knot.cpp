// The knot's texture, painted on the green glow ramp it is shown under
// (knot.pal is the same file as green.pal). The scene draws the knot
// unshaded, so the texture carries the tube's light. Its rows run once
// round the tube (a third to each flat side of the triangular section) and
// the light is one smooth turn round all three: a lit flank, a glossy
// streak, a shaded underside, with no dark line where two sides meet, so the
// tube reads round rather than as three flat strips. Over that, three
// strands twist round it like a rope, parted by shallow grooves: the twist
// crosses the facets' edges at a slant, so the eye follows the strands
// rather than the flat sides.
//
// The lit tube uses only 128..205 and the grooves only 16..40: at the cut
// to the double rotozoom the knot's last picture stays on screen for one
// frame under the rotozoom's palette (which redraws every other row), and
// there 128..205 is the rotozoom's own grape-to-orange ramp and 16..40 dark
// plum, so the knot passes as a shadow of the new picture instead of a flash
// of raspberry and cream (41..127 there). Under the glow ramp the tube runs
// from mid to bright leaf green and the grooves are near black green; the
// top of the ramp is left out because the knot tumbles fast enough that
// brighter highlights sweeping over the picture count as flashes.
#include "scene_art.h"

#include <cmath>
#include <numbers>

using namespace paint;

namespace {

constexpr int Size = 256;
constexpr Ramp Glow = rampOver(128, 205);
constexpr Ramp Groove = rampOver(16, 40);
constexpr double LitAngle = 0.9;     // radians round the tube from row 0 to the brightest flank
constexpr double GrooveWidth = 0.2;   // share of a strand's width

IndexCanvas paintKnot()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, Glow.first);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double pi = std::numbers::pi;
        const double around = y / double(Size);  // 0..1 once round the tube
        const double facing = std::cos(2 * pi * around - LitAngle);
        const double diffuse = 0.5 + 0.5 * facing;
        const double gloss = std::pow(std::max(0.0, facing), 12);
        const double strand = std::fmod(3 * around + 8.0 * x / Size + 3, 1.0);
        if (strand < GrooveWidth)
            return static_cast<int>(rampIndex(Groove, diffuse));
        const double rope = std::sin(pi * (strand - GrooveWidth) / (1 - GrooveWidth));
        const double t = 0.04 * rope + 0.6 * diffuse * (0.6 + 0.4 * rope) + 0.3 * gloss;
        return static_cast<int>(rampIndex(Glow, t));
    });
    return c;
}

}  // namespace

void forgeKnotPicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/knot"), paintKnot());
}
