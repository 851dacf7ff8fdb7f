#include "gfx3d/raster.h"

void clearDepth(Screen&, int32_t) {}
void drawMesh(Mesh&) {}
void drawMeshFlat(Mesh&, int32_t) {}
