// Palettes of the jungle, the forest with the calendar, the spinning leaves,
// the spider web, the mask and the portrait. Each is laid out as ramps (see
// scene_art.h) so that the pictures can paint brightness straight into
// indices; entry 0 is black everywhere so the display stays dark while a
// palette is installed during loading.
#include "scene_art.h"

#include <cmath>
#include <numbers>

using namespace paint;

namespace {

// Entries no picture uses still need unique colours: a dim grey-violet
// staircase that stays out of the way.
Palette blankPalette()
{
    Palette palette{};
    for (int i = 1; i < 256; ++i)
        palette[i] = {static_cast<uint8_t>(i / 3), static_cast<uint8_t>(i / 4), static_cast<uint8_t>(i / 2)};
    return palette;
}

Palette junglePalette()
{
    using namespace JunglePal;
    Palette p = blankPalette();
    fillRamp(p, Haze, {{0, {18, 48, 44}}, {0.55, {120, 165, 120}}, {1, {240, 244, 200}}});
    fillRamp(p, FarLeaves, {{0, {14, 40, 38}}, {1, {104, 150, 120}}});
    fillRamp(p, Leaves, {{0, {4, 16, 6}}, {0.35, {26, 76, 20}}, {0.75, {110, 170, 40}}, {1, {214, 238, 128}}});
    fillRamp(p, Bark, {{0, {18, 11, 6}}, {0.6, {86, 60, 34}}, {1, {170, 140, 96}}});
    fillRamp(p, Scarlet, {{0, {60, 4, 6}}, {0.6, {210, 24, 16}}, {1, {255, 140, 96}}});
    fillRamp(p, Gold, {{0, {120, 76, 0}}, {0.6, {255, 200, 36}}, {1, {255, 246, 170}}});
    fillRamp(p, Azure, {{0, {8, 26, 88}}, {0.6, {30, 96, 210}}, {1, {130, 200, 255}}});
    fillRamp(p, Bone, {{0, {40, 36, 30}}, {0.6, {200, 196, 180}}, {1, {255, 255, 250}}});
    fillRamp(p, Bloom, {{0, {80, 8, 48}}, {0.6, {230, 70, 160}}, {1, {255, 200, 240}}});
    return p;
}

Palette junkkaPalette()
{
    using namespace JunkkaPal;
    Palette p = blankPalette();
    // The trunks, the ground and the sky are each one flat colour, so the
    // depth is in their choice: trunks of a cool grey-brown bark standing in
    // front (black read as holes cut in the picture, and the trunks' smears
    // at the top and bottom edges as black slabs), a luminous morning sky
    // behind them, and a shaded moss floor a step darker than the leaves,
    // so the sunlit leaves come forward and the floor recedes.
    p[Trunk] = {66, 54, 48};
    p[Ground] = {60, 76, 42};
    p[Sky] = {184, 206, 222};
    p[SeeThrough] = {255, 0, 255};
    // The leaf planes sweep towards the eye every 60 ms: a leaf ramp that
    // keeps its darkest rims and brightest glints close to the middle, and
    // a sky not much brighter than the lit leaves, keep the sweeping veins
    // and edges from flickering.
    fillRamp(p, Leaves, {{0, {22, 50, 18}}, {0.4, {48, 106, 34}}, {0.8, {124, 174, 58}}, {1, {196, 222, 128}}});
    fillRamp(p, Autumn, {{0, {60, 28, 6}}, {0.6, {204, 112, 22}}, {1, {255, 212, 96}}});
    fillRamp(p, Paper, {{0, {120, 114, 100}}, {0.7, {236, 230, 214}}, {1, {255, 253, 246}}});
    fillRamp(p, Red, {{0, {80, 10, 10}}, {0.6, {210, 30, 30}}, {1, {255, 132, 112}}});
    fillRamp(p, Ink, {{0, {10, 12, 26}}, {0.6, {70, 76, 96}}, {1, {150, 156, 172}}});
    fillRamp(p, Metal, {{0, {40, 40, 46}}, {0.6, {160, 166, 176}}, {1, {250, 250, 255}}});
    fillRamp(p, Bark, {{0, {26, 15, 8}}, {0.6, {92, 62, 36}}, {1, {172, 142, 102}}});
    return p;
}

// Rings: soft tubes of dusky slate blue that glow brightest about the
// leaves and fade into the dark towards the screen's edges. Each ring rises
// from near black at its edges to its colour along its middle, so it meets
// the black gaps without a hard step and the rings stay a quiet ground for
// the leaves in front of them.
Palette lehtiPalette()
{
    using namespace LehtiPal;
    Palette p{};
    // The gaps between the rings are index 0, black like every palette's
    // first entry. Each ring is a broad, even band of night blue, dimmer
    // towards the screen's edge, so the backdrop reads as a soft pattern
    // rather than bright lines competing with the leaves.
    for (int d = 1; d <= RingLast; ++d) {
        const double fall = d / 200.0;
        const Rgb base = mixRgb({52, 60, 108}, {20, 24, 52}, std::pow(fall, 0.7));
        // d % RingWidth is 11..19 on a ring: 0 at its edges, 1 at its middle.
        const double across = std::sin(std::numbers::pi * (d % RingWidth - 10) / 10.0);
        p[d] = mixRgb({0, 0, 0}, base, 0.5 + 0.5 * across);
    }
    // The four hues match in brightness at each step (see scene_leaf.cpp).
    fillRamp(p, Green, {{0, {12, 44, 12}}, {0.5, {58, 138, 28}}, {1, {190, 236, 108}}});
    fillRamp(p, Lime, {{0, {30, 50, 8}}, {0.5, {112, 158, 22}}, {1, {222, 240, 110}}});
    fillRamp(p, Gold, {{0, {56, 36, 4}}, {0.5, {200, 130, 18}}, {1, {255, 222, 120}}});
    fillRamp(p, Rust, {{0, {62, 18, 6}}, {0.5, {200, 72, 22}}, {1, {255, 178, 104}}});
    return p;
}

// Dawn in the forest: index is brightness, green carries it one step per
// entry (so the entries are distinct by construction), red and blue lag
// behind to give the teal hue, 255 is white for the web.
Palette forestPalette()
{
    Palette p{};
    for (int i = 0; i < 256; ++i) {
        const double t = i / 255.0;
        p[i] = {static_cast<uint8_t>(std::lround(255 * std::pow(t, 1.8))), static_cast<uint8_t>(i),
                static_cast<uint8_t>(std::lround(255 * std::pow(t, 1.3)))};
    }
    p[ForestPal::White] = {255, 255, 255};
    return p;
}

// The mask is seen only in lightning flashes: every ramp climbs to a
// white-hot top, so the lit gold, bone and the glow behind the mask burn
// out towards white as a flash would show them.
Palette maskPalette()
{
    using namespace MaskPal;
    Palette p = blankPalette();
    fillRamp(p, Gold, {{0, {40, 20, 0}}, {0.3, {176, 112, 20}}, {0.6, {255, 212, 96}}, {0.8, {255, 242, 184}},
                       {1, {255, 255, 250}}});
    fillRamp(p, Wood, {{0, {14, 5, 3}}, {0.6, {80, 36, 18}}, {1, {168, 104, 62}}});
    fillRamp(p, Jade, {{0, {0, 26, 20}}, {0.55, {24, 146, 120}}, {0.85, {140, 236, 206}}, {1, {236, 255, 248}}});
    fillRamp(p, Bone, {{0, {40, 34, 30}}, {0.5, {190, 178, 158}}, {0.8, {248, 242, 228}}, {1, {255, 255, 255}}});
    fillRamp(p, Ruby, {{0, {40, 0, 6}}, {0.6, {200, 16, 44}}, {0.9, {255, 150, 168}}, {1, {255, 226, 232}}});
    fillRamp(p, Ember, {{0, {24, 6, 0}}, {0.45, {180, 56, 0}}, {0.75, {255, 170, 40}}, {0.9, {255, 236, 160}},
                        {1, {255, 255, 250}}});
    fillRamp(p, Bolt, {{0, {26, 8, 52}}, {0.35, {84, 52, 190}}, {0.65, {150, 170, 255}}, {0.85, {222, 232, 255}},
                       {1, {255, 255, 255}}});
    return p;
}

Palette girlPalette()
{
    using namespace GirlPal;
    Palette p = blankPalette();
    fillRamp(p, Sky, {{0, {22, 26, 62}}, {0.4, {72, 82, 142}}, {0.8, {200, 150, 172}}, {1, {250, 222, 192}}});
    fillRamp(p, Skin,
             {{0, {42, 20, 16}},
              {0.3, {132, 70, 50}},
              {0.65, {212, 150, 120}},
              {0.9, {250, 214, 190}},
              {1, {255, 246, 236}}});
    fillRamp(p, Hair, {{0, {8, 5, 5}}, {0.35, {52, 26, 16}}, {0.75, {122, 66, 30}}, {1, {204, 144, 82}}});
    fillRamp(p, Dress, {{0, {10, 14, 36}}, {0.55, {30, 62, 124}}, {1, {112, 162, 222}}});
    fillRamp(p, Lips, {{0, {60, 10, 20}}, {0.6, {172, 50, 70}}, {1, {242, 142, 152}}});
    fillRamp(p, Iris, {{0, {10, 20, 16}}, {0.6, {40, 112, 90}}, {1, {152, 212, 182}}});
    fillRamp(p, Star, {{0, {40, 24, 0}}, {0.4, {182, 120, 20}}, {0.8, {255, 222, 90}}, {1, {255, 255, 232}}});
    return p;
}

void writeScenePalette(const std::string& dir, const DataFile& file, Palette palette)
{
    palette[0] = {0, 0, 0};
    makeDistinct(palette, 0, 255);
    writePalette(forgedPath(dir, file), palette);
}

}  // namespace

void forgeScenePalettes(const std::string& dir)
{
    writeScenePalette(dir, dataFile("data/jungle2.pal"), junglePalette());
    writeScenePalette(dir, dataFile("data/junkka.pal"), junkkaPalette());
    writeScenePalette(dir, dataFile("data/lehti.pal"), lehtiPalette());
    writeScenePalette(dir, dataFile("data/forest.pal"), forestPalette());
    writeScenePalette(dir, dataFile("data/mask1.pal"), maskPalette());
    writeScenePalette(dir, dataFile("data/girl.pal"), girlPalette());
}
