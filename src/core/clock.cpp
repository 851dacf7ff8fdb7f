#include "core/clock.h"

#include <SDL/SDL.h>

static bool VirtualClock = false;   // false: SDL's clock
static uint32_t VirtualNow = 0;     // virtual time, milliseconds

uint32_t clockTicks()
{
    return VirtualClock ? VirtualNow : SDL_GetTicks();
}

void clockDelay(uint32_t milliseconds)
{
    if (VirtualClock)
        VirtualNow += milliseconds;
    else
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
