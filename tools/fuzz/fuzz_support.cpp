#include "fuzz_support.h"

#include "core/fatal.h"
#include "core/tables.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

static constexpr const char* FolderPrefix = "demo-fuzz-";

// A target that crashed never ran its removal: its folder is gone with it
// once no process of that number is left.
static void removeFoldersOfEndedTargets(const std::filesystem::path& base)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(base, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(FolderPrefix, 0) != 0)
            continue;
        const long pid = std::strtol(name.c_str() + std::strlen(FolderPrefix), nullptr, 10);
        if (pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), error);
    }
}

// Never destroyed: the handler that removes it runs after static destructors.
static const std::filesystem::path& ramFolder()
{
    static const auto* folder = [] {
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path base =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        removeFoldersOfEndedTargets(base);
        const auto* own = new std::filesystem::path(base / (FolderPrefix + std::to_string(getpid())));
        std::filesystem::create_directories(*own);
        return own;
    }();
    static const int removal = std::atexit([] { std::filesystem::remove_all(*folder); });
    (void)removal;
    return *folder;
}

std::string writeInputFile(const char* name, const uint8_t* data, size_t size)
{
    const std::string path = (ramFolder() / name).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

const DataFile* takeDataRow(const uint8_t*& data, size_t& size, bool (*kind)(const DataFile&))
{
    const void* newline = std::memchr(data, '\n', size);
    if (!newline)
        return nullptr;
    const size_t length = size_t(static_cast<const uint8_t*>(newline) - data);
    const std::string path = "data/" + std::string(reinterpret_cast<const char*>(data), length);
    data += length + 1;
    size -= length + 1;
    for (const DataFile& file : DataFiles)
        if (kind(file) && path == file.path)
            return &file;
    return nullptr;
}

void startShowForFuzzing()
{
    FailureHook = [] { throw Refused{}; };
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    createScreen(MainScreen, ScreenWidth, ScreenHeight, 8);
    buildTrigTables();
    buildPlainTables();
}
