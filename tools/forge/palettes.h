// Index layout of the palettes written by forgePalettes: the pictures paint
// straight into these index ranges, so each range is written down once, here.
// A Ramp runs dark to bright.
#pragma once

namespace ForgePal {

struct Span {
    int first;
    int last;  // inclusive
    constexpr int count() const { return last - first + 1; }
    // Index at brightness t (0 = first, 1 = last), clamped and rounded.
    constexpr int at(double t) const
    {
        const double c = t < 0 ? 0 : (t > 1 ? 1 : t);
        return first + int(c * (last - first) + 0.5);
    }
};

// hedelmae.pal: credits and rotozoom.
namespace Hedelmae {
constexpr int Black = 0;            // the closing disc
constexpr int Band = 1;             // outside the iris
constexpr Span Credits{2, 127};     // plum -> raspberry -> apricot -> cream
constexpr double PanelGround = 0.09;  // credits tone of the panels' edges, the band's colour
constexpr Span Roto{128, 255};      // grape -> berry -> orange -> lemon
}  // namespace Hedelmae

// logo.pal (0..127 shown in the sand scenes) and sand.pal (into 128..255).
namespace Logo {
constexpr Span Sand{1, 127};        // lit relief of the logo, dark -> bright
}
namespace SandScene {
constexpr Span Sand{128, 255};      // sand.pal 0..127 as installed
}

// rainsky.pal: 50..99, 90 and 255 are fixed by the rain; the rest is land.
namespace Rainsky {
constexpr int SkyKey = 255;
constexpr int FlatSky = 90;
constexpr Span Rain{50, 99};        // bright streak -> sky -> a little darker
constexpr Span Woods{1, 49};        // trees and hedges
constexpr Span Meadow{100, 131};    // grass fields
constexpr Span Earth{132, 151};     // ploughed fields and tracks
constexpr Span Rye{152, 167};       // ripe fields
constexpr Span Hills{168, 187};     // distant hills in the haze
constexpr Span Cloud{188, 227};     // the rain clouds' ceiling, dark base -> lit top
constexpr Span Pond{228, 237};      // still water, rain-grey
constexpr Span Roof{238, 244};      // red barn
constexpr Span Wall{245, 254};      // pale walls and stone
}  // namespace Rainsky

// cube.pal with clouds.pal (into 128..227) and sparks.pal (into 228..251).
namespace Greetings {
constexpr Span Stone{0, 127};
constexpr int CloudBase = 128;
constexpr int Lightning = 251;
}  // namespace Greetings

}  // namespace ForgePal
