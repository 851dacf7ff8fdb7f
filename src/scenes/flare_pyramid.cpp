#include "scenes/scenes.h"

void updateFlarePyramid() {}
void drawFlarePyramid() {}
void drawZoomTrails() {}
