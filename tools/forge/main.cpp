// demo-forge [directory]: writes the show's whole data set (default "data").
#include "forge.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "data";
    std::filesystem::create_directories(dir);
    forgePalettes(dir);
    forgeScenePalettes(dir);
    forgePictures(dir);
    forgeScenePictures(dir);
    forgeMeshes(dir);
    forgeFont(dir);
    forgeMusic(dir);
    std::printf("forge: wrote the data set into %s\n", dir.c_str());
    return 0;
}
