#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>
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

}  // namespace

long voiceSpan(const Track& track, long start, long length)
{
    if (start >= track.end() || start + length <= track.first)
        return 0;
    return std::min(length, track.end() - start);
}

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

void addKick(Track& track, long start, float velocity)
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
        track.add(start + i, velocity * norm * std::tanh(drive * level * sineWave(phase)));
        phase = advancePhase(phase, pitch / kSampleRate);
    }
}

void addSnare(Track& track, long start, float velocity, Noise noise)
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
        track.add(start + i, velocity * attack * (0.55f * body + 0.65f * wires));
        phase = advancePhase(phase, (180.0f + 60.0f * std::exp(-t / 0.02f)) / kSampleRate);
    }
}

// A burst of filtered noise: a short attack, an exponential decay, the
// filter's high output with some of its band output, then a low-pass at
// `ceiling` that takes the fizz off the top. Hats and crash differ only in
// these settings.
static void addNoiseHit(Track& track, long start, float velocity, Noise& noise,
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
        track.add(start + i, velocity * attack * std::exp(-t / decay) * shaped);
    }
}

void addHiHat(Track& track, long start, float velocity, bool open, Noise noise)
{
    addNoiseHit(track, start, velocity, noise, 5500.0f, 0.35f, 0.0005f, open ? 0.2f : 0.03f, 0.5f,
                8500.0f);
}

void addTom(Track& track, long start, float velocity, float pitch)
{
    constexpr float kDecay = 0.16f;
    const long span = voiceSpan(track, start, samplesOf(kDecaySpan * kDecay));
    float phase = 0.25f;
    for (long i = 0; i < span; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float level = std::min(1.0f, t / 0.001f) * std::exp(-t / kDecay);
        track.add(start + i, velocity * level * sineWave(phase));
        phase = advancePhase(phase, pitch * (1.0f + 0.6f * std::exp(-t / 0.03f)) / kSampleRate);
    }
}

void addCrash(Track& track, long start, float velocity, Noise noise)
{
    addNoiseHit(track, start, velocity, noise, 3500.0f, 0.5f, 0.002f, 0.7f, 0.7f, 6000.0f);
}

// ---- Effects -------------------------------------------------------------

PingPongDelay::PingPongDelay(float seconds, float feedback)
    : left_(std::max(1L, samplesOf(seconds))), right_(std::max(1L, samplesOf(seconds))),
      feedback_(feedback)
{
}

void PingPongDelay::run(const std::vector<float>& input, Stereo& output)
{
    // One-pole low-pass in the loop: each echo loses some top end. The
    // left line takes the input and the right's darkened echo, the right
    // line the left's.
    constexpr float kDarken = 0.35f;
    for (size_t i = 0; i < input.size(); ++i) {
        const float echoLeft = left_.next(), echoRight = right_.next();
        darkLeft_ += (echoLeft - darkLeft_) * (1.0f - kDarken);
        darkRight_ += (echoRight - darkRight_) * (1.0f - kDarken);
        left_.pass(input[i] + feedback_ * darkRight_);
        right_.pass(feedback_ * darkLeft_);
        output.left[i] += echoLeft;
        output.right[i] += echoRight;
    }
}

namespace {

float runComb(Reverb::Comb& comb, float input, float feedback, float damping)
{
    const float out = comb.buffer[comb.at];
    comb.damped = out * (1.0f - damping) + comb.damped * damping;
    comb.buffer[comb.at] = input + comb.damped * feedback;
    if (++comb.at == comb.buffer.size())
        comb.at = 0;
    return out;
}

float runAllPass(Reverb::AllPass& pass, float input)
{
    const float delayed = pass.buffer[pass.at];
    pass.buffer[pass.at] = input + delayed * 0.5f;
    if (++pass.at == pass.buffer.size())
        pass.at = 0;
    return delayed - input;
}

// One side of the room: lengths in samples at 22050 Hz, mutually prime-ish
// so the combs' echoes do not line up; `spread` lengthens the right side.
Reverb::Side roomSide(long spread)
{
    static constexpr std::array<long, 8> kCombLengths = {558, 594, 638, 678, 711, 745, 778, 808};
    static constexpr std::array<long, 4> kAllPassLengths = {278, 220, 170, 112};
    Reverb::Side side;
    for (size_t i = 0; i < side.combs.size(); ++i)
        side.combs[i].buffer.assign(kCombLengths[i] + spread, 0.0f);
    for (size_t i = 0; i < side.passes.size(); ++i)
        side.passes[i].buffer.assign(kAllPassLengths[i] + spread, 0.0f);
    return side;
}

void runRoomSide(Reverb::Side& side, const std::vector<float>& input, std::vector<float>& output,
                 float feedback)
{
    constexpr float kDamping = 0.3f;
    // The eight combs sum to about eight times their input's energy.
    constexpr float kInputGain = 0.03f;
    for (size_t i = 0; i < input.size(); ++i) {
        const float in = input[i] * kInputGain;
        float sum = 0.0f;
        for (Reverb::Comb& comb : side.combs)
            sum += runComb(comb, in, feedback, kDamping);
        for (Reverb::AllPass& pass : side.passes)
            sum = runAllPass(pass, sum);
        output[i] += sum;
    }
}

}  // namespace

Reverb::Reverb(float size) : feedback_(0.70f + 0.28f * size), left_(roomSide(0)), right_(roomSide(11))
{
}

void Reverb::run(const std::vector<float>& input, Stereo& output)
{
    runRoomSide(left_, input, output.left, feedback_);
    runRoomSide(right_, input, output.right, feedback_);
}

HighPass::HighPass(float cutoff)
{
    for (StateVariableFilter& stage : left_)
        tuneFilter(stage, cutoff, 0.0f);
    right_ = left_;
}

void HighPass::run(Stereo& mix)
{
    for (size_t i = 0; i < mix.left.size(); ++i)
        for (size_t stage = 0; stage < left_.size(); ++stage) {
            mix.left[i] = runFilter(left_[stage], mix.left[i]).high;
            mix.right[i] = runFilter(right_[stage], mix.right[i]).high;
        }
}

// ---- Limiter -------------------------------------------------------------

// The gain curve is built in three steps per frame. The look-ahead minimum
// holds each needed gain over the `span` frames before its peak; the release
// lets the gain rise again no faster than its time constant but never above
// what is held; the moving average over the last span + 1 frames turns every
// drop into a ramp. A peak's own frame averages only values held for it, so
// it gets at most the gain it needs.
PeakLimiter::PeakLimiter(float ceiling, float lookahead, float release)
    : ceiling_(ceiling), keep_(std::exp(-1.0f / (release * kSampleRate))),
      span_(std::max(1L, samplesOf(lookahead))), waiting_(span_ + 1), released_(span_ + 1),
      // The window starts out full of unit gains: the mix is quiet before it begins.
      sum_(static_cast<double>(span_ + 1))
{
}

void PeakLimiter::run(const Stereo& input, Stereo& output)
{
    for (size_t i = 0; i < input.left.size(); ++i) {
        const float level = std::max(std::fabs(input.left[i]), std::fabs(input.right[i]));
        take({input.left[i], input.right[i], level > ceiling_ ? ceiling_ / level : 1.0f}, &output);
    }
}

void PeakLimiter::finish(Stereo& output)
{
    // Unit gains after the end shorten no window's minimum: the last frames
    // see only the peaks that are really there.
    for (long i = 0; i < span_; ++i)
        take({0.0f, 0.0f, 1.0f}, &output);
}

// Takes frame `taken_` in and gives out frame taken_ - span_, whose window
// of look-ahead is now complete. The queue holds the frames that can still
// be a window's minimum: numbers rising and gains rising from front to back,
// so the front is the minimum and the first to leave the window.
void PeakLimiter::take(const Frame& frame, Stereo* output)
{
    const long ring = span_ + 1;
    while (!minimum_.empty() && minimum_.back().second >= frame.gain)
        minimum_.pop_back();
    minimum_.emplace_back(taken_, frame.gain);
    waiting_[taken_ % ring] = frame;
    const long out = taken_++ - span_;
    if (out < 0)
        return;
    while (minimum_.front().first < out)
        minimum_.pop_front();
    // The release shrinks the gain reduction rather than raising the gain:
    // a gain creeping up towards 1 would stall a few float steps short of it
    // once each step rounded away, while the reduction keeps shrinking until
    // 1 - reduction is exactly 1 and the samples pass untouched again.
    reduction_ = std::max(1.0f - minimum_.front().second, reduction_ * keep_);
    const float released = 1.0f - reduction_;
    // Gains are floats and the sum a double, so adding and removing them is
    // exact (for any gain above 2^-20, a peak a million times over the
    // ceiling) and the sum is back at span + 1 once the window is all 1.
    float& oldest = released_[out % ring];
    sum_ += static_cast<double>(released) - (out > span_ ? oldest : 1.0);
    oldest = released;
    const float smooth = static_cast<float>(sum_ / static_cast<double>(ring));
    // The clamp only catches the last bit of rounding in the running sum
    // and in ceiling / level, which could leave a peak a hair over.
    const Frame& leaving = waiting_[out % ring];
    output->left.push_back(std::clamp(leaving.left * smooth, -ceiling_, ceiling_));
    output->right.push_back(std::clamp(leaving.right * smooth, -ceiling_, ceiling_));
}

// ---- Mixer ---------------------------------------------------------------

void mixTrack(const std::vector<float>& track, Stereo& mix, float gain, float pan,
              DelayLine& lag)
{
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * kPi / 4.0f;
    const float left = gain * std::cos(angle), right = gain * std::sin(angle);
    for (size_t i = 0; i < track.size(); ++i) {
        mix.left[i] += left * track[i];
        mix.right[i] += right * lag.pass(track[i]);
    }
}
