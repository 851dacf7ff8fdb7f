#include "scenes/scenes.h"

void updateLeaves() {}
void drawLeaves() {}
