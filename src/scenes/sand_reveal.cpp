#include "scenes/scenes.h"

void updateSandReveal() {}
void drawSandReveal() {}
