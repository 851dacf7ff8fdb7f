// What the target machine does in one instruction, where the show's inner
// loops take another way without it. The show was made for an ARM9 (ARMv5TE),
// which has none of these; x86-64 has all three.
#pragma once

// A word stored at any byte address: a memcpy of a few constant bytes is one
// store. Without it (ARMv5) the compiler calls memcpy for them.
#if defined(__arm__) && !defined(__ARM_FEATURE_UNALIGNED)
constexpr bool UnalignedWords = false;
#else
constexpr bool UnalignedWords = true;
#endif

// A divide instruction. Without it (32-bit ARM before the divide extension)
// each quotient is a call of dozens of instructions.
#if defined(__arm__) && !defined(__ARM_ARCH_EXT_IDIV__)
constexpr bool HardwareDivide = false;
#else
constexpr bool HardwareDivide = true;
#endif

// A vector unit the compiler uses for plain byte loops (SSE2, NEON): such
// loops then go many pixels at a time and beat hand-made word tricks.
#if defined(__SSE2__) || defined(__ARM_NEON)
constexpr bool VectorUnit = true;
#else
constexpr bool VectorUnit = false;
#endif

// Registers enough for a row loop to keep its walk beside an inner loop's
// pointers and steps (x86-64, with memory operands besides). Without (32-bit
// ARM, 13 free registers) the inner loop reloads them from the stack on every
// pass, and a call of its own, with all registers free, costs less.
#if defined(__arm__)
constexpr bool RoomyRegisters = false;
#else
constexpr bool RoomyRegisters = true;
#endif

// A store of several registers in one instruction (32-bit ARM's
// store-multiple), which GCC forms from stores to consecutive words. Where
// it has one but no vector unit (an ARM9), filling words eight a step beats
// the C library's memset, which on armel stores two words an instruction.
#if defined(__arm__)
constexpr bool StoreMultiple = true;
#else
constexpr bool StoreMultiple = false;
#endif
