#include "support.h"

#include <array>
#include <cstdio>
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

uint64_t fnv1a64(const uint8_t* bytes, size_t count)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
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
