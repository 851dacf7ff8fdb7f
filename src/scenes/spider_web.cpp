#include "scenes/scenes.h"

void updateSpiderWeb() {}
void drawSpiderWeb() {}
