// The picture path as the show loads its data pictures: the data table's
// row (exact size, mode, shape) with the input in place of the file. Input:
// the name of a picture of the data table and a newline, then the file, cut or
// padded with zeros to the row's exact size so that it passes the size check
// and reaches the decoder.
#include "fuzz_support.h"

#include "core/data_files.h"
#include "gfx2d/picture.h"

#include <vector>

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
