// The palette reader. Input: three bytes choosing the first entry (0..255),
// the count (1..256) and the first slot (so that the run fits the 256 slots),
// then the file.
#include "fuzz_support.h"

#include "core/palette.h"

constexpr size_t HeaderBytes = 3;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startShowForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < HeaderBytes)
        return -1;
    const uint16_t firstEntry = data[0];
    const uint16_t count = uint16_t(data[1] + 1);
    const uint16_t firstSlot = uint16_t(data[2] % (257 - count));
    const std::string path = writeInputFile("palette.pal", data + HeaderBytes, size - HeaderBytes);
    try {
        loadPalette(MainScreen, path.c_str(), firstEntry, count, firstSlot);
    } catch (const Refused&) {
    }
    return 0;
}
