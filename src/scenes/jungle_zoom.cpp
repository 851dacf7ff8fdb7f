#include "scenes/scenes.h"

void updateJungle() {}
void drawJungle() {}
