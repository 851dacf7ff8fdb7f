// The show's music: the score rendered by the synthesiser, encoded as Ogg
// Vorbis at the mixer's rate so nothing is resampled; on request also as a
// plain WAV, the exact samples before the encoder, to measure or listen to.
// Both are rendered and written a block at a time, so the forge's memory
// stays small however long the piece.
#include "forge.h"
#include "music.h"
#include "music_score.h"

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

void writePage(OutputFile& file, const ogg_page& page)
{
    file.write(page.header, static_cast<size_t>(page.header_len));
    file.write(page.body, static_cast<size_t>(page.body_len));
}

void putLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

OggVorbisWriter::OggVorbisWriter(const std::string& path) : file_(path)
{
    vorbis_info_init(&info_);
    if (vorbis_encode_init_vbr(&info_, 2, kSampleRate, 0.4f) != 0) {
        std::fprintf(stderr, "forge: the Vorbis encoder refused 22050 Hz stereo\n");
        std::exit(1);
    }
    vorbis_comment_init(&comment_);
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&stream_, kStreamSerial);

    ogg_packet header, commentHeader, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &header, &commentHeader, &codebooks);
    ogg_stream_packetin(&stream_, &header);
    ogg_stream_packetin(&stream_, &commentHeader);
    ogg_stream_packetin(&stream_, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0)
        writePage(file_, page);
}

OggVorbisWriter::~OggVorbisWriter()
{
    ogg_stream_clear(&stream_);
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
}

void OggVorbisWriter::drain()
{
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
            ogg_stream_packetin(&stream_, &packet);
            ogg_page page;
            while (ogg_stream_pageout(&stream_, &page) != 0)
                writePage(file_, page);
        }
    }
}

void OggVorbisWriter::write(const Stereo& block)
{
    // Fed in chunks of the size the encoder's own examples use; the
    // encoded stream does not depend on how the samples are split.
    constexpr size_t kChunk = 1024;
    for (size_t at = 0; at < block.left.size(); at += kChunk) {
        const size_t count = std::min(kChunk, block.left.size() - at);
        float** buffer = vorbis_analysis_buffer(&dsp_, static_cast<int>(count));
        std::copy_n(block.left.begin() + static_cast<long>(at), count, buffer[0]);
        std::copy_n(block.right.begin() + static_cast<long>(at), count, buffer[1]);
        vorbis_analysis_wrote(&dsp_, static_cast<int>(count));
        drain();
    }
}

void OggVorbisWriter::finish()
{
    // A zero count marks the end of the stream.
    vorbis_analysis_wrote(&dsp_, 0);
    drain();
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0)
        writePage(file_, page);
    file_.finish();
}

int16_t pcmSample(float sample)
{
    return static_cast<int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

WavWriter::WavWriter(const std::string& path, long frames) : file_(path), frames_(frames)
{
    constexpr uint32_t kChannels = 2, kBytesPerSample = 2;
    const uint32_t dataSize = static_cast<uint32_t>(frames) * kChannels * kBytesPerSample;
    std::vector<uint8_t> bytes;
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
    file_.write(bytes.data(), bytes.size());
}

void WavWriter::write(const Stereo& block)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(4 * block.left.size());
    for (size_t i = 0; i < block.left.size(); ++i) {
        putLittleEndian(bytes, static_cast<uint16_t>(pcmSample(block.left[i])), 2);
        putLittleEndian(bytes, static_cast<uint16_t>(pcmSample(block.right[i])), 2);
    }
    file_.write(bytes.data(), bytes.size());
    written_ += static_cast<long>(block.left.size());
}

void WavWriter::finish()
{
    if (written_ != frames_) {
        std::fprintf(stderr, "forge: %s got %ld frames, its header says %ld\n",
                     file_.path().c_str(), written_, frames_);
        std::exit(1);
    }
    file_.finish();
}

void forgeMusic(const std::string& dir)
{
    OggVorbisWriter file(dir + "/music");
    renderPiece([&](const Stereo& block) { file.write(block); });
    file.finish();
}

void forgeMusicWav(const std::string& path)
{
    WavWriter file(path, pieceLength());
    renderPiece([&](const Stereo& block) { file.write(block); });
    file.finish();
}
