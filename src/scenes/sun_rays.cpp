#include "scenes/scenes.h"

void updateSunRays() {}
void drawSunRays() {}
