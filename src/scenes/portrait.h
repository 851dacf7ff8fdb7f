// The portrait scene's timing, shared with its tests.
#pragma once

#include <cstdint>

// The star spins fast while DemoTime lies in FastSpinFirst..FastSpinLast.
constexpr uint32_t FastSpinFirst = 13601;
constexpr uint32_t FastSpinLast = 13699;
