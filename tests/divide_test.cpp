// Division by a prepared divisor and division without a divide instruction
// against the plain division, over every divisor up to 2^16 and the
// quotients most likely to be off by one.
#include "core/divide.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

int32_t plainQuotient(int32_t n, int32_t d)
{
    return n / d;
}

// Numerators that bracket the multiples of d near 0 and near the ends of the
// range, where an estimate one short would show.
std::vector<int32_t> numeratorsFor(int32_t d)
{
    const int64_t magnitude = d;
    std::vector<int32_t> numerators = {0, 1, -1, INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1};
    for (const int64_t k : {int64_t(1), int64_t(2), int64_t(3), int64_t(INT32_MAX) / magnitude}) {
        for (const int64_t sign : {1, -1})
            for (const int64_t delta : {-1, 0, 1}) {
                const int64_t n = sign * k * magnitude + delta;
                if (n >= INT32_MIN && n <= INT32_MAX)
                    numerators.push_back(int32_t(n));
            }
    }
    return numerators;
}

template <typename Way>
class Divisors : public testing::Test {};
using Ways = testing::Types<DivisorOf<false>, DivisorOf<true>>;
TYPED_TEST_SUITE(Divisors, Ways);

TYPED_TEST(Divisors, MatchPlainDivisionForEveryDivisorUpTo65536)
{
    for (int32_t d = 1; d <= 65536; ++d) {
        const TypeParam divisor(d);
        for (const int32_t n : numeratorsFor(d))
            ASSERT_EQ(divisor.divide(n), plainQuotient(n, d)) << n << " / " << d;
    }
}

TYPED_TEST(Divisors, MatchPlainDivisionForLargeAndRandomDivisors)
{
    std::vector<int32_t> divisors = {INT32_MAX, INT32_MAX - 1, 1 << 30, (1 << 30) + 1, 3 << 20};
    uint32_t random = 99;
    const auto next = [&random] { return random = random * 1664525u + 1013904223u; };
    for (int i = 0; i < 2000; ++i) {
        const int32_t d = int32_t(next() >> (1 + next() % 16));
        if (d != 0)
            divisors.push_back(d);
    }
    for (const int32_t d : divisors) {
        const TypeParam divisor(d);
        for (const int32_t n : numeratorsFor(d))
            ASSERT_EQ(divisor.divide(n), plainQuotient(n, d)) << n << " / " << d;
        for (int i = 0; i < 200; ++i) {
            const int32_t n = int32_t(next());
            ASSERT_EQ(divisor.divide(n), plainQuotient(n, d)) << n << " / " << d;
        }
    }
}

// The divisions without a divide instruction, whose seeds and Newton steps
// differ around every power of two and every ninth-bit boundary. Each
// quotient comes twice, so the repeated guess is right once and wrong (one
// off, or far off with a product beyond 32 bits) at every change.
TEST(RepeatingQuotient, MatchesPlainDivisionAroundEveryBoundaryOfTheDivisor)
{
    std::vector<int32_t> divisors;
    for (int32_t d = 1; d <= 4096; ++d)
        divisors.push_back(d);
    for (int bit = 9; bit < 31; ++bit)
        for (int32_t low = 0; low <= 512; ++low)
            for (const int64_t d : {(int64_t(1) << bit) + (int64_t(low) << (bit - 9)) - 1,
                                    (int64_t(1) << bit) + (int64_t(low) << (bit - 9)),
                                    (int64_t(1) << bit) + (int64_t(low) << (bit - 9)) + 1})
                if (d <= INT32_MAX)
                    divisors.push_back(int32_t(d));
    uint32_t random = 7;
    const auto next = [&random] { return random = random * 1664525u + 1013904223u; };
    RepeatingQuotient<false> series;
    RepeatingQuotient<true> plainSeries;
    for (const int32_t d : divisors) {
        std::vector<int32_t> numerators = numeratorsFor(d);
        numerators.push_back(int32_t(next()));
        for (const int32_t n : numerators)
            for (int twice = 0; twice < 2; ++twice) {
                ASSERT_EQ(series.divide(n, d), plainQuotient(n, d)) << n << " / " << d;
                ASSERT_EQ(plainSeries.divide(n, d), plainQuotient(n, d)) << n << " / " << d;
            }
    }
}

// A face's rows: widths and spans that grow together, so the quotient mostly
// stays and now and then moves by one, either sign.
TEST(RepeatingQuotient, FollowsSlowlyChangingQuotients)
{
    for (const int32_t slope : {1, 255, 256, 3000, 65536, -7, -40000}) {
        RepeatingQuotient<false> series;
        for (int32_t row = 0; row < 2000; ++row) {
            const int32_t width = 300 + row * 37;
            const int32_t span = int32_t(int64_t(width) * slope / 256) + row % 5 - 2;
            const int32_t n = span * 256;
            ASSERT_EQ(series.divide(n, width), plainQuotient(n, width)) << n << " / " << width;
        }
    }
}

TEST(QuotientBelow, MatchesPlainDivisionOverTheWholeUnsignedRange)
{
    uint32_t random = 12345;
    const auto next = [&random] { return random = random * 1664525u + 1013904223u; };
    for (const uint32_t d : {1u, 2u, 3u, 511u, 512u, 513u, 0x7FFFFFFFu, 0x80000000u,
                             0x80000001u, 0xFFFFFFFEu, 0xFFFFFFFFu})
        for (const uint32_t n : {0u, 1u, d - 1, d, d + 1, 0xFFFFFFFEu, 0xFFFFFFFFu})
            ASSERT_EQ(quotientBelow(n, d), n / d) << n << " / " << d;
    for (int i = 0; i < 1000000; ++i) {
        const uint32_t d = next() >> (next() % 32);
        const uint32_t n = next() >> (next() % 32);
        if (d != 0) {
            ASSERT_EQ(quotientBelow(n, d), n / d) << n << " / " << d;
        }
    }
}

}  // namespace
