// Many 32-bit divisions by one divisor, for targets without a divide
// instruction (an ARM9 calls the C library, some 45 instructions a quotient).
#pragma once

#include "core/target.h"

#include <array>
#include <cstdint>

// floor((2^32 - 1) / d) for d from 1 to 512, the seeds of inverseBelow.
inline constexpr std::array<uint32_t, 513> InverseSeeds = [] {
    std::array<uint32_t, 513> seeds{};
    for (uint32_t d = 1; d <= 512; ++d)
        seeds[d] = 0xFFFFFFFFu / d;
    return seeds;
}();

// An inverse of d (1 to 2^32 - 1) that is never above 2^32 / d and close
// below it, found without a division: for d up to 512 the seed itself; above,
// the seed of d's top nine bits plus one, shifted by d's remaining bits (an
// inverse of a larger divisor, within 1/256 of d's), then two Newton steps
// inverse += inverse (2^32 - d inverse) / 2^32, rounded down. With x = d
// inverse / 2^32 <= 1 a step gives (2^32 / d) x (2 - x) <= 2^32 / d, so the
// bound holds throughout; d inverse lies in [0, 2^32], and 2^32 - d inverse is
// its 32-bit negation (0 for 2^32 or for an inverse of 0, which only a d of
// 2^31 or more can get and the quotient loop still handles).
inline uint32_t inverseBelow(uint32_t d)
{
    if (d <= 512)
        return InverseSeeds[d];
    const int lowBits = 23 - __builtin_clz(d);  // 1 to 23 as d > 512
    uint32_t inverse = InverseSeeds[(d >> lowBits) + 1] >> lowBits;
    for (int step = 0; step < 2; ++step)
        inverse += uint32_t((uint64_t(inverse) * (0u - d * inverse)) >> 32);
    return inverse;
}

// floor(n / d) for every n and every d from 1 to 2^32 - 1, given an inverse
// of d that is never above 2^32 / d (inverseBelow's): floor(r inverse / 2^32)
// is then at most floor(r / d) for any r, so each step takes at most the
// remainder's quotient (and at least one d while d fits), the remainder never
// goes below 0 and the loop ends with n = q d + r, 0 <= r < d. How close the
// inverse comes only decides how many steps that takes: with inverseBelow's,
// mostly one. Many quotients by one divisor share its inverse.
inline uint32_t quotientWith(uint32_t n, uint32_t d, uint32_t inverse)
{
    uint32_t q = uint32_t((uint64_t(n) * inverse) >> 32);
    uint32_t r = n - q * d;
    while (r >= d) {
        uint32_t more = uint32_t((uint64_t(r) * inverse) >> 32);
        more += more == 0;
        q += more;
        r -= more * d;
    }
    return q;
}

// floor(n / d) for every n and every d from 1 to 2^32 - 1, without a divide
// instruction.
inline uint32_t quotientBelow(uint32_t n, uint32_t d)
{
    return quotientWith(n, d, inverseBelow(d));
}

// n / d truncated toward zero, exactly as int32_t division gives it, for every
// n and every d from 1 to 2^31 - 1. Without a divide instruction d is
// inverted once, inverse = floor((2^32 - 1) / d), and each quotient of a
// magnitude m = |n| (0 to 2^31) is estimated as floor(m inverse / 2^32) and
// corrected once:
//   m inverse / 2^32 = m/d - m (1 + e) / (d 2^32)   with e = (2^32 - 1) mod d
// lies in (m/d - 1, m/d], as (1 + e) / d <= 1 and m < 2^32, so the estimate
// is floor(m/d) or one less, which a remainder of d or more reveals. The
// remainder m - q d is at most m, within 32 bits, and q at most 2^31 takes
// n's sign without overflow. The inversion is itself a division with a long
// quotient, taken by quotientBelow, which costs about what the C library's
// loop takes for a short one. Hardware chooses the way; both are built
// everywhere so that the tests compare them on any machine.
template <bool Hardware>
class DivisorOf {
public:
    explicit DivisorOf(int32_t d) : d_(d), inverse_(Hardware ? 0 : quotientBelow(0xFFFFFFFFu, uint32_t(d))) {}

    int32_t divide(int32_t n) const
    {
        if constexpr (Hardware)
            return n / d_;
        const uint32_t m = n < 0 ? 0u - uint32_t(n) : uint32_t(n);
        uint32_t q = uint32_t((uint64_t(m) * inverse_) >> 32);
        if (m - q * uint32_t(d_) >= uint32_t(d_))
            ++q;
        return n < 0 ? int32_t(0u - q) : int32_t(q);
    }

private:
    int32_t d_;
    uint32_t inverse_;
};

using Divisor = DivisorOf<HardwareDivide>;

// n / d truncated toward zero as int32_t division gives it, for d from 1 to
// 2^31 - 1, where the quotients come in a series that mostly repeats itself
// (a face's rows share their texture step but for rounding). Without a
// divide instruction the last quotient's magnitude q is tried first: it is
// floor(m / d) of the magnitude m exactly when q d <= m < q d + d, which one
// 32 x 32 -> 64-bit multiply decides (q d may exceed 32 bits for a wrong
// guess, never for a right one); otherwise quotientBelow finds it. Both ways
// are built everywhere so that the tests compare them.
template <bool Hardware>
class RepeatingQuotient {
public:
    int32_t divide(int32_t n, int32_t d)
    {
        if constexpr (Hardware)
            return n / d;
        const uint32_t m = n < 0 ? 0u - uint32_t(n) : uint32_t(n);
        const uint64_t below = uint64_t(last_) * uint32_t(d);
        if (below > m || m - uint32_t(below) >= uint32_t(d))
            last_ = quotientBelow(m, uint32_t(d));
        return n < 0 ? int32_t(0u - last_) : int32_t(last_);
    }

private:
    uint32_t last_ = 0;  // the last quotient's magnitude, 0 to 2^31
};
