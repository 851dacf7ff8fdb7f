// demo-forge [DIR]                  writes the show's whole data set (default "data")
// demo-forge --sheet FILE.png [DIR] draws the contact sheet of a forged data set
// demo-forge --music-wav FILE       writes only the piece of music, as a plain WAV
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
    if (argc > 1 && std::string(argv[1]) == "--music-wav") {
        // Without a file name the option would be taken for a data directory.
        if (argc != 3) {
            std::fprintf(stderr, "usage: demo-forge --music-wav FILE\n");
            return 2;
        }
        forgeMusicWav(argv[2]);
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
