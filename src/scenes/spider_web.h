// The spider web over the forest: hub lines, spokes and a spiral thread that
// runs out and back, a flare at the thread's tip and a spider near the hub.
// The web points and webTarget live with the tables that build them.
#pragma once

#include <cstdint>

extern int32_t webReach;  // thread segments drawn; moves one a step towards webTarget
