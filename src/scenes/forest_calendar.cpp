#include "scenes/scenes.h"

void updateForestCalendar() {}
void drawForestCalendar() {}
void prerenderCalendarFrames() {}
