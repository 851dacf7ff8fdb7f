#include "core/fatal.h"

#include "core/data_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

void (*FailureHook)() = nullptr;

void failWithMessage(const char* format, ...)
{
    if (FailureHook)
        FailureHook();
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::exit(1);
}

std::FILE* openDataFile(const char* path)
{
    const DataPath resolved = resolveDataPath(path);
    const char* name = resolved.text;
    struct stat status;
    if (stat(name, &status) != 0) {
        if (errno == ENOENT && isDataSetPath(path))
            failWithMessage("unable to open %s: %s; %s\n", name, std::strerror(ENOENT), dataFolderHint());
        failWithMessage("unable to open %s: %s\n", name, std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode))
        failWithMessage("unable to open %s: %s\n", name, std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        failWithMessage("unable to open %s: not a regular file\n", name);
    std::FILE* file = std::fopen(name, "rb");
    if (!file)
        failWithMessage("unable to open %s: %s\n", name, std::strerror(errno));
    return file;
}
