#include "core/clock.h"

#include <SDL/SDL.h>

static bool VirtualClock = false;   // false: SDL's clock
static uint32_t VirtualNow = 0;     // virtual time, milliseconds
static uint32_t (*ExternalTicks)() = nullptr;  // null: SDL's clock
static bool ExternalSleeps = false;  // an external clock's delays sleep in SDL_Delay

uint32_t clockTicks()
{
    if (VirtualClock)
        return VirtualNow;
    return ExternalTicks ? ExternalTicks() : SDL_GetTicks();
}

void clockDelay(uint32_t milliseconds)
{
    if (VirtualClock)
        VirtualNow += milliseconds;
    else if (!ExternalTicks || ExternalSleeps)
        SDL_Delay(milliseconds);
}

void useVirtualClock(uint32_t startMilliseconds)
{
    VirtualClock = true;
    VirtualNow = startMilliseconds;
}

bool virtualClockInUse()
{
    return VirtualClock;
}

void advanceVirtualClock(uint32_t milliseconds)
{
    VirtualNow += milliseconds;
}

void useExternalClock(uint32_t (*ticks)(), bool sleeps)
{
    ExternalTicks = ticks;
    ExternalSleeps = sleeps;
}

void useSdlClock()
{
    VirtualClock = false;
    ExternalTicks = nullptr;
    ExternalSleeps = false;
}

ClockChoice currentClock()
{
    return {VirtualClock, VirtualNow, ExternalTicks};
}

void useClock(const ClockChoice& choice)
{
    VirtualClock = choice.virtualClock;
    VirtualNow = choice.virtualNow;
    ExternalTicks = choice.externalTicks;
}
