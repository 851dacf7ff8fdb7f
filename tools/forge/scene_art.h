// Shared pieces of the scene palettes and pictures: the index layout of each
// scene palette (the pictures paint straight into these index ranges, so the
// layout is written down once, here) and the small painting toolkit they use.
#pragma once

#include "forge.h"
#include "paint.h"

#include <cstdint>
#include <string>
#include <vector>

// Jungle panorama (jungle2.pal).
namespace JunglePal {
constexpr Ramp Haze{1, 40};        // misty light behind the canopy
constexpr Ramp FarLeaves{41, 32};  // blue-green foliage lost in the haze
constexpr Ramp Leaves{73, 64};     // rich green foliage
constexpr Ramp Bark{137, 32};      // trunks, branches, vines
constexpr Ramp Scarlet{169, 24};   // the macaw's body
constexpr Ramp Gold{193, 12};      // wing band, flowers
constexpr Ramp Azure{205, 16};     // wing tips
constexpr Ramp Bone{221, 12};      // beak and face patch
constexpr Ramp Bloom{233, 23};     // orchids
}  // namespace JunglePal

// Forest with calendar (junkka.pal): fixed slots the show's code relies on.
namespace JunkkaPal {
constexpr int Trunk = 17;
constexpr int Ground = 28;
constexpr int Sky = 251;
constexpr int SeeThrough = 254;
constexpr Ramp Leaves{32, 64};  // leaf clusters
constexpr Ramp Autumn{96, 32};  // turning leaves among them
constexpr Ramp Paper{128, 32};  // calendar page
constexpr Ramp Red{160, 16};    // calendar header and Sundays
constexpr Ramp Ink{176, 16};    // calendar print
constexpr Ramp Metal{192, 16};  // binder rings
constexpr Ramp Bark{208, 32};   // trunk texture
}  // namespace JunkkaPal

// Spinning leaves (lehti.pal): the ring background uses its distance from
// the centre as the index (0 in the gaps, 11..19, 31..39, ..., 191..199 on
// the rings), so the leaf colours live in 200..255, out of the rings' way:
// four hues of the turning leaf, each dark -> light.
namespace LehtiPal {
constexpr int RingLast = 199;
constexpr int RingWidth = 20;   // pixels from one ring's start to the next
constexpr Ramp Green{200, 14};  // summer green
constexpr Ramp Lime{214, 14};   // yellowing
constexpr Ramp Gold{228, 14};
constexpr Ramp Rust{242, 14};   // the tip, turned
constexpr Ramp Turning[] = {Green, Lime, Gold, Rust};
}  // namespace LehtiPal

// Spider web (forest.pal): one hue family, index = brightness, 255 white.
namespace ForestPal {
constexpr int White = 255;
}

// Mask (mask1.pal).
namespace MaskPal {
constexpr Ramp Gold{1, 64};     // beaten gold face
constexpr Ramp Wood{65, 32};    // dark carved frame
constexpr Ramp Jade{97, 32};    // inlay
constexpr Ramp Bone{129, 32};   // eyes, teeth
constexpr Ramp Ruby{161, 32};   // jewel and lips
constexpr Ramp Ember{193, 32};  // glow behind the mask
constexpr Ramp Bolt{225, 31};   // lightning down both sides: violet glow -> white-hot channel
}  // namespace MaskPal

// Portrait (girl.pal), shared with the star texture.
namespace GirlPal {
constexpr Ramp Sky{1, 48};  // background
constexpr Ramp Skin{49, 64};
constexpr Ramp Hair{113, 40};
constexpr Ramp Dress{153, 32};
constexpr Ramp Lips{185, 16};
constexpr Ramp Iris{201, 12};
constexpr Ramp Star{213, 40};  // the spinning star's metal
}  // namespace GirlPal

// A byte canvas of palette indices.
struct IndexCanvas {
    int width;
    int height;
    std::vector<uint8_t> pixels;
};
IndexCanvas makeIndexCanvas(int width, int height, uint8_t fill);
inline uint8_t& pixelAt(IndexCanvas& canvas, int x, int y)
{
    return canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
}
void plot(IndexCanvas& canvas, int x, int y, uint8_t value);  // ignores points off the canvas

// Octave sum of value noise in 0..1 at (x, y) in lattice cells (no tiling).
double fractalNoise(double x, double y, uint32_t seed, int octaves);

// Scene pictures, one function per group (each reads the palettes it needs
// from dir and writes its pictures there).
void forgeJunglePicture(const std::string& dir);
void forgeForestSetPictures(const std::string& dir);  // calendar, puut, lehdet
void forgeLeafPicture(const std::string& dir);
void forgeWebPictures(const std::string& dir);  // forest, spidey
void forgeMaskPicture(const std::string& dir);
void forgePortraitPictures(const std::string& dir);  // girl, stara
void forgeKnotPicture(const std::string& dir);
void forgeStonePicture(const std::string& dir);

// Calls painter(x, y) for every canvas pixel in the box [x0, x1] x [y0, y1]
// (clipped); a result of 0..255 is stored, a negative result leaves the
// pixel alone.
template <typename Painter>
void paintBox(IndexCanvas& canvas, int x0, int y0, int x1, int y1, Painter painter)
{
    for (int y = y0 < 0 ? 0 : y0; y <= y1 && y < canvas.height; ++y)
        for (int x = x0 < 0 ? 0 : x0; x <= x1 && x < canvas.width; ++x) {
            const int value = painter(x, y);
            if (value >= 0)
                pixelAt(canvas, x, y) = static_cast<uint8_t>(value);
        }
}

// A pointed leaf from its stalk at (baseX, baseY) along angle (radians, 0 =
// right, y down), with a lighter midrib, darker side veins and a darker
// rim; light is its mean brightness on the ramp.
void drawLeaf(IndexCanvas& canvas, double baseX, double baseY, double angle, double length, double width, Ramp ramp,
              double light);
// A shaded round trunk or branch from (x0, y0) to (x1, y1), lit from the upper left.
void drawLimb(IndexCanvas& canvas, double x0, double y0, double x1, double y1, double radius0, double radius1,
              Ramp ramp, double light);

// Writes a converted-mode picture: the canvas indices with the colours of
// the palette (forged into dir) that is in force when the show loads it, at
// the size and shape of the picture's row in the data table.
void writeConverted(const std::string& dir, const DataFile& file, const IndexCanvas& canvas);
