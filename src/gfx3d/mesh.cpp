#include "gfx3d/mesh.h"

void loadMesh(Mesh&, const char*, Picture&, Screen&, int32_t, int32_t, int32_t) {}
void transformMesh(Mesh&) {}
