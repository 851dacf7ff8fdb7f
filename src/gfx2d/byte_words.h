// Four 8-bit pixels in one 32-bit word, for loops on machines without a
// vector unit (an ARM9), where one word operation does the work of four byte
// operations. Every helper keeps each byte's result within its own byte: no
// carry or borrow crosses into the next. Byte k of a word is the pixel at
// address + k (little-endian), which only bytesAcross depends on.
#pragma once

#include <cstdint>
#include <cstring>

constexpr uint32_t EveryByte = 0x01010101u;
constexpr uint32_t HighBits = 0x80808080u;  // bit 7 of every byte

// 0xFF in every byte whose bit 7 is set in `high`, 0 elsewhere (`high` has
// no other bits): 0x80 - 0x01 = 0x7F within the byte, then bit 7 back.
constexpr uint32_t widenHighBits(uint32_t high)
{
    return high | (high - (high >> 7));
}

// Per byte: x where `mask` is 0xFF, y where it is 0.
constexpr uint32_t selectBytes(uint32_t mask, uint32_t x, uint32_t y)
{
    return y ^ ((x ^ y) & mask);
}

// Bit 7 set in each byte where a >= b, for every byte of b below 128:
// (a | 0x80) - b stays within 1..255, so no byte borrows, and for a below
// 128 its bit 7 is a >= b; a of 128 or more is at least b anyway.
constexpr uint32_t atLeastSmall(uint32_t a, uint32_t b)
{
    return (((a | HighBits) - b) | a) & HighBits;
}

// Per byte max(a - b, 0), for every byte of b below 128 (as atLeastSmall).
constexpr uint32_t minusSmallClamped(uint32_t a, uint32_t b)
{
    const uint32_t lifted = (a | HighBits) - b;            // a - b + 128 where a < 128
    const uint32_t difference = lifted ^ (~a & HighBits);  // a - b where a >= b
    return difference & widenHighBits((lifted | a) & HighBits);
}

// Per byte max(a - b, 0), any bytes: the low seven bits subtract without
// borrowing out of the byte, bit 7 is made up from a's, b's and the borrow
// into it, and a byte that borrows out of bit 7 (a < b) goes to 0.
constexpr uint32_t minusClamped(uint32_t a, uint32_t b)
{
    const uint32_t difference = ((a | HighBits) - (b & ~HighBits)) ^ (~(a ^ b) & HighBits);
    const uint32_t borrow = ((~a & b) | (~(a ^ b) & difference)) & HighBits;
    return difference & ~widenHighBits(borrow);
}

// The four bytes that start `shift` / 8 bytes into `low` and run on into
// `high` (the word after it), shift 0, 8, 16 or 24. The second shift is
// split so that shift 0 shifts by 32 nowhere.
constexpr uint32_t bytesAcross(uint32_t low, uint32_t high, uint32_t shift)
{
    return (low >> shift) | ((high << 1) << (31 - shift));
}

// The word at `at`, which must be 4-byte aligned: one load even where words
// at other addresses take several (an ARM9).
inline uint32_t loadWord(const uint8_t* at)
{
    uint32_t word;
    std::memcpy(&word, __builtin_assume_aligned(at, 4), 4);
    return word;
}

// Stores `word` at `at`, which must be 4-byte aligned.
inline void storeWord(uint8_t* at, uint32_t word)
{
    std::memcpy(__builtin_assume_aligned(at, 4), &word, 4);
}
