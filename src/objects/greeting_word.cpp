#include "core/random.h"
#include "objects/greetings.h"
#include "gfx3d/raster.h"
#include "core/fatal.h"
#include "core/tables.h"

#include <cstring>

int32_t GreetingWordsCreated = 0;

// Where each letter is stamped on its stone texture: four 64 x 64 blocks.
// Which faces show them is cube.ob's choice (today only the front and back
// map to a lettered block, the other sides to plain stone), so a cube
// turning on the column shows its letter once.
struct StampPlace {
    int32_t x, y;
};
static constexpr StampPlace LetterStamps[] = {{96, 96}, {16, 16}, {16, 96}, {96, 180}};
constexpr uint8_t LetterInk = 0;

// Cube placement, 8.8 model units along the column's axis: the first letter
// 100 units out, each further letter 22 units beyond it. The tilt keeps the
// x angle within 18 degrees of half a turn (index 0 is -pi), where that axis
// points up the screen, so a word
// enters at the bottom edge and climbs as offsetZ grows, its first letter
// leading. The columns stand 50 pixels apart from x = 50 and share the
// projection centre's row, 160.
constexpr int32_t FirstLetterHeight = -25600;
constexpr int32_t LetterSpacing = 5632;
constexpr int32_t ColumnSpacing = 12800;
constexpr int32_t CubeCentreY = 40960;

// Fall along the column per tick: 270 (8.8) plus a cosine wobble of +-256
// repeating every 32 ticks, so always 14 to 525.
constexpr int32_t FallBase = 270;
constexpr int32_t WobbleStep = 128;
constexpr int32_t SpinStep = 64;
// Stage counts up by two per tick while bursting; the cube goes after the
// third start. The flat colour is -5 - stage: 251, 249, 247.
constexpr int32_t LastVisibleStage = 5;
constexpr int32_t LastCountingStage = 7;
constexpr int32_t BurstColourBase = -5;

// Every word stamps its letters from the same font sheet, so the sheet is
// decoded for the first word on a screen and shared by the others.
static const Font& sharedFont(Screen& screen)
{
    static Font font{};
    if (font.sheet.screen != &screen)
        createFont(font, dataFile("data/font-16x16"), screen, 15, 15);
    return font;
}

void createGreetingWord(GreetingWord& word, Screen& screen, const char* text)
{
    word.screen = &screen;
    const size_t length = std::strlen(text);
    if (length == 0 || length > size_t(MaxWordLength))
        failWithMessage(":(\n");
    word.length = int32_t(length);
    std::memcpy(word.text, text, length + 1);
    word.font = sharedFont(screen);
    word.instance = GreetingWordsCreated++;
    word.active = 0;
    word.leaving = 0;
}

void loadLetterParts(LetterParts& parts, Picture& stone, Screen& screen)
{
    // The show loaded the stone with the table's shape check: the rasteriser
    // and the stamps address it as a 256 x 256 grid.
    parts.stone = &stone;
    loadDataMesh(parts.cube, dataFile("data/cube.ob"), stone, screen);
}

static void copyPicture(Picture& copy, const Picture& original)
{
    copy = original;
    copy.pixels = new uint8_t[original.pixelCount + 1];
    std::memcpy(copy.pixels, original.pixels, original.pixelCount + 1);
}

// A private copy of the stone block with the letter stamped in all four
// blocks; a blank keeps the plain stone.
static void stampLetterTexture(GreetingWord& word, int i, const Picture& stone)
{
    Picture& texture = word.letterTextures[i];
    copyPicture(texture, stone);
    if (word.text[i] == ' ')
        return;
    for (const StampPlace& place : LetterStamps)
        stampGlyph(word.font, place.x, place.y, texture, word.text[i], LetterInk);
}

void placeLetterCube(GreetingWord& word, int i, int32_t tilt)
{
    Mesh& cube = word.letterCubes[i];
    const int32_t k = word.instance;
    cube.angleZ = (k + i) * 256;
    cube.offsetZ = FirstLetterHeight - LetterSpacing * i;
    cube.centreY = CubeCentreY;
    cube.offsetX = 0;
    cube.angleX = tilt;
    cube.shaded = 1;
    cube.offsetY = 0;
    cube.centreX = ColumnSpacing * (k + 1);
}

void buildGreetingWord(GreetingWord& word, const LetterParts& parts)
{
    word.wordTicks = 0;
    const int32_t tilt = showRandom() % 400 - 200;
    for (int i = 0; i < word.length; ++i) {
        stampLetterTexture(word, i, *parts.stone);
        copyMesh(word.letterCubes[i], parts.cube, word.letterTextures[i]);
        placeLetterCube(word, i, tilt);
        word.countdown[i] = i + 1;
        resetSparkBurst(word.bursts[i], *word.screen);
        word.burstStage[i] = 0;
    }
}

// Once a leaving letter's countdown has run out, its burst starts again from
// the cube's first vertex on three ticks in a row, and the cube goes with the
// third start.
static void tickLetter(GreetingWord& word, int i, int32_t fall)
{
    Mesh& cube = word.letterCubes[i];
    int32_t& stage = word.burstStage[i];
    if (cube.visible) {
        cube.offsetZ += fall;
        cube.angleZ += SpinStep;
        transformMesh(cube);
        if (word.leaving) {
            if (word.countdown[i] > 0) {
                word.countdown[i] -= 1;
            } else {
                startSparkBurst(word.bursts[i], cube.screenX[0], cube.screenY[0]);
                stage += 1;
            }
        }
    }
    if (stage >= 1 && stage <= LastCountingStage && cube.visible) {
        stage += 1;
        if (stage > LastVisibleStage)
            cube.visible = 0;
    }
    if (stage > 0)
        tickSparkBurst(word.bursts[i]);
}

void tickGreetingWord(GreetingWord& word)
{
    if (!word.active)
        return;
    word.wordTicks += 1;
    const int32_t fall = CosineTable[(word.wordTicks * WobbleStep) & 4095] + FallBase;
    for (int i = 0; i < word.length; ++i)
        tickLetter(word, i, fall);
}

// A letter whose countdown has run out is drawn flat and unshaded in the
// colour of its burst stage; its sparks outlive the cube.
void drawGreetingWord(GreetingWord& word)
{
    if (!word.active)
        return;
    for (int i = 0; i < word.length; ++i) {
        Mesh& cube = word.letterCubes[i];
        if (cube.visible) {
            if (word.countdown[i] == 0) {
                cube.shaded = 0;
                drawMeshFlat(cube, (BurstColourBase - word.burstStage[i]) & 255);
            } else {
                drawMesh(cube);
            }
        }
        if (word.burstStage[i] > 0)
            drawSparkBurst(word.bursts[i]);
    }
}
