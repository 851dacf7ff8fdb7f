// Short stores and copies at any address: exactly their bytes, on both the
// word path (x86, newer ARM) and the byte-by-byte path an ARM9 takes.
#include "core/bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>

namespace {

// Every length at every offset within a word, with guard bytes around.
TEST(Bytes, ShortCopiesWriteExactlyTheirBytesOnBothPaths)
{
    std::array<uint8_t, 40> source{};
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = uint8_t(0xA0 + i);
    for (size_t count = 0; count <= 16; ++count)
        for (size_t offset = 0; offset < 4; ++offset) {
            std::array<uint8_t, 40> viaSwitch{}, viaBytes{};
            viaSwitch.fill(7);
            viaBytes.fill(7);
            copyShort(viaSwitch.data() + offset, source.data() + 3, count);
            if (count == 16)
                copyEachByte(viaBytes.data() + offset, source.data() + 3,
                             std::make_index_sequence<16>());
            else
                for (size_t i = 0; i < count; ++i)
                    viaBytes[offset + i] = source[3 + i];
            ASSERT_EQ(viaSwitch, viaBytes) << count << " bytes at offset " << offset;
            for (size_t i = 0; i < viaSwitch.size(); ++i) {
                const bool inside = i >= offset && i < offset + count;
                ASSERT_EQ(viaSwitch[i], inside ? source[3 + i - offset] : 7) << i;
            }
        }
}

TEST(Bytes, FillsSetTheirBytesOnly)
{
    std::array<uint8_t, 12> bytes{};
    bytes.fill(1);
    fillBytes<2>(bytes.data() + 1, 0xFE);
    fillBytes<4>(bytes.data() + 3, 0x80);
    EXPECT_EQ(bytes, (std::array<uint8_t, 12>{1, 0xFE, 0xFE, 0x80, 0x80, 0x80, 0x80, 1, 1, 1, 1, 1}));
    fillBytes<8>(bytes.data() + 3, 0);
    EXPECT_EQ(bytes, (std::array<uint8_t, 12>{1, 0xFE, 0xFE, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

// One lit byte anywhere (or none) in rows of every length and alignment.
TEST(Bytes, FirstNonZeroFindsTheFirstLitByte)
{
    alignas(4) std::array<uint8_t, 48> bytes{};
    for (int32_t start = 0; start < 4; ++start)
        for (int32_t count = 0; count <= 40; ++count)
            for (int32_t lit = -1; lit < count; ++lit) {
                bytes.fill(0);
                bytes[size_t(start + count)] = 9;  // just past the row: never found
                if (lit >= 0) {
                    bytes[size_t(start + lit)] = uint8_t(1 + lit);
                    if (lit + 2 < count)
                        bytes[size_t(start + lit + 2)] = 5;
                }
                ASSERT_EQ(firstNonZero(bytes.data() + start, count), lit >= 0 ? lit : count)
                    << "start " << start << ", count " << count << ", lit " << lit;
            }
}

// Every pair of byte values in every lane, the other lanes holding a second
// pair, so a carry or borrow between lanes would show.
TEST(Bytes, OverNonZeroKeepsEveryLitByteAndShowsTheRestThrough)
{
    const auto plain = [](uint32_t over, uint32_t under) {
        uint32_t merged = 0;
        for (int lane = 0; lane < 32; lane += 8) {
            const uint32_t byte = (over >> lane) & 0xFF;
            merged |= (byte != 0 ? byte : (under >> lane) & 0xFF) << lane;
        }
        return merged;
    };
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            for (int lane = 0; lane < 32; lane += 8) {
                const uint32_t over = (a << lane) | (((a * 7 + b) & 0x81) << ((lane + 8) & 31));
                const uint32_t under = (b << lane) | (0xFFu << ((lane + 16) & 31));
                ASSERT_EQ(overNonZero(over, under), plain(over, under)) << a << " " << b;
            }
}

// Both ways against the byte rule, at aligned and unaligned ends (where the
// word way falls back to bytes).
TEST(Bytes, CopyNonZeroWaysAgree)
{
    alignas(4) std::array<uint8_t, 160> source{}, words{}, bytes{};
    uint32_t state = 99;
    for (uint8_t& b : source) {
        state = state * 1664525u + 1013904223u;
        b = (state >> 28) < 6 ? 0 : uint8_t(state >> 20);
    }
    for (int32_t offset = 0; offset < 4; ++offset)
        for (const int32_t count : {0, 3, 4, 64, 128, 130}) {
            for (size_t i = 0; i < words.size(); ++i)
                words[i] = bytes[i] = uint8_t(i * 3 + 1);
            copyNonZero<true>(words.data() + 4 + offset, source.data() + 8, count);
            copyNonZero<false>(bytes.data() + 4 + offset, source.data() + 8, count);
            ASSERT_EQ(words, bytes) << offset << " " << count;
            for (int32_t i = 0; i < count; ++i) {
                if (source[size_t(8 + i)] != 0) {
                    ASSERT_EQ(words[size_t(4 + offset + i)], source[size_t(8 + i)]);
                }
            }
        }
}

// Both ways of filling words set exactly their words, around the eight- and
// sixteen-word steps, with values memset can and cannot give.
TEST(Bytes, FillWordsWaysSetExactlyTheirWords)
{
    for (const uint32_t value : {0u, 0xFFFFFFFFu, 0x1C1C1C1Cu, 7680u, 0xFFFFFE00u})
        for (const size_t count : {0, 1, 7, 8, 15, 16, 17, 33, 200}) {
            std::array<uint32_t, 210> multiple, plain;
            multiple.fill(42);
            plain.fill(42);
            fillWords<true>(multiple.data() + 1, count, value);
            fillWords<false>(plain.data() + 1, count, value);
            ASSERT_EQ(multiple, plain) << value << " " << count;
            for (size_t i = 0; i < plain.size(); ++i)
                ASSERT_EQ(plain[i], i >= 1 && i <= count ? value : 42u) << i;
        }
}

// A byte range is filled whole at any start and length, words or not.
TEST(Bytes, FillByteRangeSetsExactlyItsBytes)
{
    for (size_t offset = 0; offset < 4; ++offset)
        for (const size_t count : {0, 1, 4, 63, 64, 66, 320}) {
            alignas(4) std::array<uint8_t, 340> bytes;
            bytes.fill(3);
            fillByteRange(bytes.data() + 4 + offset, count, 251);
            for (size_t i = 0; i < bytes.size(); ++i)
                ASSERT_EQ(bytes[i], i >= 4 + offset && i < 4 + offset + count ? 251 : 3)
                    << offset << " " << count << " " << i;
        }
}

}  // namespace
