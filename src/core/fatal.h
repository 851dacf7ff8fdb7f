// Start-up failures end the program: one line on standard output (where the
// failure has a message) and exit status 1. There is nothing to recover.
#pragma once

[[noreturn]] void failWithMessage(const char* format, ...)
    __attribute__((format(printf, 1, 2)));
[[noreturn]] void failSilently();
