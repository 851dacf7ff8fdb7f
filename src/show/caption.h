// The viewer's caption and the jump notice, drawn over the presented picture
// only (never into the Screen, so recordings and logs stay as they are), in
// the show's own font.
#pragma once

#include "core/screen.h"

// Loads the font sheet and installs the overlay; after start-up.
void prepareCaption(Screen& screen);
