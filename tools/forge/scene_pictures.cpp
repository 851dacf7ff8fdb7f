// The scene pictures, in the order the show loads them. Each group paints in
// the index layout of its palette (scene_art.h) and is written with the
// colours of the palette in force when the show loads it.
#include "scene_art.h"

void forgeScenePictures(const std::string& dir)
{
    forgeKnotPicture(dir);
    forgeLeafPicture(dir);
    forgeMaskPicture(dir);
    forgeJunglePicture(dir);
    forgePortraitPictures(dir);
    forgeWebPictures(dir);
    forgeForestSetPictures(dir);
    forgeStonePicture(dir);
}
