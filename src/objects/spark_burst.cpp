#include "core/random.h"
#include "gfx2d/blit.h"
#include "objects/greetings.h"
#include "core/tables.h"

#include <algorithm>

// The sparks' colours: the brightest spark slot, darkening one step every
// four ticks, never below the first spark slot.
constexpr int32_t SparkBrightest = 251;
constexpr int32_t SparkDarkest = 228;

void resetSparkBurst(SparkBurst& burst, Screen& screen)
{
    burst.screen = &screen;
}

// Each velocity component takes its own random angle, so the sparks fill a
// rounded square rather than a circle. Speeds are 1..5 pixels per tick; the
// angles stop at 4094.
void startSparkBurst(SparkBurst& burst, int32_t x, int32_t y)
{
    for (int j = 0; j < SparkCount; ++j) {
        burst.age[j] = 0;
        const int32_t angleX = showRandom() % 4095;
        const int32_t angleY = showRandom() % 4095;
        burst.x[j] = burst.previousX[j] = x;
        burst.y[j] = burst.previousY[j] = y;
        const int32_t speed = showRandom() % 1024 + 256;
        burst.vx[j] = (speed * CosineTable[angleX]) >> 8;
        burst.vy[j] = (speed * SineTable[angleY]) >> 8;
    }
}

static bool burstOver(const SparkBurst& burst)
{
    return burst.age[0] > SparkLastAge;
}

void tickSparkBurst(SparkBurst& burst)
{
    if (burstOver(burst))
        return;
    for (int j = 0; j < SparkCount; ++j) {
        burst.previousX[j] = burst.x[j];
        burst.previousY[j] = burst.y[j];
        burst.x[j] += burst.vx[j];
        burst.y[j] += burst.vy[j];
        burst.vy[j] += SparkGravity;
        burst.age[j] += 1;
    }
}

void drawSparkBurst(const SparkBurst& burst)
{
    if (burstOver(burst))
        return;
    for (int j = 0; j < SparkCount; ++j) {
        const int32_t colour = std::max(SparkBrightest - (burst.age[j] >> 2), SparkDarkest);
        drawLine(*burst.screen, burst.x[j] >> 8, burst.y[j] >> 8, burst.previousX[j] >> 8,
                 burst.previousY[j] >> 8, uint8_t(colour));
    }
}
