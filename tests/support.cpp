#include "support.h"

#include "objects/forest.h"
#include "objects/greetings.h"
#include "scenes/scenes.h"
#include "show/snapshot.h"
#include "show/startup.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

Screen& testScreen()
{
    static bool created = false;
    if (!created) {
        createScreen(MainScreen, 320, 240, 8);
        buildTrigTables();
        buildPlainTables();
        buildSceneTables();
        created = true;
    }
    return MainScreen;
}

void freshShow()
{
    static bool prepared = false;
    if (!prepared) {
        testScreen();
        SceneForest.screen = &MainScreen;
        createGreetings(SceneGreetings, MainScreen);
        prepareShow();
        prepared = true;
    }
    resetShow();
}

bool haveDataSet()
{
    return std::filesystem::exists("data/music") && std::filesystem::exists("data/tausta");
}

std::filesystem::path makeTempDir(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("demo-test-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

CommandResult runCommand(const std::string& command)
{
    CommandResult result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

void makeTestPicture(Picture& picture, std::vector<uint8_t>& storage, uint16_t width,
                     uint16_t height, uint8_t value)
{
    storage.assign(size_t(width) * height + 1, value);
    picture.screen = &testScreen();
    picture.pixelCount = uint32_t(width) * height;
    picture.pixels = storage.data();
    picture.width = width;
    picture.height = height;
    picture.left = picture.top = 0;
    picture.right = width;
    picture.bottom = height;
    picture.limit = 255;
}

std::string writeSquareOb(const std::string& name)
{
    const auto path = makeTempDir(name) / "square.ob";
    std::ofstream ob(path);
    ob << "*MESH_VERTEX 0 -10 0 -10\n*MESH_VERTEX 1 10 0 -10\n"
          "*MESH_VERTEX 2 -10 0 10\n*MESH_VERTEX 3 10 0 10\n"
          "*MESH_FACE 0: A: 0 B: 1 C: 2\n*MESH_FACE 1: A: 1 B: 3 C: 2\n"
          "*MESH_FACE 2: A: 0 B: 2 C: 1\n*MESH_FACE 3: A: 1 B: 2 C: 3\n"
          "*MESH_TVERT 0 0.0 0.0 0.0\n*MESH_TVERT 1 0.99 0.0 0.0\n"
          "*MESH_TVERT 2 0.0 0.99 0.0\n*MESH_TVERT 3 0.99 0.99 0.0\n"
          "*MESH_TFACE 0 0 1 2\n*MESH_TFACE 1 1 3 2\n*MESH_TFACE 2 0 2 1\n*MESH_TFACE 3 1 2 3\n";
    return path.string();
}
