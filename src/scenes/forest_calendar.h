// The forest with the spinning calendar in front.
#pragma once

#include <cstdint>

constexpr int CalendarViews = 64;
constexpr int CalendarSize = 128;
constexpr int CalendarViewBytes = CalendarSize * CalendarSize;

// 64 views of the calendar, view k turned k sixty-fourths of a turn, each
// 128 x 128 bytes row after row; 0 is see-through.
alignas(4) extern uint8_t CalendarFrames[CalendarViews * CalendarViewBytes];
struct ForestCalendarState {
    int32_t steps = 0;  // update steps taken; the backdrop's outer bands are painted at 0
};
extern ForestCalendarState ForestCalendar;

// Back to the start values above.
void resetForestCalendar();
