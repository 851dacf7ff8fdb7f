// The palettes of the credits, the flares, the attractor and knot, the sand
// and water logo, the rain, the greetings sky and the closing blue.
//
// Every file holds 256 pairwise distinct colours: SDL maps a picture colour
// to the first exact match of the screen palette, so a repeated colour would
// silently become another index. Where the show combines files into one
// palette, the later file is also kept distinct from the entries it joins.
#include "forge.h"
#include "paint.h"
#include "palettes.h"

using namespace paint;
using namespace ForgePal;

namespace {

// Credits on warm fruit colours, the rotozoom on a second fruit ramp.
Palette hedelmaePalette()
{
    Palette p{};
    p[Hedelmae::Black] = {0, 0, 0};
    fillRamp(p, Hedelmae::Credits, {{0.0, rgbHex(0x14040f)}, {0.28, rgbHex(0x5c1238)},
                                    {0.55, rgbHex(0xc03a52)}, {0.78, rgbHex(0xf88c4c)},
                                    {0.92, rgbHex(0xffd27a)}, {1.0, rgbHex(0xfff6dc)}});
    // The band outside the panels is the panels' own near-black ground
    // (nudged apart by makeDistinct), so a panel has no edge where it meets
    // the band and the iris opens like a hole onto the glowing panel.
    p[Hedelmae::Band] = p[size_t(rampIndex(Hedelmae::Credits, Hedelmae::PanelGround))];
    // The rotozoom's ramp swings its hue from violet grape through
    // raspberry and orange to pale gold while its brightness climbs gently
    // (about 108 luma on the ground, 145 on the slices): the alternate-row
    // redraw shows every brightness step between neighbouring rows as a
    // comb, a change of hue far less. Its oranges keep enough green to stay
    // short of saturated red, which would count as red flashes where the
    // slices sweep past.
    fillRamp(p, Hedelmae::Roto, {{0.0, rgbHex(0x480c50)}, {0.15, rgbHex(0x6c1c78)},
                                 {0.3, rgbHex(0x9448c4)}, {0.45, rgbHex(0xc8448c)},
                                 {0.6, rgbHex(0xd85c68)}, {0.72, rgbHex(0xdc7830)},
                                 {0.86, rgbHex(0xd88428)}, {1.0, rgbHex(0xf8c878)}});
    makeDistinct(p, 0, 255);
    return p;
}

// Black through ember red and gold to white: the flares add up and their
// trails fade down this ramp. The first few steps climb quickly to a warm
// ember, so the flares' orbs glow out to their rims round their white cores
// while the pyramid falls on black; the trails spend most of the ramp in
// red, orange and gold, and only the flares' cores reach white, so they stay
// apart from the glow around them.
Palette flaresPalette()
{
    Palette p{};
    fillRamp(p, 0, 255, {{0.0, rgbHex(0x000000)}, {0.008, rgbHex(0x420c04)}, {0.03, rgbHex(0x761e06)},
                         {0.1, rgbHex(0x882508)}, {0.22, rgbHex(0x962a09)}, {0.36, rgbHex(0xa0300a)},
                         {0.5, rgbHex(0xb03c0c)}, {0.7, rgbHex(0xe8781c)},
                         {0.86, rgbHex(0xfcb040)}, {0.95, rgbHex(0xffe08a)}, {1.0, rgbHex(0xfffcf0)}});
    makeDistinct(p, 0, 255);
    return p;
}

// Black through forest green to white, for the glow and the knot. The
// attractor's backdrop (0..120) lies on a floor lifted to dark moss, so its
// ferns and blurred lights read behind the glow; above it the ramp climbs
// quickly through green and lime to a white-hot core, so the densest glow
// burns white and even a thin trail shows green.
Palette greenPalette()
{
    const auto at = [](int index, uint32_t hex) { return ColourStop{index / 255.0, rgbHex(hex)}; };
    Palette p{};
    fillRamp(p, 0, 255, {at(0, 0x000000), at(1, 0x041008), at(24, 0x0c3218), at(60, 0x1a5628),
                         at(100, 0x287434), at(130, 0x30903c), at(160, 0x4aac48), at(190, 0x74ca52),
                         at(215, 0xacea7c), at(235, 0xdefcbc), at(250, 0xf8fff0), at(255, 0xffffff)});
    makeDistinct(p, 0, 255);
    return p;
}

const std::vector<ColourStop> WaterStops = {{0.0, rgbHex(0x06222e)}, {0.3, rgbHex(0x0b4c64)},
                                            {0.6, rgbHex(0x1f8aa0)}, {0.85, rgbHex(0x6cc8d4)},
                                            {1.0, rgbHex(0xe4fbf8)}};

// The logo's sand, shadow to sunlit crest; the upper half (never shown)
// is a second water ramp, kept distinct from everything in the file.
Palette logoPalette()
{
    Palette p{};
    fillRamp(p, Logo::Sand, {{0.0, rgbHex(0x1e1208)}, {0.3, rgbHex(0x6a4826)}, {0.6, rgbHex(0xb48a56)},
                             {0.85, rgbHex(0xe6c88e)}, {1.0, rgbHex(0xfff4d6)}});
    fillRamp(p, 128, 255, WaterStops);
    makeDistinct(p, 0, 255);
    return p;
}

// The loose sand around the logo: a slightly cooler ramp than the logo's,
// distinct from logo entries 0..127 that share the screen with it.
Palette sandPalette(const Palette& logo)
{
    Palette p{};
    fillRamp(p, 0, 127, {{0.0, rgbHex(0x24160a)}, {0.35, rgbHex(0x7a5a34)}, {0.65, rgbHex(0xc8a672)},
                         {0.85, rgbHex(0xeed8a6)}, {1.0, rgbHex(0xfffae8)}});
    fillRamp(p, 128, 255, {{0.0, rgbHex(0x2a1e14)}, {1.0, rgbHex(0xd8c8b0)}});
    makeDistinct(p, 0, 255, paletteRange(logo, 0, 127));
    return p;
}

// Water shades for slots 128..255 of the flood, distinct from the logo. The
// flood's indices climb as the water rises, so the ramp runs from shallow
// turquoise over sand (the first water, on the low ground) to deep blue.
Palette waterPalette(const Palette& logo)
{
    Palette p{};
    fillRamp(p, 0, 127, {{0.0, rgbHex(0x8cd8c4)}, {0.35, rgbHex(0x50b8be)}, {0.6, rgbHex(0x2a8cb4)},
                         {0.8, rgbHex(0x16609e)}, {1.0, rgbHex(0x0c2c6c)}});
    fillRamp(p, 128, 255, {{0.0, rgbHex(0x102030)}, {1.0, rgbHex(0x90b8c8)}});
    makeDistinct(p, 0, 255, paletteRange(logo, 0, 127));
    return p;
}

// A grey day in the country. The rain ramp runs from the pale streak at 50
// to the flat sky at 90 and a little darker to 99; the sky key 255 is the
// flat sky's tone, so the rain band's edges do not show. The cloud ceiling
// above the rain runs from its dark billows to the grey of the rain.
Palette rainskyPalette()
{
    Palette p{};
    const Rgb sky = rgbHex(0x7d8893);
    fillRamp(p, Rainsky::Woods, {{0.0, rgbHex(0x0b140e)}, {0.5, rgbHex(0x23392a)}, {1.0, rgbHex(0x56705a)}});
    // Drops take any value of 50..99, and the smoothing averages each
    // streak with three pixels of its surroundings: a lone streak over the
    // sky shows as (drop + 3 x 90) / 4, 80..92, and where the rain is thick
    // the averages gather round 75. So the steps just below the sky's own
    // value already climb towards white, as steeply as a smooth ramp allows
    // (the smoothing spreads every value, so no step may stand out): a lone
    // streak reads as a pale line from its first frame, the thick rain as a
    // bright veil.
    fillRamp(p, Rainsky::Rain.first, Rainsky::FlatSky, {{0.0, rgbHex(0xf4f8fc)}, {0.55, rgbHex(0xd8e0e8)},
                                                       {0.75, rgbHex(0xb4bec8)}, {1.0, sky}});
    fillRamp(p, Rainsky::FlatSky, lastEntry(Rainsky::Rain), {{0.0, sky}, {1.0, rgbHex(0x6a747f)}});
    fillRamp(p, Rainsky::Meadow, {{0.0, rgbHex(0x1f3218)}, {0.5, rgbHex(0x4c6a34)}, {1.0, rgbHex(0x96ad6a)}});
    fillRamp(p, Rainsky::Earth, {{0.0, rgbHex(0x241a12)}, {0.5, rgbHex(0x5a4632)}, {1.0, rgbHex(0x9a846a)}});
    fillRamp(p, Rainsky::Rye, {{0.0, rgbHex(0x5a5030)}, {0.5, rgbHex(0x9a8c56)}, {1.0, rgbHex(0xcabf8c)}});
    fillRamp(p, Rainsky::Hills, {{0.0, rgbHex(0x3a4650)}, {0.5, rgbHex(0x5c6a72)}, {1.0, rgbHex(0x76838c)}});
    fillRamp(p, Rainsky::Cloud, {{0.0, rgbHex(0x1c2128)}, {0.35, rgbHex(0x3a424c)}, {0.7, rgbHex(0x687480)},
                                 {1.0, rgbHex(0x9ea7b1)}});
    fillRamp(p, Rainsky::Pond, {{0.0, rgbHex(0x2a343e)}, {1.0, rgbHex(0x8e9aa6)}});
    fillRamp(p, Rainsky::Roof, {{0.0, rgbHex(0x3c1410)}, {1.0, rgbHex(0x9a4030)}});
    fillRamp(p, Rainsky::Wall, {{0.0, rgbHex(0x5a5650)}, {1.0, rgbHex(0xd4cec2)}});
    p[Rainsky::SkyKey] = sky;
    p[0] = {0, 0, 0};
    // The sky key gives way: its look matters, not its exact value.
    makeDistinct(p, 0, 254);
    makeDistinct(p, Rainsky::SkyKey, Rainsky::SkyKey, paletteRange(p, 0, 254));
    return p;
}

const std::vector<ColourStop> StormStops = {{0.0, rgbHex(0x0c1020)}, {0.3, rgbHex(0x283252)},
                                            {0.65, rgbHex(0x5e6a8c)}, {0.92, rgbHex(0xa8b0c6)},
                                            {1.0, rgbHex(0xc4cad8)}};

// Start palette and greetings: 0 black, 0..127 granite, then a storm sky
// and sparks like the ones the greetings install over it, and white tops.
Palette cubePalette()
{
    Palette p{};
    fillRamp(p, 0, 127, {{0.0, rgbHex(0x000000)}, {0.25, rgbHex(0x2a2a2e)}, {0.6, rgbHex(0x77736e)},
                         {0.85, rgbHex(0xb8b2a8)}, {1.0, rgbHex(0xeeeae2)}});
    fillRamp(p, 128, 227, StormStops);
    fillRamp(p, 228, 255, {{0.0, rgbHex(0x803018)}, {0.6, rgbHex(0xffb040)}, {1.0, rgbHex(0xffffff)}});
    makeDistinct(p, 0, 255);
    return p;
}

// Greetings sky: a storm ramp over 100 entries (the three layers sum to
// 0..93, flicker adds 12) whose last entries the sparks file continues.
// Most of the sky sums to 20..65, where the layers merely overlap: that
// stays a dark storm blue with little contrast, and only where the lit
// crowns of the billows pile up does the ramp climb to silver, so the
// clouds read as shapes and the stone cubes stand out in front.
Palette cloudsPalette(const Palette& cube)
{
    const auto at = [](int index, uint32_t hex) { return ColourStop{index / 105.0, rgbHex(hex)}; };
    Palette p{};
    fillRamp(p, 0, 105, {at(0, 0x020308), at(30, 0x080c1c), at(50, 0x141a34), at(62, 0x262e52),
                         at(72, 0x48527e), at(82, 0x7c86b0), at(92, 0xb4bad6), at(105, 0xe4e6f2)});
    fillRamp(p, 106, 255, {{0.0, rgbHex(0x101010)}, {1.0, rgbHex(0x707070)}});
    makeDistinct(p, 0, 255, paletteRange(cube, 0, 127));
    return p;
}

// Entries 0..5 continue the cloud ramp (slots 228..233), 6..23 the spark
// ramp from ember to the white-blue of the lightning at slot 251.
Palette sparksPalette(const Palette& cube, const Palette& clouds)
{
    Palette p{};
    for (int i = 0; i < 6; ++i)
        p[i] = clouds[100 + i];
    fillRamp(p, 6, 23, {{0.0, rgbHex(0x902008)}, {0.35, rgbHex(0xf06a10)}, {0.7, rgbHex(0xffd060)},
                        {0.9, rgbHex(0xfff4d0)}, {1.0, rgbHex(0xf4f8ff)}});
    fillRamp(p, 24, 255, {{0.0, rgbHex(0x201008)}, {1.0, rgbHex(0x806040)}});
    std::vector<Rgb> shared = paletteRange(cube, 0, 127);
    const std::vector<Rgb> sky = paletteRange(clouds, 0, 99);
    shared.insert(shared.end(), sky.begin(), sky.end());
    const std::vector<Rgb> tops = paletteRange(cube, 252, 255);
    shared.insert(shared.end(), tops.begin(), tops.end());
    makeDistinct(p, 0, 255, shared);
    return p;
}

// Night to sun white, laid out for the three scenes that share it. The
// effects compute with indices, so brightness never falls along the ramp,
// and 0 stays black: the sun rays' fade ends on it.
//  - The first few entries climb from a deep navy to the sky blue, so
//    where all cloud layers are clear (0) the hole's rim is a soft dark
//    blue, not a hard black edge, and the last seconds' fade steps down
//    to black more gently.
//  - Rising waves fill each layer from its surface colour (80 in front, 64
//    behind) down one index every four rows: 76..80 climb to a pale aqua
//    crest, so the front wave wears a glow of foam some sixteen rows deep
//    over water that deepens evenly to a deep blue, never to black; 64 is
//    a shade lighter than its neighbours below, so the back wave shows its
//    own crest line above its darker body.
//  - Cloud flight sums its layers to about 5..80: the low end is already a
//    clear sky blue, so the thin cloud between the billows reads as sky
//    and the billows' cores turn pale.
//  - Sun rays stream through 80..255. The crest is no brighter than the
//    light that follows it and set apart only by its hue, so where the
//    light crosses 80 it leaves at most a faint aqua thread. From 81 the
//    ramp climbs evenly in brightness all the way to the sun, from a
//    silver grey (the flight's cloud cores) through rose and peach to a
//    saturated gold over 190..228, where most of the light around the disc
//    lies, and only the last few entries reach white: the shafts keep their
//    gradation and the sun's disc alone burns white.
Palette bluePalette()
{
    const auto at = [](int index, uint32_t hex) { return ColourStop{index / 255.0, rgbHex(hex)}; };
    Palette p{};
    fillRamp(p, 0, 255, {at(0, 0x000000), at(1, 0x060e28), at(6, 0x12346a), at(20, 0x163e78),
                         at(36, 0x1a4a88), at(50, 0x205894), at(57, 0x24629e), at(63, 0x2a6ca8),
                         at(64, 0x2e7ab0), at(66, 0x3278b4), at(72, 0x3a8ec4), at(76, 0x46a6d0),
                         at(78, 0x58b4d6), at(79, 0x64bcd8), at(80, 0x74c8dc), at(81, 0xa8b2c8),
                         at(105, 0xb0b4c8), at(135, 0xc4b4c4), at(165, 0xdcb4a8), at(190, 0xeebc90),
                         at(210, 0xf8c888), at(228, 0xffd898), at(242, 0xffe6b8), at(250, 0xffecc8),
                         at(255, 0xfff8e8)});
    makeDistinct(p, 0, 255);
    return p;
}

}  // namespace

void forgePalettes(const std::string& dir)
{
    writePalette(forgedPath(dir, dataFile("data/hedelmae.pal")), hedelmaePalette());
    writePalette(forgedPath(dir, dataFile("data/flares.pal")), flaresPalette());
    const Palette green = greenPalette();
    writePalette(forgedPath(dir, dataFile("data/green.pal")), green);
    writePalette(forgedPath(dir, dataFile("data/knot.pal")), green);  // never installed: the knot is shown under green.pal
    const Palette logo = logoPalette();
    writePalette(forgedPath(dir, dataFile("data/logo.pal")), logo);
    writePalette(forgedPath(dir, dataFile("data/sand.pal")), sandPalette(logo));
    writePalette(forgedPath(dir, dataFile("data/water.pal")), waterPalette(logo));
    writePalette(forgedPath(dir, dataFile("data/rainsky.pal")), rainskyPalette());
    const Palette cube = cubePalette();
    const Palette clouds = cloudsPalette(cube);
    writePalette(forgedPath(dir, dataFile("data/cube.pal")), cube);
    writePalette(forgedPath(dir, dataFile("data/clouds.pal")), clouds);
    writePalette(forgedPath(dir, dataFile("data/sparks.pal")), sparksPalette(cube, clouds));
    writePalette(forgedPath(dir, dataFile("data/blue")), bluePalette());
}
