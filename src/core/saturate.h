// Byte arithmetic that stops at its bounds instead of wrapping round.
#pragma once

#include <cstdint>

// a + b (both non-negative, sum below 2^31) held at `ceiling` (0..255): a
// sum above the ceiling, even one of an addend already above it, comes down
// to it.
constexpr uint8_t addSaturating(int32_t a, int32_t b, int32_t ceiling = 255)
{
    const int32_t sum = a + b;
    return uint8_t(sum < ceiling ? sum : ceiling);
}

// Any 32-bit value held to 0..255.
constexpr uint8_t clampToByte(int32_t value)
{
    return uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}
