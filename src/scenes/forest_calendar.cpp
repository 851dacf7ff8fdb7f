#include "scenes/forest_calendar.h"

#include "objects/forest.h"
#include "gfx3d/raster.h"
#include "assets/assets.h"
#include "core/bytes.h"
#include "core/show_state.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstring>

alignas(4) uint8_t CalendarFrames[CalendarViews * CalendarViewBytes];  // all 0 until pre-rendered
// Per view and row, the words (4 pixels each, 4-aligned) from the first that
// is not all 0 to the last: first and end, equal for none. Most of a row is
// see-through, so the paste skips what lies outside. Found on a view's first
// paste rather than while pre-rendering: scanning all 64 views (262,144 words)
// would add about a million instructions to a start-up with under 2 M to spare
// on an ARM9, while one view's scan fits easily in a forest frame. The views never change
// after pre-rendering, so a reset or jump keeps what was found; pre-rendering
// forgets them (forgetCalendarLitWords).
static uint8_t CalendarLitWords[CalendarViews][CalendarSize][2];
static bool CalendarLitWordsFound[CalendarViews];  // all false until a view is first pasted
ForestCalendarState ForestCalendar;

void resetForestCalendar()
{
    ForestCalendar = {};
}

// The backdrop: sky above row 110, ground from there down. The outer bands
// (rows 0..27 and 215..239) are painted once, on the scene's first step, so
// whatever the forest draws there stays as a trail.
constexpr uint8_t SkyColour = 251;
constexpr uint8_t GroundColour = 28;
constexpr int SkyBandEnd = 28;       // first row repainted every frame
constexpr int HorizonRow = 110;      // first ground row
constexpr int GroundBandStart = 215; // first row painted only once

// The views are rendered around pixel (64, 64) at a close eye, and pasted
// with their top-left corner here, so the calendar covers columns 96..223
// and rows 50..177.
constexpr int32_t ViewCentre = 64 * 256;  // 24.8
constexpr int32_t ViewEyeDepth = -12800;  // 8.8, 50 units
constexpr int32_t ViewDepthClear = 30;
constexpr int32_t ViewTurnStep = 4096 / CalendarViews;
constexpr int CalendarLeft = 96;
constexpr int CalendarTop = 50;

static void fillRows(int firstRow, int endRow, uint8_t colour)
{
    fillByteRange(MainScreen.pixels + RowOffsets[firstRow],
                  size_t(RowOffsets[endRow] - RowOffsets[firstRow]), colour);
}

// Copies the top-left 128 x 128 pixels of the Screen into view k.
static void keepCalendarView(int k)
{
    uint8_t* view = CalendarFrames + k * CalendarViewBytes;
    for (int r = 0; r < CalendarSize; ++r)
        std::memcpy(view + r * CalendarSize, MainScreen.pixels + RowOffsets[r], CalendarSize);
}

// Each view is copied whole from the screen's corner, so no view needs
// clearing beforehand.
void prerenderCalendarFrames()
{
    calendarMesh.centreX = ViewCentre;
    calendarMesh.centreY = ViewCentre;
    calendarMesh.cameraDepth = ViewEyeDepth;
    calendarMesh.offsetX = 0;
    calendarMesh.offsetY = 0;
    calendarMesh.offsetZ = 0;
    for (int k = 0; k < CalendarViews; ++k) {
        // Only the kept corner's pixels and depths decide what is kept; what
        // lands outside it is thrown away, and the screen is cleared whole
        // at the end. The last view clears every depth, so the depth buffer
        // is left as one full clear and draw leave it.
        for (int r = 0; r < CalendarSize; ++r)
            std::memset(MainScreen.pixels + RowOffsets[r], 0, CalendarSize);
        calendarMesh.angleZ = ViewTurnStep * k;
        calendarMesh.angleX = 0;
        transformMesh(calendarMesh);
        if (k + 1 < CalendarViews)
            clearDepthCorner(MainScreen, ViewDepthClear, CalendarSize, CalendarSize);
        else
            clearDepth(MainScreen, ViewDepthClear);
        drawMesh(calendarMesh);
        keepCalendarView(k);
    }
    std::memset(MainScreen.pixels, 0, ScreenPixels);
    forgetCalendarLitWords();
}

void forgetCalendarLitWords()
{
    std::memset(CalendarLitWordsFound, 0, sizeof CalendarLitWordsFound);
}

void litWords(const uint8_t* row, int32_t words, uint8_t (&lit)[2])
{
    const auto litWord = [row](int32_t w) {
        uint32_t word;
        std::memcpy(&word, __builtin_assume_aligned(row + 4 * w, 4), 4);
        return word != 0;
    };
    int32_t first = 0, end = words;
    while (first < end && !litWord(first))
        ++first;
    while (end > first && !litWord(end - 1))
        --end;
    lit[0] = uint8_t(first);
    lit[1] = uint8_t(end);
}

void updateForestCalendar()
{
    if (ForestCalendar.steps == 0) {
        fillRows(0, SkyBandEnd, SkyColour);
        fillRows(GroundBandStart, ScreenHeight, GroundColour);
    }
    ForestCalendar.steps += 1;
    tickForest(SceneForest);
}

// Pastes view k over the screen at (96, 50); 0 lets the forest show through.
// Each row of the view lands on one screen row, found through RowOffsets.
// Only each row's lit words are merged; the view's first paste finds them.
static void pasteCalendarView(int k)
{
    const uint8_t* view = CalendarFrames + k * CalendarViewBytes;
    if (!CalendarLitWordsFound[k]) {
        for (int r = 0; r < CalendarSize; ++r)
            litWords(view + r * CalendarSize, CalendarSize / 4, CalendarLitWords[k][r]);
        CalendarLitWordsFound[k] = true;
    }
    for (int r = 0; r < CalendarSize; ++r) {
        const int first = 4 * CalendarLitWords[k][r][0], end = 4 * CalendarLitWords[k][r][1];
        copyNonZero<!VectorUnit>(
            MainScreen.pixels + RowOffsets[CalendarTop + r] + CalendarLeft + first,
            view + r * CalendarSize + first, end - first);
    }
}

void drawForestCalendar()
{
    fillRows(SkyBandEnd, HorizonRow, SkyColour);
    fillRows(HorizonRow, GroundBandStart, GroundColour);
    clearDepth(MainScreen, 0);
    drawForest(SceneForest);
    pasteCalendarView(TickCount & (CalendarViews - 1));
}
