// Index layout of the palettes written by forgePalettes: the pictures paint
// straight into these index ranges, so each range is written down once, here.
#pragma once

#include "paint.h"

namespace ForgePal {

// hedelmae.pal: credits and rotozoom.
namespace Hedelmae {
constexpr int Black = 0;                     // the closing disc
constexpr int Band = 1;                      // outside the iris
constexpr Ramp Credits = rampOver(2, 127);   // plum -> raspberry -> apricot -> cream
constexpr double PanelGround = 0.03;         // credits tone of the panels' edges, the band's colour: near black
constexpr Ramp Roto = rampOver(128, 255);    // grape -> raspberry -> orange -> pale gold
}  // namespace Hedelmae

// logo.pal (0..127 shown in the sand scenes) and sand.pal (into 128..255).
namespace Logo {
constexpr Ramp Sand = rampOver(1, 127);      // lit relief of the logo, dark -> bright
}
namespace SandScene {
constexpr Ramp Sand = rampOver(128, 255);    // sand.pal 0..127 as installed
}

// rainsky.pal: 50..99, 90 and 255 are fixed by the rain; the rest is land.
namespace Rainsky {
constexpr int SkyKey = 255;
constexpr int FlatSky = 90;
constexpr Ramp Rain = rampOver(50, 99);      // bright streak -> sky -> a little darker
constexpr Ramp Woods = rampOver(1, 49);      // trees and hedges
constexpr Ramp Meadow = rampOver(100, 131);  // grass fields
constexpr Ramp Earth = rampOver(132, 151);   // ploughed fields and tracks
constexpr Ramp Rye = rampOver(152, 167);     // ripe fields
constexpr Ramp Hills = rampOver(168, 187);   // distant hills in the haze
constexpr Ramp Cloud = rampOver(188, 227);   // the rain clouds' ceiling, dark base -> lit top
constexpr Ramp Pond = rampOver(228, 237);    // still water, rain-grey
constexpr Ramp Roof = rampOver(238, 244);    // red barn
constexpr Ramp Wall = rampOver(245, 254);    // pale walls and stone
}  // namespace Rainsky

// cube.pal with clouds.pal (into 128..227) and sparks.pal (into 228..251).
namespace Greetings {
constexpr Ramp Stone = rampOver(0, 127);
constexpr int CloudBase = 128;
constexpr int Lightning = 251;
}  // namespace Greetings

}  // namespace ForgePal
