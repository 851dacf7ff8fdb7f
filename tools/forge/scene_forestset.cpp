// Textures of the forest with the spinning calendar, all under junkka.pal:
// the calendar page, the bark of the trunks and the leaf clusters.
#include "scene_art.h"

#include <cmath>
#include <numbers>
#include <string>

using namespace paint;
using namespace JunkkaPal;

namespace {

constexpr int Size = 256;

// Ink where the stroke lettering passes, on whatever lies beneath.
void letter(IndexCanvas& c, const std::string& text, double x, double y, double unit, double tracking,
            double thickness, uint8_t colour)
{
    const Canvas distance = strokeDistance(Size, Size, layoutText(text, x, y, unit, tracking), thickness + 1);
    for (int py = 0; py < Size; ++py)
        for (int px = 0; px < Size; ++px)
            if (canvasAt(distance, px, py) < thickness)
                pixelAt(c, px, py) = colour;
}

// A tear-off day page: binder rings at the top, the month in big white
// capitals on a red header and the day's number filling the page below.
// The calendar spins only some 42 pixels wide, so it shows two large words
// instead of a grid of dates. The pre-rendered views treat index 0 as
// see-through, so every colour here comes from the paper, ink, red and
// metal ramps, none of which touches 0.
IndexCanvas paintCalendar()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, rampIndex(Paper, 0.8));
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        // Paper lit from the top left, a soft shadow under the header.
        return static_cast<int>(rampIndex(Paper, 0.88 - (x + y) * 0.0006 - (y > 86 && y < 94 ? 0.12 : 0)));
    });
    paintBox(c, 0, 22, Size - 1, 86,
             [](int, int y) { return static_cast<int>(rampIndex(Red, 0.62 - (y - 22) * 0.004)); });
    const double monthUnit = 6.5, monthTracking = 2.2;
    letter(c, "MAY", 128 - textWidth("MAY", monthUnit, monthTracking) / 2, 34, monthUnit, monthTracking, 3.4,
           rampIndex(Paper, 1));
    // Binder strip and rings.
    paintBox(c, 0, 0, Size - 1, 14, [](int, int y) { return static_cast<int>(rampIndex(Ink, 0.25 + y * 0.02)); });
    for (int ring = 0; ring < 7; ++ring) {
        const double cx = 22 + ring * 35.3;
        paintBox(c, static_cast<int>(cx) - 8, 0, static_cast<int>(cx) + 8, 26, [cx](int x, int y) {
            const double d = std::hypot((x - cx) / 6.0, (y - 8) / 14.0);
            if (d > 1 || d < 0.62)
                return -1;
            return static_cast<int>(rampIndex(Metal, 0.95 - std::abs(x - cx + 2) * 0.12));
        });
    }
    const double dayUnit = 22, dayTracking = 0.9;
    letter(c, "24", 128 - textWidth("24", dayUnit, dayTracking) / 2, 104, dayUnit, dayTracking, 9,
           rampIndex(Ink, 0.1));
    return c;
}

// Bark: deep vertical furrows between ridged plates, in a dozen shades.
IndexCanvas paintBark()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, 0);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double plates = fbm(7, x / 256.0, y / 256.0 * 0.25, 16, 3);
        const double furrow = std::abs(std::sin(x / 256.0 * 2 * std::numbers::pi * 9 + plates * 9));
        const double t = 0.15 + 0.75 * std::pow(furrow, 0.6) * (0.5 + plates);
        const int shade = static_cast<int>(std::lround(clamp01(t) * 11));  // few shades keep the file small
        return Bark.first + shade * (Bark.count - 1) / 11;
    });
    return c;
}

// Sprays of leaves on thin twigs over the see-through colour. Every leaf
// ends inside the square: a leaf running off the texture's edge would show
// the plane's straight edge on screen. The sprays are laid out on the full
// square and drawn shrunk about its centre to keep that margin.
IndexCanvas paintLeafClusters()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, SeeThrough);
    ForgeRandom random{0x6c656864};
    struct Twig {
        double x0, y0, x1, y1;
    };
    constexpr double Shrink = 0.78;
    const auto in = [](double v) { return Size / 2.0 + (v - Size / 2.0) * Shrink; };
    const Twig laidOut[] = {{20, 236, 200, 40}, {240, 220, 90, 120}, {60, 40, 150, 150}};
    for (const Twig& spray : laidOut) {
        const Twig twig{in(spray.x0), in(spray.y0), in(spray.x1), in(spray.y1)};
        drawLimb(c, twig.x0, twig.y0, twig.x1, twig.y1, 2.2, 1.2, Bark, 0.4);
        const double along = std::atan2(twig.y1 - twig.y0, twig.x1 - twig.x0);
        for (double s = 0.12; s < 1.0; s += 0.11) {
            const double x = twig.x0 + (twig.x1 - twig.x0) * s, y = twig.y0 + (twig.y1 - twig.y0) * s;
            const bool autumn = randomBelow(random, 6) == 0;
            for (int side : {-1, 1}) {
                const double angle = along + side * (0.7 + 0.3 * randomUnit(random));
                // The leaves deep in the spray, near its stem, lie in the
                // shade of those further out, which catch the light: the
                // cluster reads as a mass with depth rather than a flat frieze.
                drawLeaf(c, x, y, angle, (34 + randomBelow(random, 14)) * 0.85, 9, autumn ? Autumn : Leaves,
                         0.3 + 0.3 * s + 0.2 * randomUnit(random));
            }
        }
        drawLeaf(c, twig.x1, twig.y1, along, 30, 9, Leaves, 0.7);
    }
    return c;
}

}  // namespace

void forgeForestSetPictures(const std::string& dir)
{
    writeConverted(dir, dataFile("data/calendar"), paintCalendar());
    writeConverted(dir, dataFile("data/puut"), paintBark());
    writeConverted(dir, dataFile("data/lehdet"), paintLeafClusters());
}
