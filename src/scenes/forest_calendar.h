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

// Of the `words` 4-byte words from `row` on (4-aligned, at most 255), those
// from the first that is not 0 to the last: the first's index and the end into
// `lit`, equal when every word is 0.
void litWords(const uint8_t* row, int32_t words, uint8_t (&lit)[2]);
// The paste merges only the lit words of each view's rows, found on the
// view's first paste; views changed otherwise than by prerenderCalendarFrames
// need this before they are pasted again.
void forgetCalendarLitWords();
