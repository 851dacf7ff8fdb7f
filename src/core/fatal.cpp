#include "core/fatal.h"

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
    struct stat status;
    if (stat(path, &status) != 0)
        failWithMessage("unable to open %s: %s\n", path, std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        failWithMessage("unable to open %s: %s\n", path, std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        failWithMessage("unable to open %s: not a regular file\n", path);
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        failWithMessage("unable to open %s: %s\n", path, std::strerror(errno));
    return file;
}
