// The picture path as the show loads its data pictures: the data table's
// row (exact size, mode, shape) with the input in place of the file. Input:
// the name of a picture of the data table and a newline, then the file, cut or
// padded with zeros to the row's exact size, its chunks' CRCs made right, so
// that it passes the size and frame checks and reaches the decoder.
#include "fuzz_support.h"

#include "core/data_files.h"
#include "gfx2d/picture.h"

#include <zlib.h>

#include <vector>

// A wrong CRC is refused before decoding (the loader's tests cover that), so
// without this almost no mutated input would reach the decoder.
static void repairChunkCrcs(std::vector<uint8_t>& bytes)
{
    const auto bigEndian = [&](size_t at) {
        return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 |
               bytes[at + 3];
    };
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = bigEndian(at);
        if (length > bytes.size() - at - 12)
            return;
        const size_t end = at + 8 + length;
        const uint32_t crc = uint32_t(crc32(0, &bytes[at + 4], uInt(4 + length)));
        for (int i = 0; i < 4; ++i)
            bytes[end + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
        at = end + 4;
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startShowForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DataFile* file = takeDataRow(data, size, isPicture);
    if (!file)
        return -1;
    DataFile row = *file;
    std::vector<uint8_t> bytes(data, data + size);
    if (row.bytes != 0)
        bytes.resize(row.bytes, 0);
    repairChunkCrcs(bytes);
    const std::string path = writeInputFile("picture", bytes.data(), bytes.size());
    row.path = path.c_str();
    Picture picture{};
    try {
        loadDataPicture(picture, row, MainScreen);
    } catch (const Refused&) {
    }
    delete[] picture.pixels;
    return 0;
}
