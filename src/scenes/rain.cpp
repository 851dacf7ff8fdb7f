#include "scenes/scenes.h"

void updateRain() {}
void drawRain() {}
