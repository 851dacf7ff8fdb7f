#include "scenes/scenes.h"

void updateMaskFlash() {}
void drawMaskFlash() {}
