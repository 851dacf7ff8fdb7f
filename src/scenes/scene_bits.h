// Each scene's bit in SceneMask: the scene's one name in code. The registry,
// the timeline, the update and draw orders and the palette loads are all
// written with these.
#pragma once

#include <cstdint>

constexpr uint32_t CreditsIrisBit = 0x2000000;
constexpr uint32_t FlarePyramidBit = 0x2;
constexpr uint32_t ZoomTrailsBit = 0x100000;  // with the pyramid's bit: the overlay
constexpr uint32_t JungleBit = 0x8;
constexpr uint32_t ForestCalendarBit = 0x100;
constexpr uint32_t AttractorGlowBit = 0x2000;
constexpr uint32_t SandRevealBit = 0x10;
constexpr uint32_t SpinningLeavesBit = 0x80000;
constexpr uint32_t SpiderWebBit = 0x40;
constexpr uint32_t BlackInterludeBit = 0x1000;
constexpr uint32_t PortraitBit = 0x40000;
constexpr uint32_t RainBit = 0x4000000;
constexpr uint32_t FloodingLogoBit = 0x400;
constexpr uint32_t MaskFlashBit = 0x4000;
constexpr uint32_t RisingWavesBit = 0x20000000;
constexpr uint32_t GreetingsBit = 0x800;
constexpr uint32_t CloudFlightBit = 0x8000000;
constexpr uint32_t SpinningKnotBit = 0x10000000;
constexpr uint32_t DoubleRotoBit = 0x20;
constexpr uint32_t SunRaysBit = 0x10000;
