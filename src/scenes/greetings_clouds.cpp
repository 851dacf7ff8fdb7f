#include "scenes/scenes.h"

void updateGreetingsClouds() {}
void drawGreetingsClouds() {}
