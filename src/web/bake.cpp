// demo-web-bake DIR: runs the desktop show's start-up with SDL's image
// library and writes every picture it loads, as the show ends up holding it,
// into DIR for the web build (web/baked_pictures.h).
#include "core/fatal.h"
#include "show/startup.h"
#include "web/baked_pictures.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

static std::string OutDir;
static std::map<std::string, std::vector<uint8_t>> Baked;  // file name -> indices

// Decodes through the image library (the source unset for the one call), then
// keeps the result. The same name must always give the same indices, or the
// web build could not tell the two apart.
static bool bakePicture(Picture& picture, const char* path, const Screen& screen, bool grayscale)
{
    PictureSource = nullptr;
    loadPicture(picture, path, *picture.screen, 0, grayscale);
    PictureSource = bakePicture;
    const std::string name = bakedPictureName(path, screen, grayscale);
    const std::vector<uint8_t> indices(picture.pixels, picture.pixels + picture.pixelCount);
    const auto [known, added] = Baked.emplace(name, indices);
    if (!added && known->second != indices)
        failWithMessage("demo-web-bake: %s loaded twice with different indices\n", path);
    if (added && !writeBakedPicture(OutDir + "/" + name, picture))
        failWithMessage("demo-web-bake: cannot write %s/%s\n", OutDir.c_str(), name.c_str());
    return true;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo-web-bake DIR\n");
        return 2;
    }
    OutDir = argv[1];
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    constructShowObjects();
    PictureSource = bakePicture;
    prepareShow();
    std::printf("demo-web-bake: %zu pictures in %s\n", Baked.size(), OutDir.c_str());
    return 0;
}
