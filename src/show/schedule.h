// The show's running order as data: the timeline with each scene's update-step
// length and cues (scenes/timeline.h), the palettes of each scene and the
// orders in which scene blocks run (schedule.cpp).
#pragma once

#include "scenes/timeline.h"

#include <cstdint>
#include <span>


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

// TickPeriod after the timeline has been applied at `demoTime`: the holding
// row's period, or `currentPeriod` where it has none (and at time 0).
int32_t applyStepPeriod(uint32_t demoTime, int32_t currentPeriod);

// The palette loads of a scene code, in order (empty for codes without any).
std::span<const PaletteLoad> paletteLoadsFor(uint32_t sceneMask);
