#include "show/caption.h"

#include "core/window.h"
#include "gfx2d/font.h"
#include "show/seek.h"

#include <algorithm>
#include <string>

namespace {

Font CaptionFont;

constexpr int Cell = 16;   // the sheet's cells, 16 to a row, code c in cell c - 32
constexpr int Glyph = 15;  // inked columns and rows of a cell
constexpr int BandRows = (Cell + 4) / 2;  // the band's rows, per unit of enlargement
static_assert(BandRows <= OverlayRows, "the caption stays in the rows the present restores");

// A colour for `surface`: the 32-bit window's own, or in the 8-bit original
// window the palette entry nearest to it.
uint32_t colourFor(SDL_Surface* surface, uint8_t r, uint8_t g, uint8_t b)
{
    const SDL_Palette* palette = surface->format->palette;
    if (!palette)
        return SDL_MapRGB(surface->format, r, g, b);
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < palette->ncolors; ++i) {
        const SDL_Color c = palette->colors[i];
        const int distance = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return uint32_t(best);
}

// A rectangle of one colour, cut to the surface; 8 or 32 bits a pixel.
void fill(SDL_Surface* surface, int x, int y, int w, int h, uint32_t colour)
{
    const int right = std::min(x + w, surface->w), bottom = std::min(y + h, surface->h);
    const int bytes = surface->format->BytesPerPixel;
    for (int row = std::max(y, 0); row < bottom; ++row) {
        auto* line = static_cast<uint8_t*>(surface->pixels) + row * surface->pitch;
        for (int column = std::max(x, 0); column < right; ++column) {
            if (bytes == 4)
                reinterpret_cast<uint32_t*>(line)[column] = colour;
            else
                line[column] = uint8_t(colour);
        }
    }
}

// One line of text on a dark band from (x, y). A sheet pixel k of the line
// covers window pixels k * scale / 2 up to (k + 1) * scale / 2: half the
// picture's enlargement, and in the original window every other sheet pixel,
// so the caption stays within the picture's width.
void drawLine(SDL_Surface* surface, int x, int y, int scale, const std::string& text)
{
    const auto at = [scale](int k) { return k * scale / 2; };
    const uint32_t ink = colourFor(surface, 255, 255, 255);
    const int width = int(text.size()) * Cell + 4, height = 2 * BandRows;
    fill(surface, x, y, at(width), at(height), colourFor(surface, 0, 0, 0));
    const Picture& sheet = CaptionFont.sheet;
    for (size_t n = 0; n < text.size(); ++n) {
        const int code = uint8_t(text[n]);
        const int cell = code >= 32 && code < 128 ? code - 32 : 0;
        const int cellX = (cell % 16) * Cell, cellY = (cell / 16) * Cell;
        const int left = 2 + int(n) * Cell;
        for (int row = 1; row <= Glyph; ++row)
            for (int column = 1; column <= Glyph; ++column) {
                const uint32_t texel = uint32_t((cellY + row) * sheet.width + cellX + column);
                if (texel >= sheet.pixelCount || sheet.pixels[texel] == 0)
                    continue;
                const int px = left + column, py = 1 + row;
                fill(surface, x + at(px), y + at(py), at(px + 1) - at(px), at(py + 1) - at(py), ink);
            }
    }
}

// The notice while a jump computes, else the caption when it is on, at the
// picture's top-left.
void drawOverlay(SDL_Surface* surface, int left, int top, int scale)
{
    if (JumpNotice.empty() && !CaptionShown)
        return;
    if (SDL_MUSTLOCK(surface))
        SDL_LockSurface(surface);
    if (!JumpNotice.empty())
        drawLine(surface, left, top, scale, "jumping " + JumpNotice);
    else
        drawLine(surface, left, top, scale, captionText());
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
}

}  // namespace

void prepareCaption(Screen& screen)
{
    createFont(CaptionFont, dataFile("data/font-16x16"), screen, Glyph, Glyph);
    PresentOverlay = drawOverlay;
}
