// Many 32-bit divisions by one divisor, for targets without a divide
// instruction (an ARM9 calls the C library, some 45 instructions a quotient).
#pragma once

#include "core/target.h"

#include <cstdint>

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
// quotient, which the C library's loop pays for by the bit: it pays from
// three quotients a divisor on. Hardware chooses the way; both are built
// everywhere so that the tests compare them on any machine.
template <bool Hardware>
class DivisorOf {
public:
    explicit DivisorOf(int32_t d) : d_(d), inverse_(Hardware ? 0 : 0xFFFFFFFFu / uint32_t(d)) {}

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
