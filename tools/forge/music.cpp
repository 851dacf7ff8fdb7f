// The show's music: the score rendered by the synthesiser, encoded as Ogg
// Vorbis at the mixer's rate so nothing is resampled; on request also as a
// plain WAV, the exact samples before the encoder, to measure or listen to.
#include "forge.h"
#include "music.h"
#include "music_score.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Any fixed value: the stream's serial number is the only input of the
// encoder that would otherwise vary between runs.
constexpr int kStreamSerial = 0x4d555349;

void writePage(std::FILE* file, const ogg_page& page)
{
    std::fwrite(page.header, 1, page.header_len, file);
    std::fwrite(page.body, 1, page.body_len, file);
}

void putLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

void writeOggVorbis(const std::string& path, const std::vector<float>& left,
                    const std::vector<float>& right)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "forge: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kSampleRate, 0.4f) != 0) {
        std::fprintf(stderr, "forge: the Vorbis encoder refused 22050 Hz stereo\n");
        std::exit(1);
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, kStreamSerial);

    ogg_packet header, commentHeader, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        writePage(file, page);

    // Feeds the samples in chunks, then a zero count that marks the end of
    // the stream; each time, every finished block goes out as packets.
    const long total = static_cast<long>(left.size());
    constexpr long kChunk = 1024;
    long at = 0;
    for (;;) {
        const long count = std::min(kChunk, total - at);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i) {
                buffer[0][i] = left[at + i];
                buffer[1][i] = right[at + i];
            }
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        at += count;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    writePage(file, page);
            }
        }
        if (count == 0)
            break;
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        writePage(file, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    const bool written = !std::ferror(file);
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "forge: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

int16_t pcmSample(float sample)
{
    return static_cast<int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

void writeWav(const std::string& path, const std::vector<float>& left,
              const std::vector<float>& right)
{
    constexpr uint32_t kChannels = 2, kBytesPerSample = 2;
    const uint32_t dataSize = static_cast<uint32_t>(left.size()) * kChannels * kBytesPerSample;
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataSize);
    const auto putTag = [&](const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); };
    putTag("RIFF");
    putLittleEndian(bytes, 36 + dataSize, 4);
    putTag("WAVE");
    putTag("fmt ");
    putLittleEndian(bytes, 16, 4);                    // size of the format chunk
    putLittleEndian(bytes, 1, 2);                     // PCM
    putLittleEndian(bytes, kChannels, 2);
    putLittleEndian(bytes, kSampleRate, 4);
    putLittleEndian(bytes, kSampleRate * kChannels * kBytesPerSample, 4);
    putLittleEndian(bytes, kChannels * kBytesPerSample, 2);
    putLittleEndian(bytes, 8 * kBytesPerSample, 2);
    putTag("data");
    putLittleEndian(bytes, dataSize, 4);
    for (size_t i = 0; i < left.size(); ++i) {
        putLittleEndian(bytes, static_cast<uint16_t>(pcmSample(left[i])), 2);
        putLittleEndian(bytes, static_cast<uint16_t>(pcmSample(right[i])), 2);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "forge: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

void forgeMusic(const std::string& dir)
{
    const Stereo piece = mixStems(renderStems());
    writeOggVorbis(dir + "/music", piece.left, piece.right);
}

void forgeMusicWav(const std::string& path)
{
    const Stereo piece = mixStems(renderStems());
    writeWav(path, piece.left, piece.right);
}
