#include "scenes/scenes.h"

void updateRoto() {}
void drawRoto() {}
