// Pictures of the spider web at dawn, under forest.pal, where the index is
// the brightness: the misty forest behind the web and the spider's texture.
// The web itself is drawn in 255 (white), so the forest stays below it.
#include "scene_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace paint;

namespace {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr int Size = 256;

// The sun rises behind the trees, up and to the right of the web's hub.
constexpr double SunX = 222, SunY = 58;

// Mist: brightest around the hidden sun, in slanting rays, fading into the
// dark undergrowth; kept within 60..200 so the white threads stand out.
double mistLight(int x, int y)
{
    const double glow = std::exp(-std::hypot(x - SunX, (y - SunY) * 1.3) / 95.0);
    const double angle = std::atan2(y - SunY, x - SunX);
    const double rays =
        std::pow(0.5 + 0.5 * std::sin(angle * 23 + fbm(3, angle, 0, 4, 2) * 6), 3) * (y > SunY ? 1 : 0.3);
    const double haze = smoothstep(250, 120, y);
    return 62 + 110 * glow + 24 * rays * haze * (1 - glow) + 30 * haze;
}

void paintMist(IndexCanvas& c)
{
    paintBox(c, 0, 0, Width - 1, Height - 1,
             [](int x, int y) { return static_cast<int>(std::min(200.0, mistLight(x, y))); });
}

// Trunks in three depths, fainter the farther they stand in the mist.
void paintTrunks(IndexCanvas& c, ForgeRandom& random)
{
    for (int layer = 0; layer < 3; ++layer) {
        const int count = 11 - layer * 3;
        const double width = 3.0 + layer * 5;
        const Ramp ramp = layer == 0 ? Ramp{70, 60} : layer == 1 ? Ramp{36, 50} : Ramp{8, 36};
        for (int i = 0; i < count; ++i) {
            double x = (i + 0.5) * Width / count + randomBelow(random, 24) - 12;
            if (layer == 2)
                x = i < count / 2 ? randomBelow(random, 50) - 10 : Width - randomBelow(random, 50) + 10;
            const double r = width * (0.7 + 0.6 * randomUnit(random));
            drawLimb(c, x + randomBelow(random, 11) - 5, -5, x, Height + 5, r * 0.85, r, ramp, 0.45);
            if (layer > 0)
                for (int b = 0; b < 2; ++b) {
                    const double by = 20 + randomBelow(random, 90);
                    const double dir = x < Width / 2 ? 1 : -1;
                    drawLimb(c, x, by, x + dir * (30 + randomBelow(random, 40)), by - 20 - randomBelow(random, 30),
                             std::max(1.2, r * 0.18), 0.8, ramp, 0.4);
                }
        }
    }
}

// Ferns along the floor: arching fronds of small paired leaflets.
void paintFerns(IndexCanvas& c, ForgeRandom& random)
{
    const Ramp fern{14, 40};
    for (int i = 0; i < 16; ++i) {
        const double rootX = randomBelow(random, Width), rootY = Height + 4;
        for (int frond = 0; frond < 4; ++frond) {
            const double lean = (frond - 1.5) * 0.45 + (randomUnit(random) - 0.5) * 0.3;
            const double length = 40 + randomBelow(random, 30);
            double px = rootX, py = rootY;
            for (int step = 1; step <= 12; ++step) {
                const double s = step / 12.0;
                const double angle = -std::numbers::pi / 2 + lean * (0.6 + 1.4 * s * s);
                const double x = px + std::cos(angle) * length / 12, y = py + std::sin(angle) * length / 12;
                drawLimb(c, px, py, x, y, 1.0, 1.0, fern, 0.3);
                const double size = 11 * (1 - s * 0.7);
                drawLeaf(c, x, y, angle - 1.2, size, size * 0.3, fern, 0.5);
                drawLeaf(c, x, y, angle + 1.2, size, size * 0.3, fern, 0.45);
                px = x;
                py = y;
            }
        }
    }
}

IndexCanvas paintForest()
{
    ForgeRandom random{0x666f7273};
    IndexCanvas c = makeIndexCanvas(Width, Height, 0);
    paintMist(c);
    paintTrunks(c, random);
    paintFerns(c, random);
    return c;
}

// Spider: a garden spider at dawn. forest.pal is one ramp, so the spider
// can differ from the forest only in lightness, and it hangs in front of
// both the bright mist and the dark trunks. Its back is lit pale and its
// belly and flanks fall to near black, so against the mist its dark sides
// outline it and against the trunks its pale back does. Every part shades
// the same way, so abdomen, head and legs read as one body: bold separate
// markings broke it into blobs at its size on screen. The body half (rows
// 0..127, head to tail; column 128 runs along the spine, 0 along the belly)
// carries one joined darker leaf pattern down the abdomen and a near-white
// stripe on the head; the legs (rows 128..255, along the leg) are the body's
// middle tone throughout, a shade darker at the joints, so they stay whole.
IndexCanvas paintSpider()
{
    constexpr int Belly = 8, BackLight = 62, Stripe = 215, Folium = 104, Leg = 30, Joint = 12;
    constexpr int Waist = 28;  // texture row between the head end and the abdomen
    IndexCanvas c = makeIndexCanvas(Size, Size, Belly);
    paintBox(c, 0, 0, Size - 1, 127, [](int x, int y) {
        const double pi = std::numbers::pi;
        const double back = 0.5 + 0.5 * std::cos(2 * pi * (x - 128) / Size);  // 1 on the spine, 0 on the belly
        // Four flat steps of light rather than a smooth gradient, to stay
        // within the picture's budget.
        const int body = Belly + (BackLight - Belly) / 3 * static_cast<int>(back * 3.99);
        const int dx = std::abs(x - 128);
        if (y < Waist)
            return dx < 8 ? Stripe : body;
        // The leaf: a band down the spine that narrows towards the tail,
        // its edge waved so it reads as a pattern, not a seam.
        const int halfWidth = 34 - (y - Waist) / 4 + ((y / 12) % 2 == 0 ? 6 : 0);
        return dx < halfWidth && dx > 6 ? Folium : body;
    });
    paintBox(c, 0, 128, Size - 1, Size - 1, [](int, int y) { return y % 64 < 6 ? Joint : Leg; });
    return c;
}

}  // namespace

void forgeWebPictures(const std::string& dir)
{
    writeConverted(dir, dataFile("data/forest"), paintForest());
    writeConverted(dir, dataFile("data/spidey"), paintSpider());
}
