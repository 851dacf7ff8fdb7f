// Random numbers, palette files and exact-size PNG files of the forge.
//
// Pictures must have an exact size in bytes (the show checks it before it
// decodes them). The forge writes the PNG container itself (signature, IHDR,
// PLTE, one IDAT, IEND) around a zlib stream it frames itself, so it controls
// every byte: the gap up to the budget is filled with one private ancillary
// chunk ("paDd") just before IEND. A chunk costs at least 12 bytes (length,
// type, CRC), so a gap of 1..11 bytes is closed in the image data instead:
// empty deflate blocks ahead of the compressed rows lengthen the stream by a
// known number of bits without changing the decoded image.
#include "forge.h"
#include "output_file.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

[[noreturn]] void stopForge(const std::string& message)
{
    std::fprintf(stderr, "forge: %s\n", message.c_str());
    std::exit(1);
}

// ---------------------------------------------------------------------------
// PNG encoding into memory

struct PngImage {
    int width;
    int height;
    const std::vector<uint8_t>* pixels;
    const Palette* palette;  // null for grayscale
};

// PNG row filters (one byte per pixel at 8 bits), and the adaptive choice
// per row by the smallest sum of absolute residuals; listed from the
// cheapest to undo when the show decodes them to the dearest.
enum Filter { FilterNone, FilterSub, FilterUp, FilterAverage, FilterPaeth, FilterAdaptive };
constexpr Filter FilterChoices[] = {FilterNone, FilterSub, FilterUp, FilterAverage, FilterPaeth, FilterAdaptive};

struct EncoderSettings {
    int level;            // zlib level 1..9
    int strategy;         // Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE, Z_HUFFMAN_ONLY
    Filter filter;
    int emptyFixedBlocks; // empty fixed-Huffman blocks ahead of the data, 10 bits each
    bool emptyStoredBlock;// then an empty stored block, which pads to a byte and adds 4 bytes
    int trailingFixedBlocks; // then more empty fixed blocks, 10 bits each
};

uint8_t paethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

void filterRow(Filter filter, const uint8_t* row, const uint8_t* above, int width, uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        const int a = x > 0 ? row[x - 1] : 0;
        const int b = above ? above[x] : 0;
        const int c = x > 0 && above ? above[x - 1] : 0;
        int predicted = 0;
        switch (filter) {
        case FilterSub: predicted = a; break;
        case FilterUp: predicted = b; break;
        case FilterAverage: predicted = (a + b) >> 1; break;
        case FilterPaeth: predicted = paethPredictor(a, b, c); break;
        default: break;
        }
        out[x] = uint8_t(row[x] - predicted);
    }
}

uint32_t residualCost(const uint8_t* residuals, int width)
{
    uint32_t sum = 0;
    for (int x = 0; x < width; ++x)
        sum += residuals[x] < 128 ? residuals[x] : 256 - residuals[x];
    return sum;
}

// The scanlines as the IDAT stream carries them: a filter byte, then the row.
std::vector<uint8_t> filteredRows(const PngImage& image, Filter filter)
{
    const int width = image.width;
    std::vector<uint8_t> out(size_t(image.height) * size_t(width + 1));
    std::vector<uint8_t> trial(static_cast<size_t>(width));
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = image.pixels->data() + size_t(y) * size_t(width);
        const uint8_t* above = y > 0 ? row - width : nullptr;
        uint8_t* line = out.data() + size_t(y) * size_t(width + 1);
        Filter chosen = filter;
        if (filter == FilterAdaptive) {
            uint32_t best = UINT32_MAX;
            for (Filter candidate : {FilterNone, FilterSub, FilterUp, FilterAverage, FilterPaeth}) {
                filterRow(candidate, row, above, width, trial.data());
                const uint32_t cost = residualCost(trial.data(), width);
                if (cost < best) {
                    best = cost;
                    chosen = candidate;
                }
            }
        }
        line[0] = uint8_t(chosen);
        filterRow(chosen, row, above, width, line + 1);
    }
    return out;
}

void putBig32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

// Inserts bits into the raw deflate output, at most 16 at a time.
void primeBits(z_stream& stream, int bits, uint32_t value)
{
    while (bits > 0) {
        const int part = std::min(bits, 16);
        if (deflatePrime(&stream, part, int(value & ((1u << part) - 1))) != Z_OK)
            stopForge("zlib refused to prime the stream");
        value >>= part;
        bits -= part;
    }
}

// A zlib stream (RFC 1950 header, raw deflate, Adler-32) of the rows.
std::vector<uint8_t> zlibStream(const std::vector<uint8_t>& rows, const EncoderSettings& settings)
{
    z_stream stream{};
    if (deflateInit2(&stream, settings.level, Z_DEFLATED, -15, 9, settings.strategy) != Z_OK)
        stopForge("zlib failed to start");
    // An empty fixed block: BFINAL 0, BTYPE 01 (value 2 in 3 bits, least
    // significant first), then the 7-bit end-of-block code 0.
    int primed = 0;
    for (int i = 0; i < settings.emptyFixedBlocks; ++i, primed += 10)
        primeBits(stream, 10, 2);
    if (settings.emptyStoredBlock) {
        // BFINAL 0, BTYPE 00, zero bits up to the byte boundary, LEN 0, NLEN 0xFFFF.
        const int header = 3 + (8 - (primed + 3) % 8) % 8;
        primeBits(stream, header, 0);
        primeBits(stream, 32, 0xFFFF0000u);
    }
    for (int i = 0; i < settings.trailingFixedBlocks; ++i)
        primeBits(stream, 10, 2);
    // CMF 0x78: deflate with a 32 KiB window; FLG makes the pair a multiple
    // of 31 and carries the level class, as zlib itself writes it.
    const uint8_t levelClass = settings.level <= 1 ? 0 : settings.level <= 5 ? 1 : settings.level == 6 ? 2 : 3;
    uint8_t flags = uint8_t(levelClass << 6);
    flags = uint8_t(flags + (31 - (0x78 * 256 + flags) % 31) % 31);
    std::vector<uint8_t> out = {0x78, flags};
    const size_t headerSize = out.size();
    out.resize(headerSize + deflateBound(&stream, uLong(rows.size())) + 64);
    stream.next_in = const_cast<Bytef*>(rows.data());
    stream.avail_in = uInt(rows.size());
    stream.next_out = out.data() + headerSize;
    stream.avail_out = uInt(out.size() - headerSize);
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
        stopForge("zlib failed to compress a picture");
    out.resize(headerSize + stream.total_out);
    deflateEnd(&stream);
    putBig32(out, uint32_t(adler32(adler32(0, nullptr, 0), rows.data(), uInt(rows.size()))));
    return out;
}

void appendChunk(std::vector<uint8_t>& file, const char type[4], const std::vector<uint8_t>& data)
{
    putBig32(file, uint32_t(data.size()));
    const size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    putBig32(file, uint32_t(crc32(0, file.data() + start, uInt(4 + data.size()))));
}

std::vector<uint8_t> encodePng(const PngImage& image, const std::vector<uint8_t>& rows,
                               const EncoderSettings& settings)
{
    std::vector<uint8_t> file = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, uint32_t(image.width));
    putBig32(header, uint32_t(image.height));
    // Bit depth 8; colour type 3 (indexed) or 0 (gray); deflate; adaptive
    // filtering method 0; no interlace.
    header.insert(header.end(), {8, uint8_t(image.palette ? 3 : 0), 0, 0, 0});
    appendChunk(file, "IHDR", header);
    if (image.palette) {
        std::vector<uint8_t> entries;
        for (const Rgb& c : *image.palette)
            entries.insert(entries.end(), {c.r, c.g, c.b});
        appendChunk(file, "PLTE", entries);
    }
    appendChunk(file, "IDAT", zlibStream(rows, settings));
    appendChunk(file, "IEND", {});
    return file;
}

struct Encoding {
    std::vector<uint8_t> file;
    Filter filter;
};

// The zlib level 9 encodings of a picture, one per filter and strategy,
// ordered by what decoding costs the show: rows without a filter need no
// pass to undo it, Sub and Up a cheap one, Average and Paeth (and rows
// choosing among them all) a dear one. They are made one at a time, only as
// far as a question needs them: whether a picture fits its budget and which
// encoding it is written with are mostly settled by the first few.
struct LevelNineEncodings {
    std::vector<uint8_t> pixels;  // the picture they belong to
    Palette palette{};
    bool indexed = false;
    int width = 0;
    std::vector<uint8_t> filtered;  // the rows under the filter of the last one made
    std::vector<Encoding> made;
};

constexpr int LevelNineStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE};
constexpr size_t LevelNineCount = std::size(FilterChoices) * std::size(LevelNineStrategies);

// The picture's encodings, kept for the last picture asked about, because
// the pictures ask about their fit before they are written.
LevelNineEncodings& levelNineEncodings(const PngImage& image)
{
    static LevelNineEncodings last;
    const bool indexed = image.palette != nullptr;
    if (last.width == image.width && last.indexed == indexed && last.pixels == *image.pixels &&
        (!indexed || std::memcmp(&last.palette, image.palette, sizeof(Palette)) == 0))
        return last;
    last = {*image.pixels, indexed ? *image.palette : Palette{}, indexed, image.width, {}, {}};
    return last;
}

// Encoding i of the picture (i < LevelNineCount), made if it is not yet.
const Encoding& levelNineEncoding(const PngImage& image, size_t i)
{
    LevelNineEncodings& encodings = levelNineEncodings(image);
    while (encodings.made.size() <= i) {
        const size_t next = encodings.made.size();
        const Filter filter = FilterChoices[next / std::size(LevelNineStrategies)];
        const int strategy = LevelNineStrategies[next % std::size(LevelNineStrategies)];
        if (next % std::size(LevelNineStrategies) == 0)
            encodings.filtered = filteredRows(image, filter);
        encodings.made.push_back(
            {encodePng(image, encodings.filtered, {9, strategy, filter, 0, false, 0}), filter});
    }
    return encodings.made[i];
}

// The natural encoding, the smallest (the first of the smallest): the
// budgets were designed with it.
const Encoding& naturalEncoding(const PngImage& image)
{
    size_t smallest = 0;
    for (size_t i = 1; i < LevelNineCount; ++i)
        if (levelNineEncoding(image, i).file.size() < levelNineEncoding(image, smallest).file.size())
            smallest = i;
    return levelNineEncoding(image, smallest);
}

// A gap of 0 needs nothing; a gap of 12 or more takes a padding chunk.
bool gapIsPaddable(size_t encoded, uint32_t target)
{
    return encoded == target || (encoded < target && target - encoded >= 12);
}

// Inserts a chunk of (gap - 12) zero bytes before IEND (the last 12 bytes).
void padToSize(std::vector<uint8_t>& file, uint32_t target)
{
    const size_t gap = target - file.size();
    if (gap == 0)
        return;
    std::vector<uint8_t> chunk;
    appendChunk(chunk, "paDd", std::vector<uint8_t>(gap - 12, 0));
    file.insert(file.end() - 12, chunk.begin(), chunk.end());
}

// Finds an encoding whose gap to target can be padded. A gap of 1..11 bytes
// is closed by lengthening the stream: k empty fixed blocks add 10k bits and
// an empty stored block pads to a byte and adds 4 bytes more, and one or two
// fixed blocks after it shift the data off the byte boundary again. Which
// byte counts they reach depends on how full the stream's last byte is; the
// lengths they miss come from another zlib strategy, level or filter,
// whose stream ends elsewhere in its last byte.
std::vector<uint8_t> encodeForSize(const PngImage& image, uint32_t target, const std::string& path)
{
    if (target == 0)
        return naturalEncoding(image).file;
    for (size_t i = 0; i < LevelNineCount; ++i)
        if (gapIsPaddable(levelNineEncoding(image, i).file.size(), target))
            return levelNineEncoding(image, i).file;
    const Encoding natural = naturalEncoding(image);
    // The natural encoding is already the smallest the forge can make.
    if (natural.file.size() > target)
        stopForge(path + ": encodes to " + std::to_string(natural.file.size()) +
                  " bytes at the least, over its budget of " + std::to_string(target) + "; simplify the picture");
    // The natural filter first, then the others.
    std::vector<std::pair<Filter, std::vector<uint8_t>>> filtered;
    filtered.emplace_back(natural.filter, filteredRows(image, natural.filter));
    for (Filter f : FilterChoices)
        if (f != natural.filter)
            filtered.emplace_back(f, filteredRows(image, f));
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE, Z_HUFFMAN_ONLY}) {
        for (int level : {6, 9, 7, 8, 5, 4, 3, 2, 1}) {
            for (const auto& [filter, rows] : filtered) {
                for (bool stored : {false, true}) {
                    for (int blocks = 0; blocks <= 8; ++blocks) {
                        for (int trailing = 0; trailing <= (stored ? 2 : 0); ++trailing) {
                            std::vector<uint8_t> candidate =
                                encodePng(image, rows, {level, strategy, filter, blocks, stored, trailing});
                            if (gapIsPaddable(candidate.size(), target))
                                return candidate;
                        }
                    }
                }
            }
        }
    }
    stopForge(path + ": no encoding leaves a paddable gap to " + std::to_string(target) +
              " bytes; change the picture a little");
}

void checkImage(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels)
{
    // The show copies decoded rows without skipping padding, which SDL adds
    // to 8-bit rows whose width is not a multiple of 4.
    if (width <= 0 || height <= 0 || width % 4 != 0)
        stopForge(path + ": width must be a positive multiple of 4");
    if (pixels.size() != size_t(width) * size_t(height))
        stopForge(path + ": pixel count does not match its size");
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    OutputFile out(path);
    out.write(bytes.data(), bytes.size());
    out.finish();
}

void putLittle32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

void putLittle16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

// Some encoding leaves the padding room exactly when the smallest does.
bool someEncodingFits(const PngImage& image, uint32_t budget)
{
    for (size_t i = 0; i < LevelNineCount; ++i)
        if (levelNineEncoding(image, i).file.size() + PaddingRoom <= budget)
            return true;
    return false;
}

}  // namespace

// xorshift32 (13, 17, 5). A zero state would stay zero for ever, so it is
// replaced by a fixed non-zero seed.
uint32_t nextRandom(ForgeRandom& random)
{
    uint32_t x = random.state ? random.state : 0x9E3779B9u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    random.state = x;
    return x;
}

// Multiply-shift keeps the result below n without the bias of a modulo.
int randomBelow(ForgeRandom& random, int n)
{
    if (n <= 0)
        return 0;
    return int((uint64_t(nextRandom(random)) * uint64_t(n)) >> 32);
}

double randomUnit(ForgeRandom& random)
{
    return nextRandom(random) * (1.0 / 4294967296.0);
}

void writePalette(const std::string& path, const Palette& palette)
{
    constexpr uint32_t DataBytes = 4 + 256 * 4;  // version, count, entries
    std::vector<uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    putLittle32(out, 4 + 8 + DataBytes);  // form type + chunk header + chunk
    out.insert(out.end(), {'P', 'A', 'L', ' ', 'd', 'a', 't', 'a'});
    putLittle32(out, DataBytes);
    putLittle16(out, 0x0300);
    putLittle16(out, 256);
    for (const Rgb& c : palette)
        out.insert(out.end(), {c.r, c.g, c.b, 0});
    writeFile(path, out);
}

Palette readPalette(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        stopForge("cannot read " + path + ": " + std::strerror(errno));
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 24 + 256 * 4 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "PAL data", 8) != 0)
        stopForge("not a 256-entry palette file: " + path);
    Palette palette;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* entry = bytes.data() + 24 + 4 * i;
        palette[i] = {entry[0], entry[1], entry[2]};
    }
    return palette;
}

uint32_t encodedGraySize(int width, int height, const std::vector<uint8_t>& pixels)
{
    checkImage("gray picture", width, height, pixels);
    return uint32_t(naturalEncoding({width, height, &pixels, nullptr}).file.size());
}

uint32_t encodedIndexedSize(int width, int height, const std::vector<uint8_t>& pixels, const Palette& palette)
{
    checkImage("indexed picture", width, height, pixels);
    return uint32_t(naturalEncoding({width, height, &pixels, &palette}).file.size());
}

bool grayPictureFits(int width, int height, const std::vector<uint8_t>& pixels, uint32_t budget)
{
    checkImage("gray picture", width, height, pixels);
    return someEncodingFits({width, height, &pixels, nullptr}, budget);
}

bool indexedPictureFits(int width, int height, const std::vector<uint8_t>& pixels,
                        const Palette& palette, uint32_t budget)
{
    checkImage("indexed picture", width, height, pixels);
    return someEncodingFits({width, height, &pixels, &palette}, budget);
}

void writeGrayPng(const std::string& path, int width, int height,
                  const std::vector<uint8_t>& pixels, uint32_t exactSize)
{
    checkImage(path, width, height, pixels);
    std::vector<uint8_t> file = encodeForSize({width, height, &pixels, nullptr}, exactSize, path);
    if (exactSize)
        padToSize(file, exactSize);
    writeFile(path, file);
}

void writeIndexedPng(const std::string& path, int width, int height,
                     const std::vector<uint8_t>& pixels, const Palette& palette,
                     uint32_t exactSize)
{
    checkImage(path, width, height, pixels);
    std::vector<uint8_t> file = encodeForSize({width, height, &pixels, &palette}, exactSize, path);
    if (exactSize)
        padToSize(file, exactSize);
    writeFile(path, file);
}

std::string forgedPath(const std::string& dir, const DataFile& file)
{
    return dir + "/" + dataFileName(file);
}

Palette readForgedPalette(const std::string& dir, const DataFile& palette)
{
    return readPalette(forgedPath(dir, palette));
}

Palette paletteAtLoad(const std::string& dir, const DataFile& picture)
{
    const std::string_view prefix = "data/";
    return readPalette(dir + "/" + std::string(std::string_view(picture.paletteAtLoad).substr(prefix.size())));
}
