#include "core/random.h"

static RandomState seeded(uint32_t seed);

RandomState ShowRandom = seeded(1);  // as a program that never seeds starts

// Park-Miller (16807 x mod 2^31 - 1) by Schrage's method, which keeps every
// intermediate within 32 bits.
static int32_t parkMillerNext(int32_t word)
{
    const int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    return word < 0 ? word + 2147483647 : word;
}

static uint32_t nextValue(RandomState& state)
{
    const int32_t n = state.next;
    const uint32_t value = state.ring[(n + 34 - 31) % 34] + state.ring[(n + 34 - 3) % 34];
    state.ring[n] = value;
    state.next = (n + 1) % 34;
    return value;
}

static RandomState seeded(uint32_t seed)
{
    RandomState state{};
    // glibc takes the seed as a signed word; 0 would stay 0 for ever.
    int32_t word = int32_t(seed == 0 ? 1 : seed);
    state.ring[0] = uint32_t(word);
    for (int i = 1; i < 31; ++i)
        state.ring[i] = uint32_t(word = parkMillerNext(word));
    for (int i = 31; i < 34; ++i)
        state.ring[i] = state.ring[i - 31];
    for (int i = 0; i < 310; ++i)
        nextValue(state);
    return state;
}

void seedShowRandom(uint32_t seed)
{
    ShowRandom = seeded(seed);
}

int32_t showRandom()
{
    return int32_t(nextValue(ShowRandom) >> 1);
}
