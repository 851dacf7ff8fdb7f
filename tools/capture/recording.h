// What the recorder keeps of a presented frame, and how it writes it out.
#pragma once

#include "core/screen.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct DisplayCopy {
    uint8_t pixels[ScreenPixels];
    uint8_t palette[768];  // R, G, B for slots 0..255
};

// A file the recorder writes. A file that cannot be opened, written or
// closed (a full disk shows only there) ends the run with status 1 and a line
// naming it: a recording is never left short without a word.
struct OutputFile {
    std::string path;
    FILE* file = nullptr;
};
OutputFile openOutput(const std::string& path);
void closeOutput(OutputFile& output);
// Ends the run: "cannot write PATH: " and errno's reason.
[[noreturn]] void failToWrite(const std::string& path);
// Ends the run unless a file can be created in `folder`, tried with a
// temporary file removed at once: checked before the show starts, so a
// missing or read-only folder is not found only at the end.
void requireWritableFolder(const std::string& folder);

void takeDisplayCopy(DisplayCopy& copy, const Screen& screen);
// FNV-1a, 64 bits; `hash` carries on from an earlier call over bytes before.
constexpr uint64_t HashStart = 0xcbf29ce484222325ull;
uint64_t hashBytes(const uint8_t* bytes, size_t count, uint64_t hash = HashStart);
void writeLogLine(OutputFile& log, uint32_t now, const DisplayCopy& display);
void writeDisplayPng(const std::string& path, const DisplayCopy& display);
void writeDisplayRaw(const std::string& path, const DisplayCopy& display);

// Half-size RGB copies of recorded pictures, tiled five to a row.
struct Gallery {
    std::vector<std::vector<uint8_t>> tiles;  // 160 x 120 RGB each
};
void addToGallery(Gallery& gallery, const DisplayCopy& display);
// Writes the sheet into `output` and closes it.
void writeGallery(OutputFile& output, const Gallery& gallery);
