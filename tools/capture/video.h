// Video export: the picture on display at every 1/50 s of virtual time,
// scaled up by nearest neighbour, piped as raw RGB into Debian's ffmpeg, which
// reads the music itself and writes the file.
#pragma once

#include "recording.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t VideoFrameMilliseconds = 20;  // 50 frames/s

struct VideoOptions {
    std::string path;     // the file to write; empty: no video
    int scale = 0;        // whole-number enlargement; 0: 4, or the largest that fits --fit
    int fitWidth = 0;     // with fitHeight: the frame size, picture centred on black
    int fitHeight = 0;
    uint32_t from = 0;    // virtual ms of the first frame and of the music's start
};

// Where the enlarged screen sits in the frame.
struct VideoLayout {
    int width, height;  // frame size in pixels, both even
    int scale;
    int left, top;      // even, so 2 x 2 chroma blocks never straddle two screen pixels
};

struct VideoExport {
    VideoOptions options;
    VideoLayout layout{};
    uint32_t end = 0;          // virtual ms: frames are due at from + 20 k < end
    uint32_t nextFrame = 0;    // virtual ms of the next frame to send
    uint32_t framesSent = 0;
    uint32_t framesPlanned = 0;
    std::vector<uint8_t> frame;  // layout.width x layout.height RGB
    std::string encoderPath;     // the ffmpeg found on PATH
    std::string partialPath;     // written by ffmpeg, renamed to options.path at the end
    int partialLock = -1;        // holds the partial file's lock for the whole export
    pid_t encoder = -1;
    int toEncoder = -1;          // ffmpeg's standard input
    int encoderMessages = -1;    // ffmpeg's standard error (an unlinked file)
    std::chrono::steady_clock::time_point started;
    int progressShown = 0;       // per mille on a terminal, tenths otherwise
};

// The frame size and placement for the options, or a usage message in `problem`.
bool layOutVideo(const VideoOptions& options, VideoLayout& layout, std::string& problem);
// Before start-up: finds ffmpeg and claims the output's temporary name, locked
// against other exports, so a missing encoder or a destination that cannot
// become the video ends the run (status 1) before it starts. Frames run from options.from up to `end` (virtual ms, after from).
void prepareVideo(VideoExport& video, const VideoOptions& options, const VideoLayout& layout,
                  uint32_t end);
// Starts ffmpeg on the music file; the show's music starts at virtual time 0.
void startVideo(VideoExport& video, const char* musicPath);
// Sends every frame due before `now`: each shows the last present at or
// before its time, which `display` holds.
void sendDueVideoFrames(VideoExport& video, uint32_t now, const DisplayCopy& display);
// Ends ffmpeg's input, waits for it and gives the file its name.
void finishVideo(VideoExport& video);

// The display enlarged into `frame` (layout.width x layout.height RGB).
void scaleDisplay(const DisplayCopy& display, const VideoLayout& layout, uint8_t* frame);
