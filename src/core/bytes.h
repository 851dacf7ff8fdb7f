// Short runs of bytes stored at any address, without a call to memcpy.
#pragma once

#include "core/target.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

template <size_t... I>
[[gnu::always_inline]] inline void copyEachByte(uint8_t* to, const uint8_t* from,
                                                std::index_sequence<I...>)
{
    ((to[I] = from[I]), ...);
}

// Copies N bytes (N a constant, at most 16); the ranges may not overlap.
template <size_t N>
[[gnu::always_inline]] inline void copyBytes(uint8_t* to, const uint8_t* from)
{
    static_assert(N <= 16);
    if constexpr (UnalignedWords)
        std::memcpy(to, from, N);
    else
        copyEachByte(to, from, std::make_index_sequence<N>());
}

// Sets N bytes (N a constant, at most 8) to `value`.
template <size_t N>
[[gnu::always_inline]] inline void fillBytes(uint8_t* to, uint8_t value)
{
    static_assert(N <= 8);
    if constexpr (UnalignedWords) {
        // Every byte of the product is `value`, in either byte order.
        const uint64_t repeated = 0x0101010101010101ull * value;
        std::memcpy(to, &repeated, N);
    } else {
        for (size_t i = 0; i < N; ++i)
            to[i] = value;
    }
}

// Copies `count` bytes, 0 to 16, one store each where words cannot be stored
// at any address: no loop and no call for the short runs of an enlarged row.
inline void copyShort(uint8_t* to, const uint8_t* from, size_t count)
{
    switch (count) {
    case 1: copyBytes<1>(to, from); return;
    case 2: copyBytes<2>(to, from); return;
    case 3: copyBytes<3>(to, from); return;
    case 4: copyBytes<4>(to, from); return;
    case 5: copyBytes<5>(to, from); return;
    case 6: copyBytes<6>(to, from); return;
    case 7: copyBytes<7>(to, from); return;
    case 8: copyBytes<8>(to, from); return;
    case 9: copyBytes<9>(to, from); return;
    case 10: copyBytes<10>(to, from); return;
    case 11: copyBytes<11>(to, from); return;
    case 12: copyBytes<12>(to, from); return;
    case 13: copyBytes<13>(to, from); return;
    case 14: copyBytes<14>(to, from); return;
    case 15: copyBytes<15>(to, from); return;
    case 16: copyBytes<16>(to, from); return;
    default: return;
    }
}

// The index of the first byte of p[0..count) that is not 0, or count if there
// is none. Whole aligned words are tested at once: a row of a mask that is
// dark throughout costs a quarter of the byte-by-byte search.
inline int32_t firstNonZero(const uint8_t* p, int32_t count)
{
    int32_t i = 0;
    for (; i < count && (reinterpret_cast<uintptr_t>(p + i) & 3) != 0; ++i)
        if (p[i] != 0)
            return i;
    for (; i + 4 <= count; i += 4) {
        uint32_t word;
        std::memcpy(&word, __builtin_assume_aligned(p + i, 4), 4);
        if (word != 0)
            break;
    }
    for (; i < count; ++i)
        if (p[i] != 0)
            return i;
    return count;
}

// Each byte of `over` that is not 0, else `under`'s byte. (b & 0x7F) + 0x7F
// sets a byte's top bit exactly when its low seven bits are not all 0 and
// never carries into the next byte (at most 0xFE), so together with b's own
// top bit it marks every byte that is not 0; the unmarked ones, times 0xFF,
// become a mask of the bytes `under` shows through. In either byte order.
inline uint32_t overNonZero(uint32_t over, uint32_t under)
{
    const uint32_t lit = ((over & 0x7F7F7F7Fu) + 0x7F7F7F7Fu) | over;
    const uint32_t through = ((~lit & 0x80808080u) >> 7) * 0xFFu;
    return over | (under & through);
}

// Copies the bytes of from[0..count) that are not 0 over to[0..count).
// Words (Words true, both ends 4-aligned, count a multiple of 4) take four
// bytes a step with overNonZero, for targets without a vector unit, which
// would take the plain byte loop many bytes at a time. Both ways are built
// everywhere for the tests.
template <bool Words>
void copyNonZero(uint8_t* __restrict to, const uint8_t* __restrict from, int32_t count)
{
    const bool wordsFit = ((reinterpret_cast<uintptr_t>(to) | reinterpret_cast<uintptr_t>(from) |
                            uintptr_t(count)) & 3) == 0;
    if (Words && wordsFit) {
        for (int32_t i = 0; i < count; i += 4) {
            uint32_t over, under;
            std::memcpy(&over, __builtin_assume_aligned(from + i, 4), 4);
            std::memcpy(&under, __builtin_assume_aligned(to + i, 4), 4);
            const uint32_t merged = overNonZero(over, under);
            std::memcpy(__builtin_assume_aligned(to + i, 4), &merged, 4);
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        to[i] = from[i] != 0 ? from[i] : to[i];
}

// Sets count words from `to` (4-aligned) on to `value`. With Multiple, on
// 32-bit ARM, sixteen words a step in two store-multiples of eight registers
// (see StoreMultiple): five instructions for 64 bytes. GCC forms
// store-multiples of at most four registers from plain stores, and only when
// it happens to allocate them in ascending order, so the step is written out;
// elsewhere Multiple takes eight plain stores a step. The plain way is the C
// library's memset where value's four bytes are equal and a word loop
// otherwise. The stores go through a word type that may alias any memory, as
// a screen's bytes. Both ways are built everywhere for the tests.
template <bool Multiple>
[[gnu::noinline]] void fillWords(void* to, size_t count, uint32_t value)
{
    using Word [[gnu::may_alias]] = uint32_t;
    Word* word = static_cast<Word*>(__builtin_assume_aligned(to, 4));
    if (!Multiple && value == 0x01010101u * (value & 0xFF)) {
        std::memset(word, int(value & 0xFF), count * sizeof *word);
        return;
    }
    if constexpr (Multiple) {
#if defined(__arm__)
        // Eight registers in ascending order, r7 left to Thumb's frame pointer.
        register uint32_t r2 asm("r2") = value;
        register uint32_t r3 asm("r3") = value;
        register uint32_t r4 asm("r4") = value;
        register uint32_t r5 asm("r5") = value;
        register uint32_t r6 asm("r6") = value;
        register uint32_t r8 asm("r8") = value;
        register uint32_t r9 asm("r9") = value;
        register uint32_t r10 asm("r10") = value;
        for (; count >= 16; count -= 16)
            asm volatile("stmia %0!, {%1, %2, %3, %4, %5, %6, %7, %8}\n\t"
                         "stmia %0!, {%1, %2, %3, %4, %5, %6, %7, %8}"
                         : "+r"(word)
                         : "r"(r2), "r"(r3), "r"(r4), "r"(r5), "r"(r6), "r"(r8), "r"(r9),
                           "r"(r10)
                         : "memory");
#else
        for (; count >= 8; count -= 8, word += 8)
            for (int i = 0; i < 8; ++i)
                word[i] = value;
#endif
    }
    for (; count > 0; --count)
        *word++ = value;
}

// Sets n bytes from `to` on to `value`: words eight a step where the target
// stores many in one instruction and both ends are 4-aligned, memset
// otherwise.
inline void fillByteRange(uint8_t* to, size_t n, uint8_t value)
{
    if (StoreMultiple && ((reinterpret_cast<uintptr_t>(to) | n) & 3) == 0)
        fillWords<true>(to, n / 4, 0x01010101u * value);
    else
        std::memset(to, value, n);
}
