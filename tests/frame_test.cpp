// The frame loop: when update steps run, how many, and what a render does.
#include "core/clock.h"
#include "show/frame.h"
#include "core/palette.h"
#include "show/palette_switch.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Puts the show at DemoTime 0 (scene code 1: no scene blocks run) with the
// next step due at `due` and the virtual clock at `now`.
void startAt(uint32_t due, uint32_t now)
{
    testScreen();
    useVirtualClock(now);
    ShowStartTicks = now;
    NextTickTime = due;
    TickPeriod = 40;
    Paused = 0;
    SceneMask = 1;
    LastPaletteMask = 1;  // scene code 1 has no palettes to load
}

TEST(RunFrame, CallAtTheDeadlineSleepsOneMillisecondAndDrawsNothing)
{
    startAt(5000, 5000);
    const int32_t ticks = TickCount;
    const uint32_t presents = PresentedFrames;
    runFrame();
    EXPECT_EQ(TickCount, ticks);
    EXPECT_EQ(PresentedFrames, presents);
    EXPECT_EQ(clockTicks(), 5001u);
}

TEST(RunFrame, LateCallCatchesUpInStepsAndPresentsOnce)
{
    startAt(1000, 1130);
    const int32_t ticks = TickCount;
    const uint32_t presents = PresentedFrames;
    runFrame();
    EXPECT_EQ(TickCount - ticks, 4);  // deadlines 1040, 1080, 1120, 1160
    EXPECT_EQ(NextTickTime, 1160u);
    EXPECT_EQ(PresentedFrames - presents, 1u);
    EXPECT_EQ(clockTicks(), 1130u) << "a call that renders does not sleep";
}

TEST(RunFrame, PauseFreezesThePictureAndResumesWithoutABurst)
{
    startAt(2000, 2001);
    Paused = 1;
    const int32_t ticks = TickCount;
    const uint32_t presents = PresentedFrames;
    advanceVirtualClock(10000);  // ten seconds paused
    runFrame();
    EXPECT_EQ(NextTickTime, clockTicks()) << "the deadline follows the clock while paused";
    EXPECT_EQ(PresentedFrames, presents);
    Paused = 0;
    advanceVirtualClock(1);
    ShowStartTicks = clockTicks();  // stay in the blank start, which loads no palette
    runFrame();
    EXPECT_EQ(TickCount - ticks, 1) << "one step after the pause, not 250";
    EXPECT_EQ(PresentedFrames - presents, 1u);
}

TEST(RunFrame, DemoTimeFollowsTheClockInCentiseconds)
{
    startAt(0, 0);
    ShowStartTicks = 0;
    useVirtualClock(0);
    NextTickTime = 100;  // nothing due: the call only reads the clock
    advanceVirtualClock(99);
    runFrame();
    EXPECT_EQ(DemoTime, 9u) << "99 ms is 9 centiseconds, truncated";
    useVirtualClock(0xFFFFFFF0u);
    ShowStartTicks = 0xFFFFFF00u;
    NextTickTime = 0xFFFFFFFFu;
    runFrame();
    EXPECT_EQ(DemoTime, 24u) << "unsigned difference across the wrap";
}

TEST(RunFrame, FirstDueCallClearsTheWorkBuffersOnce)
{
    startAt(100, 200);
    FirstRender = 1;
    std::memset(WorkBufferA, 7, sizeof WorkBufferA);
    std::memset(WorkBufferB, 9, sizeof WorkBufferB);
    runFrame();
    EXPECT_EQ(FirstRender, 0);
    EXPECT_EQ(WorkBufferA[0], 0);
    EXPECT_EQ(WorkBufferB[76799], 0);
    WorkBufferA[5] = 42;
    advanceVirtualClock(5);  // DemoTime stays 0
    runFrame();
    EXPECT_EQ(WorkBufferA[5], 42) << "the buffers persist after the first render";
}

TEST(RunFrame, BlankStartClearsTheScreenToColourZero)
{
    startAt(100, 200);
    std::memset(MainScreen.pixels, 33, ScreenPixels);
    runFrame();
    for (int i = 0; i < ScreenPixels; i += 997)
        ASSERT_EQ(MainScreen.pixels[i], 0) << i;
}

TEST(RunFrame, SecondChangedRisesWhenTheWholeSecondMoves)
{
    startAt(100, 200);
    SecondChanged = 0;
    LastSecond = 0;
    runFrame();
    EXPECT_EQ(SecondChanged, 0) << "DemoTime 0 is still second 0";
    LastSecond = 7;
    NextTickTime = clockTicks() - 1;
    ShowStartTicks = clockTicks();
    runFrame();
    EXPECT_EQ(SecondChanged, 1);
    EXPECT_EQ(LastSecond, 0u);
}

TEST(TickPeriod, QTogglesBetweenFortyAndTenAndRestoresForty)
{
    TickPeriod = 40;
    toggleTickPeriod();
    EXPECT_EQ(TickPeriod, 10);
    toggleTickPeriod();
    EXPECT_EQ(TickPeriod, 40);
    TickPeriod = 25;  // a scene's own period: "q" goes to 40
    toggleTickPeriod();
    EXPECT_EQ(TickPeriod, 40);
}

}  // namespace
