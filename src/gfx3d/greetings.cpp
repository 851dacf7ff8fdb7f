#include "gfx3d/greetings.h"

Greetings SceneGreetings;

void createGreetings(Greetings& greetings, Screen& screen)
{
    greetings.screen = &screen;
    greetings.activeCount = 1;
}

void buildGreetings(Greetings&) {}
void tickGreetings(Greetings&, int32_t) {}
void drawGreetings(Greetings&) {}
