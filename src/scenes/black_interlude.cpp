#include "scenes/scenes.h"

void drawBlackInterlude() {}
