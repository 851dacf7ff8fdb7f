// Many 32-bit divisions by one divisor, for targets without a divide
// instruction (an ARM9 calls the C library, some 45 instructions a quotient).
#pragma once

#include <cstdint>

#if defined(__arm__) && !defined(__ARM_ARCH_EXT_IDIV__)
constexpr bool HardwareDivide = false;
#else
constexpr bool HardwareDivide = true;
#endif

// n / divisor truncated toward zero, exactly as int32_t division gives it, for
// every n and every divisor but 0; where the quotient does not fit (INT32_MIN
// / -1) it wraps to INT32_MIN. Without a divide instruction the divisor's
// magnitude d (1 to 2^31) is inverted once, inverse = floor((2^32 - 1) / d),
// and each quotient of a magnitude m (0 to 2^31) is estimated as
// floor(m inverse / 2^32) and corrected once:
//   m inverse / 2^32 = m/d - m (1 + e) / (d 2^32)   with e = (2^32 - 1) mod d
// lies in (m/d - 1, m/d], as (1 + e) / d <= 1 and m < 2^32, so the estimate
// is floor(m/d) or one less, which a remainder of d or more reveals. The
// remainder m - q d is at most m, within 32 bits. The inversion is itself a
// division with a long quotient, which the C library's loop pays for by the
// bit: it pays from three quotients a divisor on. Hardware chooses the way;
// both are built everywhere so that the tests compare them on any machine.
template <bool Hardware>
class DivisorOf {
public:
    explicit DivisorOf(int32_t divisor)
        : divisor_(divisor), magnitude_(magnitudeOf(divisor)),
          inverse_(Hardware ? 0 : 0xFFFFFFFFu / magnitude_)
    {
    }

    int32_t divide(int32_t n) const
    {
        if constexpr (Hardware)
            return divisor_ == -1 ? int32_t(0u - uint32_t(n)) : n / divisor_;
        const uint32_t m = magnitudeOf(n);
        uint32_t q = uint32_t((uint64_t(m) * inverse_) >> 32);
        if (m - q * magnitude_ >= magnitude_)
            ++q;
        return (n < 0) != (divisor_ < 0) ? int32_t(0u - q) : int32_t(q);
    }

private:
    static uint32_t magnitudeOf(int32_t v) { return v < 0 ? 0u - uint32_t(v) : uint32_t(v); }

    int32_t divisor_;
    uint32_t magnitude_;
    uint32_t inverse_;
};

using Divisor = DivisorOf<HardwareDivide>;
