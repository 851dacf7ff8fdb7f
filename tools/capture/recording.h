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

void takeDisplayCopy(DisplayCopy& copy, const Screen& screen);
// FNV-1a, 64 bits; `hash` carries on from an earlier call over bytes before.
constexpr uint64_t HashStart = 0xcbf29ce484222325ull;
uint64_t hashBytes(const uint8_t* bytes, size_t count, uint64_t hash = HashStart);
void writeLogLine(FILE* log, uint32_t now, const DisplayCopy& display);
void writeDisplayPng(const std::string& path, const DisplayCopy& display);
void writeDisplayRaw(const std::string& path, const DisplayCopy& display);

// Half-size RGB copies of recorded pictures, tiled five to a row.
struct Gallery {
    std::vector<std::vector<uint8_t>> tiles;  // 160 x 120 RGB each
};
void addToGallery(Gallery& gallery, const DisplayCopy& display);
void writeGallery(const std::string& path, const Gallery& gallery);
