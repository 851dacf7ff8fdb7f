#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Correction for a unit jump at phase 0, spread over one step either side
// (the polynomial band-limited step).
float stepCorrection(float phase, float step)
{
    if (phase < step) {
        const float x = phase / step;
        return x + x - x * x - 1.0f;
    }
    if (phase > 1.0f - step) {
        const float x = (phase - 1.0f) / step;
        return x * x + x + x + 1.0f;
    }
    return 0.0f;
}

// Cubic fall from 1 at x = 0 to 0 at x = 1.
float cubicFall(float x)
{
    const float rest = 1.0f - x;
    return rest * rest * rest;
}

long samplesOf(float seconds)
{
    return std::lround(seconds * kSampleRate);
}

// A drum hit that decays with time constant `decay` runs for this many of
// them: e^-7 is -61 dB, so cutting it there does not click.
constexpr float kDecaySpan = 7.0f;

// Number of samples of a voice `length` samples long that fit in the track.
long voiceSpan(const std::vector<float>& track, long start, long length)
{
    const long size = static_cast<long>(track.size());
    if (start >= size)
        return 0;
    return std::min(length, size - start);
}

}  // namespace

float sineWave(float phase)
{
    return std::sin(2.0f * kPi * phase);
}

float sawWave(float phase, float step)
{
    return 2.0f * phase - 1.0f - stepCorrection(phase, step);
}

float pulseWave(float phase, float step, float width)
{
    float value = phase < width ? 1.0f : -1.0f;
    value += stepCorrection(phase, step);
    float fall = phase - width;
    if (fall < 0.0f)
        fall += 1.0f;
    value -= stepCorrection(fall, step);
    return value;
}

float triangleWave(float phase)
{
    return 4.0f * std::fabs(phase - 0.5f) - 1.0f;
}

float nextNoise(Noise& noise)
{
    uint32_t x = noise.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    noise.state = x;
    // The top 24 bits as a fraction in [0, 1), stretched to [-1, 1).
    return static_cast<float>(x >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

float noteFrequency(float note)
{
    return 440.0f * std::exp2((note - 69.0f) / 12.0f);
}

// ---- Envelopes ----------------------------------------------------------

namespace {

float attackDecayLevel(const Adsr& envelope, float time)
{
    if (time < envelope.attack)
        return time / envelope.attack;
    if (envelope.decay <= 0.0f)
        return envelope.sustain;
    const float x = (time - envelope.attack) / envelope.decay;
    if (x >= 1.0f)
        return envelope.sustain;
    return envelope.sustain + (1.0f - envelope.sustain) * cubicFall(x);
}

}  // namespace

float envelopeLevel(const Adsr& envelope, float time, float gate)
{
    if (time < 0.0f)
        return 0.0f;
    if (time < gate)
        return attackDecayLevel(envelope, time);
    if (envelope.release <= 0.0f)
        return 0.0f;
    const float x = (time - gate) / envelope.release;
    if (x >= 1.0f)
        return 0.0f;
    return attackDecayLevel(envelope, gate) * cubicFall(x);
}

float envelopeEnd(const Adsr& envelope, float gate)
{
    return gate + envelope.release;
}

// ---- Filter --------------------------------------------------------------

void tuneFilter(StateVariableFilter& filter, float cutoff, float resonance)
{
    cutoff = std::clamp(cutoff, 10.0f, 0.45f * kSampleRate);
    resonance = std::clamp(resonance, 0.0f, 0.98f);
    filter.g = std::tan(kPi * cutoff / kSampleRate);
    filter.k = std::numbers::sqrt2_v<float> * (1.0f - resonance);
    filter.a1 = 1.0f / (1.0f + filter.g * (filter.g + filter.k));
    filter.a2 = filter.g * filter.a1;
    filter.a3 = filter.g * filter.a2;
}

// ---- Drums ---------------------------------------------------------------

void addKick(std::vector<float>& track, long start, float velocity)
{
    constexpr float kDecay = 0.16f;
    const long span = voiceSpan(track, start, samplesOf(kDecaySpan * kDecay));
    float phase = 0.25f;   // starting at the crest gives the beater's click
    // Gentle saturation rounds the body and keeps the peak at the velocity.
    const float drive = 1.6f, norm = 1.0f / std::tanh(drive);
    for (long i = 0; i < span; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float pitch = 44.0f + 120.0f * std::exp(-t / 0.035f);
        const float level = std::min(1.0f, t / 0.001f) * std::exp(-t / kDecay);
        track[start + i] += velocity * norm * std::tanh(drive * level * sineWave(phase));
        phase = advancePhase(phase, pitch / kSampleRate);
    }
}

void addSnare(std::vector<float>& track, long start, float velocity, Noise& noise)
{
    constexpr float kBodyDecay = 0.05f, kWireDecay = 0.12f;
    const long span = voiceSpan(track, start, samplesOf(kDecaySpan * kWireDecay));
    // The wires rattle between the two filters, about 1.8 to 3.5 kHz: a
    // crack that cuts through the mix without hissing above it.
    StateVariableFilter rattle, top;
    tuneFilter(rattle, 1800.0f, 0.2f);
    tuneFilter(top, 3500.0f, 0.0f);
    float phase = 0.0f;
    for (long i = 0; i < span; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float body = sineWave(phase) * std::exp(-t / kBodyDecay);
        const float rattled = runFilter(rattle, nextNoise(noise)).high;
        const float wires = runFilter(top, rattled).low * std::exp(-t / kWireDecay);
        const float attack = std::min(1.0f, t / 0.0008f);
        track[start + i] += velocity * attack * (0.55f * body + 0.65f * wires);
        phase = advancePhase(phase, (180.0f + 60.0f * std::exp(-t / 0.02f)) / kSampleRate);
    }
}

// A burst of filtered noise: a short attack, an exponential decay, the
// filter's high output with some of its band output, then a low-pass at
// `ceiling` that takes the fizz off the top. Hats and crash differ only in
// these settings.
static void addNoiseHit(std::vector<float>& track, long start, float velocity, Noise& noise,
                        float cutoff, float resonance, float attackTime, float decay,
                        float bandShare, float ceiling)
{
    const long span = voiceSpan(track, start, samplesOf(kDecaySpan * decay));
    StateVariableFilter filter, top;
    tuneFilter(filter, cutoff, resonance);
    tuneFilter(top, ceiling, 0.0f);
    for (long i = 0; i < span; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const FilterOutputs out = runFilter(filter, nextNoise(noise));
        const float attack = std::min(1.0f, t / attackTime);
        const float shaped = runFilter(top, out.high + bandShare * out.band).low;
        track[start + i] += velocity * attack * std::exp(-t / decay) * shaped;
    }
}

void addHiHat(std::vector<float>& track, long start, float velocity, bool open,
              Noise& noise)
{
    addNoiseHit(track, start, velocity, noise, 5500.0f, 0.35f, 0.0005f, open ? 0.2f : 0.03f, 0.5f,
                8500.0f);
}

void addTom(std::vector<float>& track, long start, float velocity, float pitch)
{
    constexpr float kDecay = 0.16f;
    const long span = voiceSpan(track, start, samplesOf(kDecaySpan * kDecay));
    float phase = 0.25f;
    for (long i = 0; i < span; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float level = std::min(1.0f, t / 0.001f) * std::exp(-t / kDecay);
        track[start + i] += velocity * level * sineWave(phase);
        phase = advancePhase(phase, pitch * (1.0f + 0.6f * std::exp(-t / 0.03f)) / kSampleRate);
    }
}

void addCrash(std::vector<float>& track, long start, float velocity, Noise& noise)
{
    addNoiseHit(track, start, velocity, noise, 3500.0f, 0.5f, 0.002f, 0.7f, 0.7f, 6000.0f);
}

// ---- Effects -------------------------------------------------------------

void pingPongDelay(const std::vector<float>& input, Stereo& output, float seconds,
                   float feedback)
{
    const long length = static_cast<long>(input.size());
    const long delay = std::max(1L, samplesOf(seconds));
    std::vector<float> lineLeft(length, 0.0f), lineRight(length, 0.0f);
    float darkLeft = 0.0f, darkRight = 0.0f;
    // One-pole low-pass in the loop: each echo loses some top end.
    constexpr float kDarken = 0.35f;
    for (long i = 0; i < length; ++i) {
        const float echoLeft = i >= delay ? lineLeft[i - delay] : 0.0f;
        const float echoRight = i >= delay ? lineRight[i - delay] : 0.0f;
        darkLeft += (echoLeft - darkLeft) * (1.0f - kDarken);
        darkRight += (echoRight - darkRight) * (1.0f - kDarken);
        lineLeft[i] = input[i] + feedback * darkRight;
        lineRight[i] = feedback * darkLeft;
        output.left[i] += echoLeft;
        output.right[i] += echoRight;
    }
}

namespace {

struct Comb {
    std::vector<float> buffer;
    long at = 0;
    float damped = 0.0f;
};

struct AllPass {
    std::vector<float> buffer;
    long at = 0;
};

float runComb(Comb& comb, float input, float feedback, float damping)
{
    const float out = comb.buffer[comb.at];
    comb.damped = out * (1.0f - damping) + comb.damped * damping;
    comb.buffer[comb.at] = input + comb.damped * feedback;
    if (++comb.at == static_cast<long>(comb.buffer.size()))
        comb.at = 0;
    return out;
}

float runAllPass(AllPass& pass, float input)
{
    const float delayed = pass.buffer[pass.at];
    pass.buffer[pass.at] = input + delayed * 0.5f;
    if (++pass.at == static_cast<long>(pass.buffer.size()))
        pass.at = 0;
    return delayed - input;
}

// One side of the room: lengths in samples at 22050 Hz, mutually prime-ish
// so the combs' echoes do not line up; `spread` lengthens the right side.
void reverbSide(const std::vector<float>& input, std::vector<float>& output,
                float size, long spread)
{
    static constexpr std::array<long, 8> kCombLengths = {558, 594, 638, 678, 711, 745, 778, 808};
    static constexpr std::array<long, 4> kAllPassLengths = {278, 220, 170, 112};
    std::array<Comb, 8> combs;
    for (size_t i = 0; i < combs.size(); ++i)
        combs[i].buffer.assign(kCombLengths[i] + spread, 0.0f);
    std::array<AllPass, 4> passes;
    for (size_t i = 0; i < passes.size(); ++i)
        passes[i].buffer.assign(kAllPassLengths[i] + spread, 0.0f);
    const float feedback = 0.70f + 0.28f * size;
    constexpr float kDamping = 0.3f;
    // The eight combs sum to about eight times their input's energy.
    constexpr float kInputGain = 0.03f;
    for (size_t i = 0; i < input.size(); ++i) {
        const float in = input[i] * kInputGain;
        float sum = 0.0f;
        for (Comb& comb : combs)
            sum += runComb(comb, in, feedback, kDamping);
        for (AllPass& pass : passes)
            sum = runAllPass(pass, sum);
        output[i] += sum;
    }
}

}  // namespace

void reverb(const std::vector<float>& input, Stereo& output, float size)
{
    reverbSide(input, output.left, size, 0);
    reverbSide(input, output.right, size, 11);
}

// ---- Limiter -------------------------------------------------------------

namespace {

// The gain each frame needs to keep both sides within the ceiling, 1 where
// they already are.
std::vector<float> neededGain(const Stereo& mix, float ceiling)
{
    std::vector<float> gain(mix.left.size(), 1.0f);
    for (size_t i = 0; i < gain.size(); ++i) {
        const float level = std::max(std::fabs(mix.left[i]), std::fabs(mix.right[i]));
        if (level > ceiling)
            gain[i] = ceiling / level;
    }
    return gain;
}

// The smallest value of every window [i, i + span] (shorter at the end), in
// one backward pass. The queue holds the indices that can still be a
// window's minimum: indices falling and values rising from front to back, so
// the front is the minimum and the first to leave the window.
std::vector<float> lookAheadMinimum(const std::vector<float>& values, long span)
{
    const long length = static_cast<long>(values.size());
    std::vector<float> minimum(values.size());
    std::deque<long> candidates;
    for (long i = length - 1; i >= 0; --i) {
        while (!candidates.empty() && values[candidates.back()] >= values[i])
            candidates.pop_back();
        candidates.push_back(i);
        if (candidates.front() > i + span)
            candidates.pop_front();
        minimum[i] = values[candidates.front()];
    }
    return minimum;
}

}  // namespace

// The gain curve is built in three passes. The look-ahead minimum holds each
// needed gain over the `span` frames before its peak; the release lets the
// gain rise again no faster than its time constant but never above what is
// held; the moving average over the last span + 1 frames turns every drop into
// a ramp. A peak's own frame averages only values held for it, so it gets at
// most the gain it needs.
void limitPeaks(Stereo& mix, float ceiling, float lookahead, float release)
{
    const long span = std::max(1L, samplesOf(lookahead));
    const std::vector<float> held = lookAheadMinimum(neededGain(mix, ceiling), span);
    // The release shrinks the gain reduction rather than raising the gain:
    // a gain creeping up towards 1 would stall a few float steps short of it
    // once each step rounded away, while the reduction keeps shrinking until
    // 1 - reduction is exactly 1 and the samples pass untouched again.
    const float keep = std::exp(-1.0f / (release * kSampleRate));
    std::vector<float> released(held.size());
    float reduction = 0.0f;
    for (size_t i = 0; i < held.size(); ++i) {
        reduction = std::max(1.0f - held[i], reduction * keep);
        released[i] = 1.0f - reduction;
    }
    // The window starts out full of unit gains: the mix is quiet before it
    // begins. Gains are floats and the sum a double, so adding and removing
    // them is exact (for any gain above 2^-20, a peak a million times over
    // the ceiling) and the sum is back at span + 1 once the window is all 1.
    double sum = static_cast<double>(span + 1);
    for (long i = 0; i < static_cast<long>(released.size()); ++i) {
        sum += static_cast<double>(released[i]) - (i > span ? released[i - span - 1] : 1.0);
        const float smooth = static_cast<float>(sum / static_cast<double>(span + 1));
        // The clamp only catches the last bit of rounding in the running sum
        // and in ceiling / level, which could leave a peak a hair over.
        mix.left[i] = std::clamp(mix.left[i] * smooth, -ceiling, ceiling);
        mix.right[i] = std::clamp(mix.right[i] * smooth, -ceiling, ceiling);
    }
}

// ---- Mixer ---------------------------------------------------------------

void mixTrack(const std::vector<float>& track, Stereo& mix, float gain, float pan,
              float width)
{
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * kPi / 4.0f;
    const float left = gain * std::cos(angle), right = gain * std::sin(angle);
    const long offset = samplesOf(width);
    const long length = static_cast<long>(track.size());
    for (long i = 0; i < length; ++i) {
        mix.left[i] += left * track[i];
        if (i >= offset)
            mix.right[i] += right * track[i - offset];
    }
}
