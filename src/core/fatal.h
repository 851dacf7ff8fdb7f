// Start-up failures end the program: one line on standard error naming what
// failed, and exit status 1. There is nothing to recover. Standard output
// carries only what the user asked for.
#pragma once

#include <cstdio>

[[noreturn]] void failWithMessage(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// When set, called in place of the message and the exit; it must not return.
// The fuzz targets throw from it, so that one process outlives every input
// the show refuses.
extern void (*FailureHook)();
