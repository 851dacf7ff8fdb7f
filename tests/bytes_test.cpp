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

}  // namespace
