#include "scenes/scenes.h"

void updateKnot() {}
void drawKnot() {}
