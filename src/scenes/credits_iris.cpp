#include "scenes/scenes.h"

void updateCreditsIris() {}
void drawCreditsIris() {}
