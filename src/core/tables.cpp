#include "core/tables.h"

#include <array>
#include <cmath>

int32_t SineTable[4096];
int32_t CosineTable[4096];
int32_t SineCopy[4095];
int32_t CosineQuarter[4095];
int32_t RowOffsets[1024];
int32_t TriangleRamp[256];
int32_t IdentityRamp[256];
int32_t FalloffRamp[256];

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

// -1 / (n (n + 1)) for n = 1..21: the ratio of a power series term to the
// one before, over x^2. Each is within half an ulp of the quotient, so the sum
// moves by a few ulps at most (below 1e-15), far less than any table entry's
// distance to a truncation boundary. Multiplying by them spares start-up
// 80,000 divisions, which soft-float ARM pays hundreds of instructions each.
static constexpr auto TermRatios = [] {
    std::array<double, 22> ratios{};
    for (int n = 1; n <= 21; ++n)
        ratios[size_t(n)] = -1.0 / double(n * (n + 1));
    return ratios;
}();

// Power series of sine (firstPower 1) or cosine (firstPower 0) up to the
// 21st power: for |x| <= 0.8 the first term left out is below 1e-20.
static double powerSeries(double x, int firstPower)
{
    const double square = x * x;
    double term = firstPower == 1 ? x : 1.0;
    double sum = term;
    for (int n = firstPower + 1; n < 22; n += 2) {
        term *= square * TermRatios[size_t(n)];
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
    // The nearest multiple by a product, not a quotient: where the two differ,
    // the angle lies halfway between multiples and either leaves |r| < 0.79.
    constexpr double QuartersPerRadian = 1.0 / (HalfPiHigh + HalfPiLow);
    const int k = int(std::floor(angle * QuartersPerRadian + 0.5));
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
//
// Every 64th entry takes the series at the accumulated angle; the entries
// between turn the last one by the step, four products instead of forty
// (soft-float ARM pays dozens of instructions for each). Over 63 turns the
// rounding and the accumulated angle's own drift stay below 1e-13, far
// inside the 3e-7 / 256 that an entry would need to move.
void buildTrigTables()
{
    const SineCosine step = sineCosine(0.001533);
    double angle = -3.141592653589;
    SineCosine value{};
    for (int i = 0; i < 4095; ++i) {
        if (i % 64 == 0)
            value = sineCosine(angle);
        else
            value = {value.sine * step.cosine + value.cosine * step.sine,
                     value.cosine * step.cosine - value.sine * step.sine};
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
