// The greetings: words of tumbling letter cubes that burst into sparks.
#pragma once

#include "gfx2d/font.h"
#include "gfx2d/picture.h"
#include "gfx3d/mesh.h"
#include "core/screen.h"

#include <cstdint>

constexpr int SparkCount = 150;
// A burst is drawn and moved until its sparks are older than this many ticks.
constexpr int32_t SparkLastAge = 69;
constexpr int32_t SparkGravity = 64;  // 24.8 pixels per tick, added to vy each tick

// 150 sparks drawn as streaks from their previous to their current position.
struct SparkBurst {
    Screen* screen;
    int32_t x[SparkCount];          // 24.8 screen pixels
    int32_t y[SparkCount];
    int32_t previousX[SparkCount];  // 24.8, one tick earlier
    int32_t previousY[SparkCount];
    int32_t age[SparkCount];        // ticks since the last start, all alike
    int32_t vx[SparkCount];         // 24.8 pixels per tick
    int32_t vy[SparkCount];
};

void resetSparkBurst(SparkBurst& burst, Screen& screen);
// Launches every spark from (x, y), 24.8 screen pixels, with a random speed
// and direction: three draws of the show's random generator per spark.
void startSparkBurst(SparkBurst& burst, int32_t x, int32_t y);
void tickSparkBurst(SparkBurst& burst);
void drawSparkBurst(const SparkBurst& burst);

constexpr int MaxWordLength = 10;
constexpr int WordLetterRoom = 12;

// One word of the greetings: a column of letter cubes, each with its own
// stamped stone texture and its own burst.
struct GreetingWord {
    uint8_t active;   // 1: ticked and drawn
    uint8_t leaving;  // 1: letters count down and burst
    Screen* screen;
    Font font;
    int32_t length;
    int32_t instance;  // 0 for the first word constructed, 1 for the next, ...
    uint8_t text[MaxWordLength + 1];
    Picture letterTextures[WordLetterRoom];
    Mesh letterCubes[WordLetterRoom];
    SparkBurst bursts[WordLetterRoom];
    int32_t countdown[WordLetterRoom];   // leaving ticks before the letter bursts
    int32_t burstStage[WordLetterRoom];  // 0: whole; counts up while bursting
    int32_t wordTicks;                   // ticks since the word became active
};

// Words constructed so far in the program; the next word's instance number.
extern int32_t GreetingWordsCreated;

// Checks the word (an empty one or one of more than 10 characters prints
// ":(" and ends the program with status 1), copies it and gives it a font.
void createGreetingWord(GreetingWord& word, Screen& screen, const char* text);
// What every letter starts from: the stone block picture (256 x 256, the
// show's own, loaded with the start palette in force) and the letter cube,
// read once.
struct LetterParts {
    Picture* stone;
    Mesh cube;
};
void loadLetterParts(LetterParts& parts, Picture& stone, Screen& screen);
// Gives every letter a copy of the stone with its letter stamped on and a
// copy of the cube; one random draw for the tilt.
void buildGreetingWord(GreetingWord& word, const LetterParts& parts);
// Places letter i's cube in the word's column, `tilt` its angle about x.
void placeLetterCube(GreetingWord& word, int i, int32_t tilt);
void tickGreetingWord(GreetingWord& word);
void drawGreetingWord(GreetingWord& word);

constexpr int GreetingSlots = 10;

struct Greetings {
    Screen* screen;
    GreetingWord* words[GreetingSlots];  // owned; slots 0 to 3 used
    int32_t wordCount;
    int32_t activeCount;  // words, from slot 0, that are ticked
};

extern Greetings SceneGreetings;

void createGreetings(Greetings& greetings, Screen& screen);
// Builds the four words from the stone block picture; runs after the start
// palette is installed.
void buildGreetings(Greetings& greetings, Picture& stone);
// Bits 0 to 2 of flags bring in words 1 to 3 and send the word before away;
// bit 3 sends word 3 away.
void tickGreetings(Greetings& greetings, int32_t flags);
void drawGreetings(Greetings& greetings);
