// rand() as the desktop's C library (glibc) computes it. The scenes draw their
// random bites, rain and sparks from rand(), so the same pictures need the
// same sequence; the browser's C library has a generator of its own, which
// these definitions replace at link time.
//
// glibc's default generator: an additive lagged Fibonacci generator,
// r[i] = r[i-31] + r[i-3] (mod 2^32), seeded through a Park-Miller sequence
// whose first 310 outputs are dropped; rand() returns r[i] >> 1.
#include <cstdint>
#include <cstdlib>

static uint32_t State[34];  // the last 34 values of r, as a ring
static int Next = 0;        // the ring slot that receives the next value
static bool Seeded = false; // unseeded, the generator starts as srand(1) leaves it

// Park-Miller (16807 x mod 2^31 - 1) by Schrage's method, which keeps every
// intermediate within 32 bits.
static int32_t parkMillerNext(int32_t word)
{
    const int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    return word < 0 ? word + 2147483647 : word;
}

static uint32_t nextValue()
{
    const uint32_t value = State[(Next + 34 - 31) % 34] + State[(Next + 34 - 3) % 34];
    State[Next] = value;
    Next = (Next + 1) % 34;
    return value;
}

extern "C" void srand(unsigned seed)
{
    int32_t word = int32_t(seed == 0 ? 1 : seed);
    State[0] = uint32_t(word);
    for (int i = 1; i < 31; ++i)
        State[i] = uint32_t(word = parkMillerNext(word));
    for (int i = 31; i < 34; ++i)
        State[i] = State[i - 31];
    Next = 0;
    for (int i = 0; i < 310; ++i)
        nextValue();
    Seeded = true;
}

extern "C" int rand()
{
    if (!Seeded)
        srand(1);
    return int(nextValue() >> 1);
}
