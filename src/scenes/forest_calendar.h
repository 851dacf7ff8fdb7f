// The forest with the spinning calendar in front.
#pragma once

#include <cstdint>

constexpr int CalendarViews = 64;
constexpr int CalendarSize = 128;
constexpr int CalendarViewBytes = CalendarSize * CalendarSize;

// 64 views of the calendar, view k turned k sixty-fourths of a turn, each
// 128 x 128 bytes row after row; 0 is see-through.
extern uint8_t CalendarFrames[CalendarViews * CalendarViewBytes];
extern int32_t forestSteps;  // update steps this scene has taken
