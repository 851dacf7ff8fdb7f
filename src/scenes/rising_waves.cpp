#include "scenes/scenes.h"

void updateWaves() {}
void drawWaves() {}
