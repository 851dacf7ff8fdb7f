#include "gfx2d/picture.h"

void loadPicture(Picture&, const char*, Screen&, int32_t, bool) {}
void requirePictureShape(const Picture&, const char*, int, int, int) {}
