#include "show/palette_switch.h"

#include "core/palette.h"
#include "core/show_state.h"
#include "show/schedule.h"

uint32_t LastPaletteMask = 0;

void switchPalette()
{
    if (LastPaletteMask & SceneMask)
        return;
    for (const PaletteLoad& load : paletteLoadsFor(SceneMask))
        loadPalette(MainScreen, load.path, load.firstEntry, load.count, load.firstSlot);
    LastPaletteMask = SceneMask;
}
