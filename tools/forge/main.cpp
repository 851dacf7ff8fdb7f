// demo-forge [DIR]                  writes the show's whole data set (default "data")
// demo-forge --sheet FILE.png [DIR] draws the contact sheet of a forged data set
#include "forge.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "--sheet") {
        drawContactSheet(argc > 3 ? argv[3] : "data", argv[2]);
        return 0;
    }
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
