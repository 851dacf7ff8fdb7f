// The show's running order as data: the timeline, the palettes of each scene
// and the orders in which scene blocks run. Everything about "what runs when"
// lives in schedule.cpp.
#pragma once

#include <cstdint>
#include <span>

// SceneMask becomes `sceneMask` once DemoTime > `after`; later rows win.
struct TimelineRow {
    uint32_t after;      // centiseconds, strict comparison
    uint32_t sceneMask;
};

struct PaletteLoad {
    const char* path;
    uint16_t firstEntry;
    uint16_t count;
    uint16_t firstSlot;
};

extern const std::span<const TimelineRow> Timeline;
extern const std::span<const uint32_t> UpdateOrder;
extern const std::span<const uint32_t> DrawOrder;

// SceneMask after the timeline has been applied at `demoTime`; at time 0 no
// row matches and the current mask stays.
uint32_t applyTimeline(uint32_t demoTime, uint32_t currentMask);

// The palette loads of a scene code, in order (empty for codes without any).
std::span<const PaletteLoad> paletteLoadsFor(uint32_t sceneMask);
