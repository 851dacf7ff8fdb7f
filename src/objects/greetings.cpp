#include "objects/greetings.h"

#include "gfx3d/raster.h"

Greetings SceneGreetings;
// Set up once at build; every letter copies them. Kept for the program's life.
static LetterParts SharedLetterParts;

// In slot order; the trailing blanks become plain stone cubes.
static const char* const GreetingTexts[] = {"VORTELINE ", "GLIMMERS ", "QUOBALTRIX", "PELIVOSKAN"};

// Depth the cubes are tested against: 100 units, behind everything they draw.
constexpr int32_t GreetingsFarDepth = 100;

void createGreetings(Greetings& greetings, Screen& screen)
{
    greetings.screen = &screen;
    greetings.activeCount = 1;
}

void buildGreetings(Greetings& greetings, Picture& stone)
{
    greetings.wordCount = 0;
    for (const char* text : GreetingTexts) {
        GreetingWord* word = new GreetingWord{};
        createGreetingWord(*word, *greetings.screen, text);
        greetings.words[greetings.wordCount++] = word;
    }
    loadLetterParts(SharedLetterParts, stone, *greetings.screen);
    for (int w = 0; w < greetings.wordCount; ++w)
        buildGreetingWord(*greetings.words[w], SharedLetterParts);
    greetings.activeCount = 1;
    greetings.words[0]->active = 1;
}

// Bit b (0..2) brings in word b + 1 and sends word b away; bit 3 sends the
// last word away. The flags stay set once raised, so this repeats harmlessly.
void tickGreetings(Greetings& greetings, int32_t flags)
{
    for (int b = 0; b < 3; ++b) {
        if (flags & (1 << b)) {
            greetings.words[b + 1]->active = 1;
            greetings.words[b]->leaving = 1;
            greetings.activeCount = b + 2;
        }
    }
    if (flags & 8)
        greetings.words[3]->leaving = 1;
    for (int w = 0; w < greetings.activeCount; ++w)
        tickGreetingWord(*greetings.words[w]);
}

void drawGreetings(Greetings& greetings)
{
    clearDepth(*greetings.screen, GreetingsFarDepth);
    for (int w = 0; w < greetings.wordCount; ++w)
        drawGreetingWord(*greetings.words[w]);
}
