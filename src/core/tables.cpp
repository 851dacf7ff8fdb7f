#include "core/tables.h"

#include <cmath>
#include <cstring>

int32_t SineTable[4096];
int32_t CosineTable[4096];
int32_t SineCopy[4095];
int32_t CosineQuarter[4095];
int32_t RowOffsets[1024];
int32_t TriangleRamp[256];
int32_t IdentityRamp[256];
int32_t FalloffRamp[256];
uint8_t WhiteBufferA[76800];
uint8_t WhiteBufferB[76800];

int32_t webBaseX[WebCapacity];
int32_t webBaseY[WebCapacity];
int32_t webX[WebCapacity];
int32_t webY[WebCapacity];
int32_t webPointCount = 0;
int32_t webTarget = 0;

int32_t BirdX[5];
int32_t BirdY[5];
int64_t WaveParams[16];

uint8_t SpotMask[76800];
uint8_t RingBackground[76800];
int32_t DistanceMap[76800];

// Restoring square root, one result bit per round.
uint32_t isqrt(uint32_t n)
{
    uint32_t root = 0;
    if (n > 0x3FFFFFFFu) {
        root = 0x10000;
        n -= 0x40000000u;
    }
    for (int s = 14; s >= 1; --s) {
        const uint32_t b = 1u << s;
        const uint32_t t = (root + b) << s;
        if (t <= n) {
            n -= t;
            root |= 2 * b;
        }
    }
    if (n >= root + 1)
        root |= 2;
    return root >> 1;
}

// The angle advances by 0.001533 per entry, accumulated by repeated addition:
// the table spans a little less than a full turn, and the show's pictures
// depend on exactly these values.
void buildTrigTables()
{
    double angle = -3.141592653589;
    for (int i = 0; i < 4095; ++i) {
        SineTable[i] = int32_t(std::sin(angle) * 256.0);
        CosineTable[i] = int32_t(std::cos(angle) * 256.0);
        angle += 0.001533;
    }
    SineTable[4095] = 0;
    CosineTable[4095] = 0;
}

void buildPlainTables()
{
    for (int i = 0; i < 1024; ++i)
        RowOffsets[i] = 320 * i;
    std::memset(WhiteBufferA, 255, sizeof WhiteBufferA);
    std::memcpy(WhiteBufferB, WhiteBufferA, sizeof WhiteBufferB);
    for (int i = 0; i < 4095; ++i) {
        SineCopy[i] = (SineTable[i] * 256) >> 8;
        CosineQuarter[i] = (CosineTable[i] * 64) >> 8;
    }
    for (int i = 0; i < 256; ++i) {
        TriangleRamp[i] = i < 128 ? 4 * i : 512 - 4 * (i - 128);
        IdentityRamp[i] = i;
        FalloffRamp[i] = 32768 - ((i * 32768) >> 8);
    }
}

static void appendWebPoint(int32_t x, int32_t y)
{
    webBaseX[webPointCount] = webX[webPointCount] = x;
    webBaseY[webPointCount] = webY[webPointCount] = y;
    ++webPointCount;
}

// 103 points on an outward spiral, one every 32 steps of k, then the hub.
static void buildWebPoints()
{
    webPointCount = 0;
    for (int32_t k = 0; k < 3300; ++k) {
        if ((k + 200) % 32 != 0)
            continue;
        const int32_t angle = (1800 + 9 * k) & 4095;
        const int32_t radius = 3000 + 16 * k;
        appendWebPoint(160 + ((radius * CosineTable[angle]) >> 16),
                       120 + ((radius * SineTable[angle]) >> 16));
    }
    appendWebPoint(160, 120);
    webTarget = webPointCount;
}

static void buildBirds()
{
    static const int32_t StartX[5] = {-300, -240, -255, -230, -210};
    static const int32_t StartY[5] = {50, 60, 75, 99, 90};
    std::memcpy(BirdX, StartX, sizeof BirdX);
    std::memcpy(BirdY, StartY, sizeof BirdY);
}

// The attractor's coefficients with 20 fraction bits; the first twelve are
// nudged by -30000 so the drift starts just off the listed values.
static void buildWaveParams()
{
    static const double Start[16] = {-0.7, -0.4, 0.5,  -1.0, -0.9,  -0.8,  0.5,   0.5,
                                     0.3,  0.9,  -0.1, -0.9, 180.0, 180.0, 220.0, 120.0};
    for (int i = 0; i < 16; ++i) {
        WaveParams[i] = int64_t(int32_t(Start[i] * 1048576.0));
        if (i < 12)
            WaveParams[i] += -30000;
    }
}

static void buildDistanceMaps()
{
    for (int32_t y = 0; y < 240; ++y)
        for (int32_t x = 0; x < 320; ++x) {
            const int32_t p = y * 320 + x;
            const uint32_t spot = isqrt(uint32_t((x - 220) * (x - 220) + (y - 80) * (y - 80)));
            const uint32_t d = isqrt(uint32_t((x - 160) * (x - 160) + (y - 120) * (y - 120)));
            SpotMask[p] = spot <= 39 ? 255 : 0;
            RingBackground[p] = d % 20 <= 10 ? 0 : uint8_t(d & 255);
            DistanceMap[p] = int32_t(d);
        }
}

void buildSceneTables()
{
    buildWebPoints();
    buildBirds();
    buildWaveParams();
    buildDistanceMaps();
}
