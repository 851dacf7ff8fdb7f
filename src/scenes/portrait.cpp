#include "scenes/scenes.h"

void updatePortrait() {}
void drawPortrait() {}
