// The spider web over the forest: hub lines, spokes and a spiral thread that
// runs out and back, a flare at the thread's tip and a spider near the hub.
#pragma once

#include <cstdint>

constexpr int WebCapacity = 150;
extern int32_t webBaseX[WebCapacity];  // spiral points at rest, screen pixels
extern int32_t webBaseY[WebCapacity];
extern int32_t webX[WebCapacity];      // swayed copy the scene rewrites every step
extern int32_t webY[WebCapacity];
extern int32_t webPointCount;          // points built: 103 on the spiral and the hub
extern int32_t webTarget;              // point the thread's tip heads for
extern int32_t webReach;  // thread segments drawn; moves one a step towards webTarget

// The spiral points and the hub, built once before the music starts.
void buildWebPoints();
