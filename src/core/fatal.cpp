#include "core/fatal.h"

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
