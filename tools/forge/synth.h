// The forge's small synthesiser: oscillators, envelopes, a resonant filter,
// drum voices, a stereo delay, a reverb and a panning mixer. It works in
// floating point at the show's audio rate and runs only in the forge, so its
// output only has to be the same from run to run, never fast.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 22050;

// ---- Oscillators --------------------------------------------------------
// Each takes a phase in [0, 1) and the phase step per sample (frequency /
// rate); saw and pulse smooth their jumps over one step so that high notes
// do not fold back as audible aliases. Output in -1..1 (saw and pulse may
// overshoot by the smoothing, at most about 10 %).
float sineWave(float phase);
float sawWave(float phase, float step);
float pulseWave(float phase, float step, float width);   // width in (0, 1)
float triangleWave(float phase);

// White noise from the synthesiser's own xorshift32 generator, -1..1.
struct Noise {
    uint32_t state;
};
float nextNoise(Noise& noise);

// Advances a phase by one step (of either sign) and wraps it into [0, 1).
inline float advancePhase(float phase, float step)
{
    phase += step;
    return phase - std::floor(phase);
}

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz), with optional
// fractional detune in semitones.
float noteFrequency(float note);

// ---- Envelopes ----------------------------------------------------------
// Attack rises linearly from 0 to 1; decay falls from 1 to the sustain level
// and reaches it exactly after `decay` seconds; release falls from the level
// held when the gate closed to 0, reaching 0 exactly after `release`
// seconds. Decay and release follow a cubic curve that starts steep like an
// exponential but, unlike one, ends.
struct Adsr {
    float attack;    // seconds, >= 0
    float decay;     // seconds, >= 0
    float sustain;   // level 0..1
    float release;   // seconds, >= 0
};
// Level at `time` seconds after note-on for a gate held `gate` seconds.
float envelopeLevel(const Adsr& envelope, float time, float gate);
// Seconds after note-on at which the envelope has fallen to 0 for good.
float envelopeEnd(const Adsr& envelope, float gate);

// ---- Filter --------------------------------------------------------------
// Two-pole state-variable filter (trapezoidal integration, stable for any
// cut-off below the Nyquist frequency). Resonance 0 gives the flattest pass
// band (-3 dB at the cut-off); towards 1 it rings at the cut-off.
struct StateVariableFilter {
    float g = 0.0f, k = 2.0f;         // tuning: tan(pi fc / rate), damping
    float a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
    float state1 = 0.0f, state2 = 0.0f;
};
struct FilterOutputs {
    float low, band, high;
};
// Cut-off is clamped to 10 Hz .. 0.45 of the rate, where the tuning stays
// accurate; resonance to 0 .. 0.98, short of self-oscillation.
void tuneFilter(StateVariableFilter& filter, float cutoff, float resonance);
// One sample through the filter (inline: it runs for every sample of most voices).
inline FilterOutputs runFilter(StateVariableFilter& filter, float input)
{
    const float v3 = input - filter.state2;
    const float v1 = filter.a1 * filter.state1 + filter.a2 * v3;
    const float v2 = filter.state2 + filter.a2 * filter.state1 + filter.a3 * v3;
    filter.state1 = 2.0f * v1 - filter.state1;
    filter.state2 = 2.0f * v2 - filter.state2;
    return {v2, v1, input - filter.k * v1 - v2};
}

// ---- Drums ---------------------------------------------------------------
// Each adds one hit at `start` (a sample index) into a mono track, scaled by
// velocity 0..1, and stops at the end of the buffer.
void addKick(std::vector<float>& track, long start, float velocity);
void addSnare(std::vector<float>& track, long start, float velocity, Noise& noise);
void addHiHat(std::vector<float>& track, long start, float velocity, bool open,
              Noise& noise);
void addTom(std::vector<float>& track, long start, float velocity, float pitch);
void addCrash(std::vector<float>& track, long start, float velocity, Noise& noise);

// ---- Effects -------------------------------------------------------------
struct Stereo {
    std::vector<float> left, right;
};
// Ping-pong delay: the first echo comes back on the left after `seconds`,
// the next on the right, each `feedback` times the last and darker.
void pingPongDelay(const std::vector<float>& input, Stereo& output, float seconds,
                   float feedback);
// A small room: parallel feedback combs and serial all-passes per side with
// different lengths, so the two sides decorrelate. `size` 0..1 sets the decay.
void reverb(const std::vector<float>& input, Stereo& output, float size);

// A look-ahead peak limiter for the finished mix: wherever a sample of
// either side would pass `ceiling`, both sides are turned down together
// (so the stereo image stays put) along a ramp of `lookahead` seconds that
// has come down to what the loudest sample needs when it arrives, and the
// gain recovers towards 1 with time constant `release` seconds. Away from
// such peaks the samples pass unchanged. Afterwards no sample's magnitude
// exceeds `ceiling`.
void limitPeaks(Stereo& mix, float ceiling, float lookahead, float release);

// ---- Mixer ---------------------------------------------------------------
// Adds a mono track into a stereo pair at `gain`, placed by constant-power
// panning (-1 left .. 1 right). `width` > 0 delays the right side by that
// many seconds, which spreads a sustained sound across the field.
void mixTrack(const std::vector<float>& track, Stereo& mix, float gain, float pan,
              float width = 0.0f);
