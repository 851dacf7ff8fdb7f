// Every data file damaged six ways, each case run through the real recorder
// in a folder whose data/ differs from the forged set in that one file. A run
// either ends with status 1 and one line naming the file, or, where the show
// cannot see the damage (the table below), plays on with status 0. Never a
// crash (a signal), never a hang (the timeout).
#include "core/data_files.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

enum class Damage { Missing, Empty, Half, OneByteMore, BytesFlipped, Directory };

// What the show makes of a damage.
enum class Outcome { Refused, Unseen };

// The damages the show cannot see, and why:
//   palette  half          entries past a short file's end read as 255, by design
//   palette  one more      bytes past the 256 entries are never read
//   palette  flipped       colours are any bytes; only the first byte ('R') is
//                          checked, so a flip there is refused
//   mesh     one more      the reader skips every token that is not a keyword
//   music    half, one more, flipped
//                          the mixer reads the stream's headers at start-up and
//                          decodes the rest as it plays; the pictures follow
//                          the clock, never the music
// Everything else is refused: pictures are whole PNGs of an exact size (or,
// without one, checked chunk by chunk), meshes must hold their counts and
// well-formed numbers, and an empty or missing file or a directory is always
// refused.
Outcome expectedOutcome(DataKind kind, Damage damage, bool firstByteFlipped)
{
    const bool tail = damage == Damage::Half || damage == Damage::OneByteMore;
    switch (kind) {
    case DataKind::Palette:
        if (tail || (damage == Damage::BytesFlipped && !firstByteFlipped))
            return Outcome::Unseen;
        return Outcome::Refused;
    case DataKind::Mesh:
        return damage == Damage::OneByteMore ? Outcome::Unseen : Outcome::Refused;
    case DataKind::Music:
        return tail || damage == Damage::BytesFlipped ? Outcome::Unseen : Outcome::Refused;
    default:
        return Outcome::Refused;
    }
}

std::vector<uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

constexpr int FlippedBytes = 8;

// Writes the damaged copy of `original` at `path`; returns whether byte 0 was
// among the flipped ones. The flips invert whole bytes, at places drawn from
// a generator seeded by the file's size, so every run damages alike.
bool writeDamaged(const fs::path& path, std::vector<uint8_t> bytes, Damage damage)
{
    bool firstByteFlipped = false;
    switch (damage) {
    case Damage::Missing:
        return false;
    case Damage::Directory:
        fs::create_directory(path);
        return false;
    case Damage::Empty:
        bytes.clear();
        break;
    case Damage::Half:
        bytes.resize(bytes.size() / 2);
        break;
    case Damage::OneByteMore:
        bytes.push_back(0xA5);
        break;
    case Damage::BytesFlipped: {
        std::mt19937 draw(uint32_t(bytes.size()));
        for (int i = 0; i < FlippedBytes; ++i) {
            const size_t at = draw() % bytes.size();
            bytes[at] ^= 0xFF;
            firstByteFlipped |= at == 0;
        }
        break;
    }
    }
    writeBytes(path, bytes);
    return firstByteFlipped;
}

// A run folder whose data/ links every forged file but `file`.
fs::path dataSetWithout(const fs::path& dir, const DataFile& file)
{
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    for (const DataFile& other : DataFiles)
        if (std::string_view(other.path) != file.path)
            fs::create_symlink(fs::absolute(other.path), dir / other.path);
    return dir;
}

// The recorder in `dir`, stopped just after start-up: every file is checked
// or read by then. A hang ends at the timeout, with status 124 or 137.
CommandResult runRecorderIn(const fs::path& dir, const std::string& options = "--until 1")
{
    return runCommand("cd '" + dir.string() + "' && timeout -k 2 10 " DEMO_CAPTURE_PATH " " +
                      options + " 2>&1");
}

// Status 1 with exactly one line, naming the file.
void expectRefusalNaming(const CommandResult& run, const std::string& path, const std::string& what)
{
    EXPECT_EQ(run.status, 1) << what << ": " << run.output;
    EXPECT_NE(run.output.find(path), std::string::npos) << what << ": " << run.output;
    EXPECT_TRUE(!run.output.empty() && run.output.find('\n') == run.output.size() - 1)
        << what << ": one line, not: " << run.output;
}

void runMatrixRow(Damage damage, const char* name)
{
    ASSERT_TRUE(haveDataSet()) << "the matrix needs the forged data set in data/";
    const fs::path dir = makeTempDir(std::string("damaged-") + name);
    for (const DataFile& file : DataFiles) {
        const std::vector<uint8_t> original = readBytes(file.path);
        ASSERT_FALSE(original.empty()) << file.path;
        const fs::path run = dataSetWithout(dir / "run", file);
        const bool firstByteFlipped = writeDamaged(run / file.path, original, damage);
        const CommandResult result = runRecorderIn(run);
        const std::string what = std::string(file.path) + " " + name;
        if (expectedOutcome(file.kind, damage, firstByteFlipped) == Outcome::Unseen)
            EXPECT_EQ(result.status, 0) << what << ": " << result.output;
        else
            expectRefusalNaming(result, file.path, what);
    }
    fs::remove_all(dir);
}

// One test per damage, so ctest runs them side by side.
TEST(DamagedData, MissingFiles) { runMatrixRow(Damage::Missing, "missing"); }
TEST(DamagedData, EmptyFiles) { runMatrixRow(Damage::Empty, "empty"); }
TEST(DamagedData, HalfFiles) { runMatrixRow(Damage::Half, "half"); }
TEST(DamagedData, OneByteMore) { runMatrixRow(Damage::OneByteMore, "one-byte-more"); }
TEST(DamagedData, BytesFlipped) { runMatrixRow(Damage::BytesFlipped, "bytes-flipped"); }
TEST(DamagedData, Directories) { runMatrixRow(Damage::Directory, "directory"); }

// Pictures in formats the image library knows but the show does not read,
// with headers whose sizes crashed or corrupted the decoders: refused by name
// before any decoder runs, at the exact size and on the unsized font sheet.
std::vector<uint8_t> foreignPicture(const std::string& format, size_t size)
{
    std::vector<uint8_t> bytes(size, 0);
    auto put16 = [&](size_t at, uint32_t value) {
        bytes[at] = uint8_t(value);
        bytes[at + 1] = uint8_t(value >> 8);
    };
    auto put32 = [&](size_t at, uint32_t value) {
        put16(at, value);
        put16(at + 2, value >> 16);
    };
    if (format == "bmp") {  // 8-bit, 70000 x 1
        bytes[0] = 'B';
        bytes[1] = 'M';
        put32(2, uint32_t(size));
        put32(10, 54 + 1024);
        put32(14, 40);
        put32(18, 70000);
        put32(22, 1);
        put16(26, 1);
        put16(28, 8);
    } else if (format == "pcx") {  // xmin 10, xmax 0: a negative width
        bytes[0] = 0x0A;
        bytes[1] = 5;
        bytes[2] = 1;
        bytes[3] = 8;
        put16(4, 10);
        put16(10, 15);
        bytes[65] = 1;
        put16(66, 0xFFF7);
    } else {  // GIF, 65535 x 65535 with a global palette
        const char header[] = "GIF89a";
        std::copy(header, header + 6, bytes.begin());
        put16(6, 0xFFFF);
        put16(8, 0xFFFF);
        bytes[10] = 0xF7;
    }
    return bytes;
}

TEST(DamagedData, ForeignFormatsAreRefusedBeforeDecoding)
{
    ASSERT_TRUE(haveDataSet()) << "needs the forged data set in data/";
    const fs::path dir = makeTempDir("foreign");
    for (const DataFile& file : {dataFile("data/flare"), dataFile("data/font-16x16")}) {
        const size_t size = file.bytes ? file.bytes : 4096;
        for (const char* format : {"bmp", "pcx", "gif"}) {
            const fs::path run = dataSetWithout(dir / "run", file);
            writeBytes(run / file.path, foreignPicture(format, size));
            const CommandResult result = runRecorderIn(run);
            expectRefusalNaming(result, file.path, std::string(file.path) + " as " + format);
            EXPECT_NE(result.output.find("not a PNG file"), std::string::npos) << result.output;
        }
    }
    fs::remove_all(dir);
}

}  // namespace
