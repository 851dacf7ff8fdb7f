#include "scenes/scenes.h"

void drawCloudFlight() {}
