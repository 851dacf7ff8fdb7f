// The spider web over the forest: hub lines, spokes and a spiral thread that
// runs out and back, a flare at the thread's tip and a spider near the hub.
#pragma once

#include <cstdint>

constexpr int WebCapacity = 150;
extern int32_t webBaseX[WebCapacity];  // spiral points at rest, screen pixels
extern int32_t webBaseY[WebCapacity];
extern int32_t webPointCount;          // points built: 103 on the spiral and the hub

// The web's start state follows from the points built at start-up: the reset
// puts every point at rest and sends the thread's tip towards the last point.
struct SpiderWebState {
    int32_t x[WebCapacity] = {};  // the points swayed, screen pixels; webBase at start
    int32_t y[WebCapacity] = {};
    int32_t target = 0;           // point index the thread's tip heads for; webPointCount at start
    int32_t reach = 0;            // 0 at start, segments (point index of the thread's tip)
};
extern SpiderWebState SpiderWeb;

// Back to the start values above.
void resetSpiderWeb();

// The spiral points and the hub, built once before the music starts.
void buildWebPoints();
