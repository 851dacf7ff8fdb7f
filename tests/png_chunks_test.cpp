// The chunk walk the picture loader runs before decoding, and the loader
// refusing at once a picture whose chunk runs past the end of the file.
#include "core/data_files.h"
#include "gfx2d/picture.h"
#include "gfx2d/png_chunks.h"
#include "support.h"
#include "test_png.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool fits(const std::vector<uint8_t>& bytes)
{
    return pngChunksFit(bytes.data(), bytes.size());
}

// The first chunk after IHDR (IDAT in the tests' files) claims 2^30 bytes more.
void lengthenSecondChunk(std::vector<uint8_t>& png)
{
    png[8 + 25] |= 0x40;
}

TEST(PngChunks, ChunksWithinTheFileUpToIendPassAndOthersFail)
{
    const auto dir = makeTempDir("png-chunks");
    writeGrayPng(dir / "good.png", 8, 4, std::vector<uint8_t>(32, 7));
    const std::vector<uint8_t> good = readBytes(dir / "good.png");
    EXPECT_TRUE(fits(good));

    std::vector<uint8_t> trailing = good;
    trailing.insert(trailing.end(), 5, 0);
    EXPECT_TRUE(fits(trailing)) << "bytes after IEND are never read";

    std::vector<uint8_t> lengthened = good;
    lengthenSecondChunk(lengthened);
    EXPECT_FALSE(fits(lengthened));
    EXPECT_FALSE(fits({good.begin(), good.end() - 12})) << "no IEND";
    EXPECT_FALSE(fits({good.begin(), good.end() - 1})) << "IEND cut short";

    const std::vector<uint8_t> notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    EXPECT_TRUE(fits(notPng)) << "other formats are the decoder's to judge";
}

TEST(PngChunks, EveryForgedPictureFits)
{
    if (!haveDataSet())
        GTEST_SKIP() << "no forged data set in data/";
    for (const DataFile& file : DataFiles)
        if (isPicture(file)) {
            EXPECT_TRUE(fits(readBytes(file.path))) << file.path;
        }
}

TEST(PngChunks, LoaderRefusesAChunkPastTheEndBeforeDecoding)
{
    const auto dir = makeTempDir("png-chunks-load");
    writeGrayPng(dir / "cut.png", 8, 4, std::vector<uint8_t>(32, 7));
    std::vector<uint8_t> bytes = readBytes(dir / "cut.png");
    lengthenSecondChunk(bytes);
    std::ofstream(dir / "cut.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    Picture picture{};
    EXPECT_EXIT_WITH_OUTPUT(loadPicture(picture, (dir / "cut.png").c_str(), testScreen(), 0, true),
                            "bad picture .*cut.png: a PNG chunk runs past the end of the file");
}

}  // namespace
