#include "scenes/scenes.h"

void updateAttractor() {}
void drawAttractor() {}
