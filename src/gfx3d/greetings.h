// The greetings: words of tumbling letter cubes that burst into sparks.
#pragma once

#include "platform/screen.h"

#include <cstdint>

struct Greetings {
    Screen* screen;
    int32_t activeCount;  // words, from slot 0, that are ticked
};

extern Greetings SceneGreetings;

void createGreetings(Greetings& greetings, Screen& screen);
// Builds the four words; runs after the start palette is installed.
void buildGreetings(Greetings& greetings);
void tickGreetings(Greetings& greetings, int32_t flags);
void drawGreetings(Greetings& greetings);
