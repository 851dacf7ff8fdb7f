#include "gfx2d/byte_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

uint8_t byteOf(uint32_t word, int k)
{
    return uint8_t(word >> (8 * k));
}

// Every pair of bytes (b below 128 where a helper needs it), four pairs to a
// word with neighbours that would carry or borrow into them, against the
// byte-by-byte rules.
TEST(ByteWords, EveryPairOfBytesAgreesWithItsByteRule)
{
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b) {
            const uint8_t as[4] = {uint8_t(a), uint8_t(255 - a), uint8_t(a ^ 0x80), uint8_t(b)};
            const uint8_t bs[4] = {uint8_t(b), uint8_t(b), uint8_t(b ^ 0x01), uint8_t(a)};
            uint32_t x = 0, y = 0;
            for (int k = 0; k < 4; ++k) {
                x |= uint32_t(as[k]) << (8 * k);
                y |= uint32_t(bs[k]) << (8 * k);
            }
            const uint32_t small = y & 0x7F7F7F7Fu;
            const uint32_t minus = minusClamped(x, y), minusSmall = minusSmallClamped(x, small);
            const uint32_t atLeast = atLeastSmall(x, small);
            const uint32_t chosen = selectBytes(widenHighBits(atLeast), x, y);
            for (int k = 0; k < 4; ++k) {
                const int ak = as[k], bk = bs[k], sk = bk & 0x7F;
                ASSERT_EQ(byteOf(minus, k), std::max(ak - bk, 0)) << ak << " - " << bk;
                ASSERT_EQ(byteOf(minusSmall, k), std::max(ak - sk, 0)) << ak << " - " << sk;
                ASSERT_EQ(byteOf(atLeast, k), ak >= sk ? 0x80 : 0) << ak << " >= " << sk;
                ASSERT_EQ(byteOf(chosen, k), ak >= sk ? ak : bk) << ak << " >= " << sk;
            }
        }
}

TEST(ByteWords, BytesAcrossTwoWordsAtEveryOffset)
{
    const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint32_t low, high;
    std::memcpy(&low, bytes, 4);
    std::memcpy(&high, bytes + 4, 4);
    for (uint32_t offset = 0; offset < 4; ++offset) {
        uint32_t expected;
        std::memcpy(&expected, bytes + offset, 4);
        EXPECT_EQ(bytesAcross(low, high, 8 * offset), expected) << offset;
    }
}

}  // namespace
