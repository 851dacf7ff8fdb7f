#include "scenes/scenes.h"

void updateFlood() {}
void drawFlood() {}
