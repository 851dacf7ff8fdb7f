// Video export through the real recorder, Debian's ffmpeg and ffprobe.
#include "support.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Scale = 4;
constexpr int Width = ScreenWidth * Scale, Height = ScreenHeight * Scale;
constexpr int MusicRate = 22050;

std::string capture(const std::string& arguments)
{
    return std::string(DEMO_CAPTURE_PATH) + " " + arguments + " 2>&1";
}

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// One decoded picture, colours converted back as the encoder converted them.
std::vector<uint8_t> decodedFrame(const std::filesystem::path& video, int frame)
{
    const auto out = video.parent_path() / "decoded.rgb";
    const std::string filter = "select=eq(n\\," + std::to_string(frame) +
                               "),scale=in_color_matrix=bt709:in_range=tv:"
                               "flags=neighbor+accurate_rnd+full_chroma_int";
    runCommand("ffmpeg -v error -y -i " + video.string() + " -vf '" + filter +
               "' -frames:v 1 -f rawvideo -pix_fmt rgb24 " + out.string());
    return readFile(out);
}

// A --raw picture (indices, then the palette) enlarged as the export enlarges it.
std::vector<uint8_t> scaledRecording(const std::filesystem::path& raw)
{
    const std::vector<uint8_t> bytes = readFile(raw);
    std::vector<uint8_t> rgb;
    if (bytes.size() != size_t(ScreenPixels) + 768)
        return rgb;
    rgb.reserve(size_t(Width) * Height * 3);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const uint8_t* colour = &bytes[ScreenPixels + 3 * bytes[(y / Scale) * ScreenWidth + x / Scale]];
            rgb.insert(rgb.end(), colour, colour + 3);
        }
    return rgb;
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        squares += double(a[i] - b[i]) * (a[i] - b[i]);
    return 10 * std::log10(255.0 * 255.0 * double(a.size()) / std::max(squares, 1e-9));
}

// Mono samples of the video's sound, resampled to the music's rate.
std::vector<double> exportedSound(const std::filesystem::path& video, double seconds)
{
    const auto out = video.parent_path() / "sound.raw";
    runCommand("ffmpeg -v error -y -i " + video.string() + " -t " + std::to_string(seconds) +
               " -vn -ac 1 -ar " + std::to_string(MusicRate) + " -f s16le " + out.string());
    const std::vector<uint8_t> bytes = readFile(out);
    std::vector<double> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

// Mono samples of the music file from `start`, decoded by libvorbisfile.
std::vector<double> musicFileSound(double start, size_t count)
{
    std::vector<double> samples;
    OggVorbis_File file;
    if (ov_fopen("data/music", &file) != 0)
        return samples;
    ov_pcm_seek(&file, ogg_int64_t(start * MusicRate));
    float** channels = nullptr;
    int section = 0;
    while (samples.size() < count) {
        const long frames = ov_read_float(&file, &channels, int(count - samples.size()), &section);
        if (frames <= 0)
            break;
        for (long i = 0; i < frames; ++i)
            samples.push_back((channels[0][i] + channels[1][i]) * 16384.0);
    }
    ov_clear(&file);
    return samples;
}

// Normalised correlation of a and b shifted by `lag` samples.
double correlation(const std::vector<double>& a, const std::vector<double>& b, int lag)
{
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const long j = long(i) + lag;
        if (j < 0 || j >= long(b.size()))
            continue;
        ab += a[i] * b[size_t(j)];
        aa += a[i] * a[i];
        bb += b[size_t(j)] * b[size_t(j)];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

class VideoExport : public testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_DATA_SET();
        dir = makeTempDir("video");
    }
    std::filesystem::path dir;
};

// Three seconds from 90 s: the stream facts, a picture against the recorder's
// own, and the sound against the music file at the same show time.
TEST_F(VideoExport, ExcerptMatchesTheRecordedPicturesAndTheMusic)
{
    const auto video = dir / "excerpt.mp4";
    const CommandResult run = runCommand(capture("--video " + video.string() +
                                                 " --from 90000 --until 93000 --at 91500 --raw --out " +
                                                 dir.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "excerpt.mp4.partial"));

    const CommandResult probe = runCommand(
        "ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate:"
        "format=duration -of compact=nokey=1 " + video.string());
    EXPECT_EQ(probe.output, "stream|h264|video|1280|960|50/1\nstream|aac|audio|0/0\nformat|3.000000\n");

    // Frame 75 is show time 91.5 s.
    const std::vector<uint8_t> expected = scaledRecording(dir / "frame-91500.raw");
    const std::vector<uint8_t> decoded = decodedFrame(video, 75);
    ASSERT_EQ(decoded.size(), size_t(Width) * Height * 3);
    ASSERT_EQ(expected.size(), decoded.size());
    EXPECT_GE(psnr(decoded, expected), 45.0);

    // The best match within 50 ms either way lies at the same time.
    const std::vector<double> exported = exportedSound(video, 1.0);
    const std::vector<double> original = musicFileSound(90.0, MusicRate);
    ASSERT_GE(exported.size(), size_t(MusicRate) * 99 / 100);
    ASSERT_EQ(original.size(), size_t(MusicRate));
    int bestLag = 0;
    double best = -1;
    for (int lag = -MusicRate / 20; lag <= MusicRate / 20; ++lag)
        if (const double c = correlation(exported, original, lag); c > best)
            best = c, bestLag = lag;
    EXPECT_GE(best, 0.9);
    EXPECT_LE(std::abs(bestLag), MusicRate / 1000) << "samples out of step";
}

// Each failure ends with status 1, says why, and leaves no file that looks
// finished: ffmpeg missing, a folder that cannot be written, and a real
// ffmpeg whose output device fills up once it has begun.
TEST_F(VideoExport, FailuresEndWithAReasonAndNoFinishedFile)
{
    const auto video = dir / "show.mp4";
    const auto partial = dir / "show.mp4.partial";
    const auto emptyFolder = dir / "empty";
    std::filesystem::create_directories(emptyFolder);
    const CommandResult missing =
        runCommand("PATH=" + emptyFolder.string() + " " + capture("--video " + video.string()));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("apt-get install ffmpeg"), std::string::npos) << missing.output;

    const CommandResult unwritable = runCommand(capture("--video " + (dir / "no/such/folder.mp4").string()));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.output.find("cannot write"), std::string::npos) << unwritable.output;

    std::filesystem::create_symlink("/dev/full", partial);
    const CommandResult full = runCommand(capture("--video " + video.string() + " --until 3000"));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.output.find("ffmpeg failed:\n"), std::string::npos) << full.output;
    EXPECT_NE(full.output.find("No space left on device"), std::string::npos) << full.output;

    EXPECT_FALSE(std::filesystem::exists(video));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(partial)));
}

// Every destination that cannot become the video is refused before the show
// runs (the log opened first stays empty), naming the file and the reason:
// a folder, a folder's name, a missing folder, a device, and a name whose
// partial file another export holds locked (flock(1) stands in for it).
TEST_F(VideoExport, DestinationsThatCannotBeTheVideoAreRefusedBeforeTheShow)
{
    const auto folder = dir / "folder";
    std::filesystem::create_directories(folder);
    const auto busy = dir / "busy.mp4";
    const auto log = dir / "before.log";
    const std::pair<std::string, std::string> cases[] = {
        {folder.string(), "Is a directory"},
        {folder.string() + "/", "that is a folder's name"},
        {(dir / "missing/show.mp4").string(), "No such file or directory"},
        {"/dev/null", "not a regular file"},
    };
    for (const auto& [destination, reason] : cases) {
        const CommandResult run =
            runCommand(capture("--log " + log.string() + " --video " + destination));
        EXPECT_EQ(run.status, 1) << destination;
        EXPECT_NE(run.output.find("cannot write the video " + destination + ": " + reason), std::string::npos)
            << run.output;
        EXPECT_EQ(std::filesystem::file_size(log), 0u) << destination;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    const std::string partial = busy.string() + ".partial";
    const CommandResult locked = runCommand("touch " + partial + " && flock " + partial + " " +
                                            capture("--log " + log.string() + " --video " + busy.string()));
    EXPECT_EQ(locked.status, 1);
    EXPECT_NE(locked.output.find("another export is writing it (" + partial + " is locked)"),
              std::string::npos)
        << locked.output;
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
    EXPECT_TRUE(std::filesystem::exists(partial)) << "the other export's file was removed";
}

// A finished export whose name cannot be taken at the end (here a folder made
// there while ffmpeg worked, by a wrapper around the real ffmpeg) is kept
// under its partial name, and the message says where.
TEST_F(VideoExport, FinishedVideoIsKeptWhenItsNameCannotBeTaken)
{
    const auto bin = dir / "bin";
    std::filesystem::create_directories(bin);
    {
        std::ofstream wrapper(bin / "ffmpeg");
        wrapper << "#!/bin/sh\n/usr/bin/ffmpeg \"$@\" || exit\nfor last; do :; done\n"
                   "mkdir \"${last%.partial}\"\n";
    }
    std::filesystem::permissions(bin / "ffmpeg", std::filesystem::perms::owner_all);
    const auto video = dir / "late.mp4";
    const CommandResult run = runCommand("PATH=" + bin.string() + ":$PATH " +
                                         capture("--video " + video.string() + " --until 1000"));
    EXPECT_EQ(run.status, 1);
    const std::string partial = video.string() + ".partial";
    EXPECT_NE(run.output.find("cannot name the video " + video.string() +
                              ": Is a directory; the finished video is kept as " + partial),
              std::string::npos)
        << run.output;
    const CommandResult probe =
        runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + partial);
    EXPECT_EQ(probe.output, "1.000000\n");
}

}  // namespace
