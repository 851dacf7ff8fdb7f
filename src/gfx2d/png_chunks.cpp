#include "gfx2d/png_chunks.h"

#include <cstring>

static const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

static uint32_t bigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

bool pngChunksFit(const uint8_t* bytes, size_t size)
{
    if (size < sizeof PngSignature || std::memcmp(bytes, PngSignature, sizeof PngSignature) != 0)
        return true;
    // From each chunk's start: its length and type, then past its data and
    // CRC. A length is below 2^32, so a chunk's size fits 64 bits.
    size_t at = sizeof PngSignature;
    while (size - at >= 8) {
        const uint64_t chunkBytes = 12 + uint64_t(bigEndian32(bytes + at));
        if (chunkBytes > size - at)
            return false;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
        at += size_t(chunkBytes);
    }
    return false;
}
