// demo-forge [DIR]                  writes the show's whole data set (default "data")
// demo-forge --sheet FILE.png [DIR] draws the contact sheet of a forged data set
// demo-forge --music-wav FILE       writes only the piece of music, as a plain WAV
// demo-forge --icons OUT [DIR]      draws the desktop icon from a forged data set
//
// --help prints this usage on stdout and ends with status 0. Anything else
// starting with "-" is a mistake, not a folder name: usage on stderr and
// status 2. A file that cannot be created or written ends the forge with
// status 1 and a line naming it and the reason. Notices go to stderr.
#include "forge.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

static const char* const kUsage = "usage: demo-forge [DIR]\n"
                                  "       demo-forge --sheet FILE.png [DIR]\n"
                                  "       demo-forge --music-wav FILE\n"
                                  "       demo-forge --icons OUT [DIR]\n";

[[noreturn]] static void usage()
{
    std::fputs(kUsage, stderr);
    std::exit(2);
}

static void forgeDataSet(const std::string& dir)
{
    std::filesystem::create_directories(dir);
    forgePalettes(dir);
    forgeScenePalettes(dir);
    forgePictures(dir);
    forgeScenePictures(dir);
    forgeMeshes(dir);
    forgeFont(dir);
    forgeMusic(dir);
    std::fprintf(stderr, "forge: wrote the data set into %s\n", dir.c_str());
}

static void run(const std::vector<std::string>& args)
{
    if (args.empty())
        forgeDataSet("data");
    else if (args.size() == 1 && args[0] == "--help")
        std::fputs(kUsage, stdout);
    else if (args[0] == "--sheet" && (args.size() == 2 || args.size() == 3))
        drawContactSheet(args.size() == 3 ? args[2] : "data", args[1]);
    else if (args[0] == "--icons" && (args.size() == 2 || args.size() == 3))
        forgeIcons(args.size() == 3 ? args[2] : "data", args[1]);
    else if (args[0] == "--music-wav" && args.size() == 2)
        forgeMusicWav(args[1]);
    else if (args.size() == 1 && !args[0].empty() && args[0][0] != '-')
        forgeDataSet(args[0]);
    else
        usage();
}

int main(int argc, char** argv)
{
    try {
        run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::filesystem::filesystem_error& error) {
        std::fprintf(stderr, "forge: cannot create %s: %s\n", error.path1().c_str(),
                     error.code().message().c_str());
        return 1;
    }
    return 0;
}
