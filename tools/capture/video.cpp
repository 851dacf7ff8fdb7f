#include "video.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

// What each container gets. The screen arrives scaled by nearest neighbour,
// so every screen pixel is a block of identical RGB pixels: converted to
// BT.709 limited range with point sampling, at an even scale and even offsets
// each block owns whole 2 x 2 chroma samples and 4:2:0 (which plays
// everywhere) keeps its colour. The quality settings are the loosest that keep
// the busiest scenes at 45 dB PSNR or better against the recorded pictures;
// H.264's animation tuning suits the large flat blocks.
struct Container {
    const char* suffix;
    const char* muxer;
    std::vector<const char*> codecs;  // ffmpeg's arguments
};
static const Container Containers[] = {
    {".webm", "webm",
     {"-c:v", "libvpx-vp9", "-crf", "10", "-b:v", "0", "-deadline", "good", "-cpu-used", "4",
      "-row-mt", "1", "-c:a", "libopus", "-b:a", "160k"}},
    {".mkv", "matroska",
     {"-c:v", "libx264", "-preset", "medium", "-crf", "6", "-tune", "animation", "-c:a", "flac"}},
    {".mp4", "mp4",
     {"-c:v", "libx264", "-preset", "medium", "-crf", "6", "-tune", "animation", "-c:a", "aac",
      "-b:a", "192k", "-movflags", "+faststart"}},
};
static const char* const Conversion[] = {
    "-vf", "scale=out_color_matrix=bt709:out_range=tv:flags=neighbor+accurate_rnd,format=yuv420p",
    "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"};
constexpr int DefaultScale = 4;
constexpr int MaxScale = 16;
constexpr int MaxFrameSide = 8192;

// Any name not ending in .webm or .mkv is written as MP4, the last row.
static const Container& containerFor(const std::string& path)
{
    for (const Container& container : Containers) {
        const size_t length = std::strlen(container.suffix);
        if (path.size() >= length && path.compare(path.size() - length, length, container.suffix) == 0)
            return container;
    }
    return Containers[std::size(Containers) - 1];
}

bool layOutVideo(const VideoOptions& options, VideoLayout& layout, std::string& problem)
{
    const bool fit = options.fitWidth > 0 || options.fitHeight > 0;
    if (fit && (options.fitWidth % 2 || options.fitHeight % 2 || options.fitWidth > MaxFrameSide ||
                options.fitHeight > MaxFrameSide)) {
        problem = "--fit takes an even width and height of at most 8192";
        return false;
    }
    int scale = options.scale;
    if (scale == 0 && fit)
        scale = std::min(options.fitWidth / ScreenWidth, options.fitHeight / ScreenHeight);
    else if (scale == 0)
        scale = DefaultScale;
    if (scale < 1 || scale > MaxScale) {
        problem = fit ? "--fit needs at least 320x240" : "--scale takes 1 to 16";
        return false;
    }
    layout.scale = scale;
    layout.width = fit ? options.fitWidth : ScreenWidth * scale;
    layout.height = fit ? options.fitHeight : ScreenHeight * scale;
    if (ScreenWidth * scale > layout.width || ScreenHeight * scale > layout.height) {
        problem = "the scaled picture is larger than --fit";
        return false;
    }
    layout.left = (layout.width - ScreenWidth * scale) / 2 & ~1;
    layout.top = (layout.height - ScreenHeight * scale) / 2 & ~1;
    return true;
}

// The temporary name, for removal by exit and by signals (hence a C string).
static char PartialToRemove[4096];

static void removePartial()
{
    if (PartialToRemove[0])
        unlink(PartialToRemove);
}

static void removePartialAndDie(int signal)
{
    removePartial();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

[[noreturn]] static void videoFailure(const std::string& message)
{
    std::fprintf(stderr, "demo-capture: %s\n", message.c_str());
    std::exit(1);
}

static std::string findOnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t colon = folders.find(':', start);
        if (colon == std::string::npos)
            colon = folders.size();
        const std::string folder = colon > start ? folders.substr(start, colon - start) : ".";
        const std::string candidate = folder + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = colon + 1;
    }
    return {};
}

// Refuses a destination that cannot become the video, before the show runs:
// a folder's name, something other than a regular file (renaming over a
// device or a pipe would replace it), a folder that is missing or cannot be
// written, and a name another export is writing. The partial file is created
// if need be and locked for the whole export; ffmpeg truncates it when it
// opens it, so a stale one from an export that died is simply reused.
static void claimDestination(VideoExport& video)
{
    const std::string& path = video.options.path;
    const std::string refused = "cannot write the video " + path + ": ";
    if (path.empty() || path.back() == '/')
        videoFailure(refused + "that is a folder's name; give the file's name");
    if (struct stat info; stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            videoFailure(refused + std::strerror(EISDIR));
        if (!S_ISREG(info.st_mode))
            videoFailure(refused + "not a regular file");
    }

    video.partialPath = path + ".partial";
    if (video.partialPath.size() >= sizeof PartialToRemove)
        videoFailure(refused + "the name is too long");
    video.partialLock = open(video.partialPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (video.partialLock < 0)
        videoFailure(refused + std::strerror(errno));
    if (flock(video.partialLock, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            videoFailure(refused + "another export is writing it (" + video.partialPath + " is locked)");
        videoFailure(refused + "cannot lock " + video.partialPath + ": " + std::strerror(errno));
    }
}

void prepareVideo(VideoExport& video, const VideoOptions& options, const VideoLayout& layout,
                  uint32_t end)
{
    video.options = options;
    video.layout = layout;
    video.end = end;
    video.nextFrame = options.from;
    video.framesPlanned = (end - options.from + VideoFrameMilliseconds - 1) / VideoFrameMilliseconds;
    video.encoderPath = findOnPath("ffmpeg");
    if (video.encoderPath.empty())
        videoFailure("ffmpeg is not installed; install it with: apt-get install ffmpeg");

    claimDestination(video);
    std::strcpy(PartialToRemove, video.partialPath.c_str());
    std::atexit(removePartial);
    std::signal(SIGINT, removePartialAndDie);
    std::signal(SIGTERM, removePartialAndDie);
    std::signal(SIGHUP, removePartialAndDie);
}

// Milliseconds as ffmpeg's seconds, exactly.
static std::string seconds(uint32_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%03u", milliseconds / 1000, milliseconds % 1000);
    return text;
}

static std::vector<std::string> encoderArguments(const VideoExport& video, const char* musicPath)
{
    const Container& container = containerFor(video.options.path);
    const std::string size = std::to_string(video.layout.width) + "x" + std::to_string(video.layout.height);
    std::vector<std::string> arguments = {
        video.encoderPath, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-framerate", "50", "-i", "pipe:0",
        "-ss", seconds(video.options.from), "-t", seconds(video.framesPlanned * VideoFrameMilliseconds),
        "-i", musicPath, "-map", "0:v", "-map", "1:a"};
    arguments.insert(arguments.end(), std::begin(Conversion), std::end(Conversion));
    arguments.insert(arguments.end(), container.codecs.begin(), container.codecs.end());
    // A show ended early by a key ends the pictures early; the music stops there too.
    for (const char* word : {"-ar", "48000", "-shortest", "-f", container.muxer})
        arguments.push_back(word);
    arguments.push_back(video.partialPath);
    return arguments;
}

void startVideo(VideoExport& video, const char* musicPath)
{
    const std::vector<std::string> arguments = encoderArguments(video, musicPath);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    char messagesName[] = "/tmp/demo-capture-ffmpeg-XXXXXX";
    video.encoderMessages = mkstemp(messagesName);
    int pipeEnds[2];
    if (video.encoderMessages < 0 || pipe(pipeEnds) != 0)
        videoFailure(std::string("cannot start ffmpeg: ") + std::strerror(errno));
    unlink(messagesName);
    // A write to an ended ffmpeg must fail with EPIPE, not end us silently.
    std::signal(SIGPIPE, SIG_IGN);
    std::fflush(nullptr);
    video.encoder = fork();
    if (video.encoder < 0)
        videoFailure(std::string("cannot start ffmpeg: ") + std::strerror(errno));
    if (video.encoder == 0) {
        dup2(pipeEnds[0], 0);
        dup2(video.encoderMessages, 1);
        dup2(video.encoderMessages, 2);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        close(video.encoderMessages);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "cannot run %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    close(pipeEnds[0]);
    video.toEncoder = pipeEnds[1];
    fcntl(video.toEncoder, F_SETFD, FD_CLOEXEC);
    video.frame.assign(size_t(video.layout.width) * video.layout.height * 3, 0);
    video.started = std::chrono::steady_clock::now();
}

// ffmpeg's own account of a failure: its first error line, which names the
// cause, then its last two, which say where it gave up (often a bare "Error
// initializing output stream"). Its notes that a line repeated say nothing.
static std::string encoderMessages(const VideoExport& video)
{
    std::string text;
    char buffer[4096];
    ssize_t count;
    off_t offset = 0;
    while ((count = pread(video.encoderMessages, buffer, sizeof buffer, offset)) > 0) {
        text.append(buffer, size_t(count));
        offset += count;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && line.find("Last message repeated") == std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    std::string message;
    for (size_t i = 0; i < lines.size(); ++i)
        if (i == 0 || i + 2 >= lines.size())
            message += "\n  " + lines[i];
    return message;
}

// Waits for ffmpeg; on failure says why and ends the run with status 1.
static void awaitEncoder(VideoExport& video)
{
    if (video.toEncoder >= 0)
        close(video.toEncoder);
    video.toEncoder = -1;
    int status = 0;
    while (waitpid(video.encoder, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return;
    if (WIFSIGNALED(status))
        videoFailure("ffmpeg was killed by signal " + std::to_string(WTERMSIG(status)));
    videoFailure("ffmpeg failed:" + encoderMessages(video));
}

static void sendFrame(VideoExport& video)
{
    const uint8_t* bytes = video.frame.data();
    size_t left = video.frame.size();
    while (left > 0) {
        const ssize_t written = write(video.toEncoder, bytes, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            awaitEncoder(video);
            videoFailure("ffmpeg stopped reading the pictures");
        }
        bytes += written;
        left -= size_t(written);
    }
}

static std::string clockText(double seconds)
{
    const long whole = long(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

static double secondsSinceStart(const VideoExport& video)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - video.started).count();
}

// A bar redrawn in place on a terminal; elsewhere one line every 10 %.
static void showProgress(VideoExport& video)
{
    const uint32_t done = video.framesSent, planned = video.framesPlanned;
    const bool terminal = isatty(2);
    const int step = int(uint64_t(done) * (terminal ? 1000 : 10) / planned);
    if (step == video.progressShown)
        return;
    video.progressShown = step;
    const double elapsed = secondsSinceStart(video);
    const int percent = int(uint64_t(done) * 100 / planned);
    if (!terminal) {
        std::fprintf(stderr, "demo-capture: video %d%%, %u/%u frames, %s elapsed\n", percent, done,
                     planned, clockText(elapsed).c_str());
        return;
    }
    constexpr int BarWidth = 30;
    const int filled = int(uint64_t(done) * BarWidth / planned);
    const double remaining = elapsed * (planned - done) / done;
    std::fprintf(stderr, "\r[%s%s] %3d%%  %u/%u frames  %s elapsed  %s left ",
                 std::string(size_t(filled), '#').c_str(), std::string(size_t(BarWidth - filled), '.').c_str(),
                 percent, done, planned, clockText(elapsed).c_str(), clockText(remaining).c_str());
}

void sendDueVideoFrames(VideoExport& video, uint32_t now, const DisplayCopy& display)
{
    if (video.nextFrame >= now || video.nextFrame >= video.end)
        return;
    scaleDisplay(display, video.layout, video.frame.data());
    while (video.nextFrame < now && video.nextFrame < video.end) {
        sendFrame(video);
        ++video.framesSent;
        video.nextFrame += VideoFrameMilliseconds;
        showProgress(video);
    }
}

void finishVideo(VideoExport& video)
{
    awaitEncoder(video);
    if (isatty(2))
        std::fputc('\n', stderr);
    // The video is finished: whatever happens to its name, it is kept.
    PartialToRemove[0] = '\0';
    if (std::rename(video.partialPath.c_str(), video.options.path.c_str()) != 0)
        videoFailure("cannot name the video " + video.options.path + ": " + std::strerror(errno) +
                     "; the finished video is kept as " + video.partialPath);
    close(video.partialLock);
    close(video.encoderMessages);
    std::fprintf(stderr, "demo-capture: wrote %s, %u frames, in %s\n", video.options.path.c_str(),
                 video.framesSent, clockText(secondsSinceStart(video)).c_str());
}

void scaleDisplay(const DisplayCopy& display, const VideoLayout& layout, uint8_t* frame)
{
    const size_t rowBytes = size_t(layout.width) * 3;
    const int scale = layout.scale;
    for (int y = 0; y < ScreenHeight; ++y) {
        uint8_t* row = frame + (size_t(layout.top) + size_t(y) * scale) * rowBytes + size_t(layout.left) * 3;
        // Each screen pixel becomes `scale` copies of its palette colour; the
        // row so built is then copied down over the block's other rows.
        uint8_t* out = row;
        const uint8_t* source = display.pixels + y * ScreenWidth;
        for (int x = 0; x < ScreenWidth; ++x) {
            const uint8_t* colour = display.palette + 3 * source[x];
            for (int copy = 0; copy < scale; ++copy) {
                out[0] = colour[0];
                out[1] = colour[1];
                out[2] = colour[2];
                out += 3;
            }
        }
        for (int copy = 1; copy < scale; ++copy)
            std::memcpy(row + size_t(copy) * rowBytes, row, size_t(ScreenWidth) * scale * 3);
    }
}
