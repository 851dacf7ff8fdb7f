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

// Power series of sine (firstPower 1) or cosine (firstPower 0) up to the
// 21st power: for |x| <= 0.8 the first term left out is below 1e-20.
static double powerSeries(double x, int firstPower)
{
    double term = firstPower == 1 ? x : 1.0;
    double sum = term;
    for (int n = firstPower + 1; n < 22; n += 2) {
        term *= -x * x / double(n * (n + 1));
        sum += term;
    }
    return sum;
}

struct SineCosine {
    double sine, cosine;
};

// sin and cos without the maths library, whose last bit differs between
// machines: the angle is brought within pi/4 of a multiple of pi/2 (pi/2 in
// two parts, the first with 33 significant bits so k times it is exact), then
// the power series, using only the basic operations IEEE-754 rounds the same
// everywhere. Within 1e-15 of the true values; at the turn's start the cosine
// is exactly -1, as CosineTable[0] = -256 needs.
static SineCosine sineCosine(double angle)
{
    constexpr double HalfPiHigh = 1.57079632673412561417e+00;
    constexpr double HalfPiLow = 6.07710050650619224932e-11;
    const int k = int(std::floor(angle / (HalfPiHigh + HalfPiLow) + 0.5));
    const double r = (angle - k * HalfPiHigh) - k * HalfPiLow;
    const double s = powerSeries(r, 1);
    const double c = powerSeries(r, 0);
    switch (k & 3) {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

// The angle advances by 0.001533 per entry, accumulated by repeated addition:
// the table spans a little less than a full turn, and the show's pictures
// depend on exactly these values. Every entry but CosineTable[0] lies at
// least 3e-7 from the next whole number, so truncation is safe.
void buildTrigTables()
{
    double angle = -3.141592653589;
    for (int i = 0; i < 4095; ++i) {
        const SineCosine value = sineCosine(angle);
        SineTable[i] = int32_t(value.sine * 256.0);
        CosineTable[i] = int32_t(value.cosine * 256.0);
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

// Square roots, floored, walked along each row: a pixel's root is within one
// of its left neighbour's, so a step or two from there finds it. The spot
// is the disc of root 39 or less, that is of squared distance below 40 * 40.
static void buildDistanceMaps()
{
    for (int32_t y = 0; y < 240; ++y) {
        uint32_t d = 0;
        for (int32_t x = 0; x < 320; ++x) {
            const int32_t p = y * 320 + x;
            const uint32_t square = uint32_t((x - 160) * (x - 160) + (y - 120) * (y - 120));
            while ((d + 1) * (d + 1) <= square)
                ++d;
            while (d * d > square)
                --d;
            const uint32_t spotSquare = uint32_t((x - 220) * (x - 220) + (y - 80) * (y - 80));
            SpotMask[p] = spotSquare < 40 * 40 ? 255 : 0;
            RingBackground[p] = d % 20 <= 10 ? 0 : uint8_t(d & 255);
            DistanceMap[p] = int32_t(d);
        }
    }
}

void buildSceneTables()
{
    buildWebPoints();
    buildBirds();
    buildWaveParams();
    buildDistanceMaps();
}
