// The greetings' stone block under cube.pal, whose entries 0..127 are the
// granite ramp: mottled stone in 60..127 (the cubes' shading subtracts up to
// 110, and the letters are stamped over it in colour 0), with chiselled
// edges around the four 64x64 letter blocks.
#include "scene_art.h"

#include <algorithm>
#include <cmath>

using namespace paint;

namespace {

constexpr int Size = 256;
constexpr Ramp Granite{60, 68};  // 60..127
struct Block {
    int x, y;
};
constexpr Block LetterBlocks[] = {{96, 96}, {16, 16}, {16, 96}, {96, 180}};

IndexCanvas paintStone()
{
    IndexCanvas c = makeIndexCanvas(Size, Size, Granite.first);
    paintBox(c, 0, 0, Size - 1, Size - 1, [](int x, int y) {
        const double mottle = fbm(31, x / 256.0, y / 256.0, 8, 4);
        const double grain = hashUnit(37, x / 2, y / 2);  // 2x2 specks keep the file within budget
        double t = 0.3 + 0.55 * mottle + (grain > 0.93 ? 0.14 : grain < 0.06 ? -0.12 : 0);
        // Raised tablets behind the letters: lit top and left rims, shaded
        // bottom and right, and a face at the very top of the ramp with only
        // a trace of the mottle, so the black letters keep their contrast
        // even on the cubes' most shaded sides (the shading subtracts from
        // the index: the paler the face, the more of it survives).
        for (const Block& b : LetterBlocks) {
            const int dx = x - b.x, dy = y - b.y;
            if (dx < -4 || dy < -4 || dx > 67 || dy > 67)
                continue;
            if (dx < 0 || dy < 0)
                t += 0.3;
            else if (dx > 63 || dy > 63)
                t -= 0.35;
            else
                t = 0.9 + 0.12 * (t - 0.3);
        }
        return static_cast<int>(rampIndex(Granite, t));
    });
    return c;
}

}  // namespace

void forgeStonePicture(const std::string& dir)
{
    writeConverted(dir, dataFile("data/stoneblock"), paintStone());
}
