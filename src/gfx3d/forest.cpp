#include "gfx3d/forest.h"

Forest SceneForest;

void createForest(Forest&) {}
void tickForest(Forest&) {}
void drawForest(Forest&) {}
