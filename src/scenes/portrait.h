// The portrait scene's timing, shared with its tests.
#pragma once

#include "scenes/timeline.h"

#include <cstdint>

// The star spins fast while DemoTime lies in FastSpinFirst..FastSpinLast
// (inclusive, centiseconds): past the cue and short of the next.
constexpr uint32_t FastSpinFirst = sceneStart(PortraitBit) + PortraitFastSpinAfter + 1;
constexpr uint32_t FastSpinLast = sceneStart(PortraitBit) + PortraitFastSpinBefore - 1;
