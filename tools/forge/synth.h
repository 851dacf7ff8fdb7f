// The forge's small synthesiser: oscillators, envelopes, a resonant filter,
// drum voices, a stereo delay, a reverb and a panning mixer. It works in
// floating point at the show's audio rate and runs only in the forge, so its
// output only has to be the same from run to run, never fast.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <utility>
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

// ---- Tracks --------------------------------------------------------------
// A stretch of a mono track: the samples [first, end()) of the piece. The
// piece is rendered a stretch at a time to keep its memory small; a voice is
// computed from its own start wherever that lies and adds only the samples
// that fall inside, so the stretches hold exactly what one render of the
// whole piece would.
struct Track {
    long first = 0;
    std::vector<float> samples;
    long end() const { return first + static_cast<long>(samples.size()); }
    // `at` below end(); samples before the stretch are dropped.
    void add(long at, float value)
    {
        if (at >= first)
            samples[at - first] += value;
    }
};

// How many samples of a voice `length` samples long starting at `start` to
// compute for a track: up to the track's end, none when the voice ends
// before the track starts or starts after it ends.
long voiceSpan(const Track& track, long start, long length);

// ---- Drums ---------------------------------------------------------------
// Each adds one hit at `start` (a sample index of the piece) into a mono
// track, scaled by velocity 0..1, and stops at the end of the track.
void addKick(Track& track, long start, float velocity);
void addSnare(Track& track, long start, float velocity, Noise noise);
void addHiHat(Track& track, long start, float velocity, bool open, Noise noise);
void addTom(Track& track, long start, float velocity, float pitch);
void addCrash(Track& track, long start, float velocity, Noise noise);

// ---- Effects -------------------------------------------------------------
struct Stereo {
    std::vector<float> left, right;
};
// Every effect keeps its state from one call to the next, so a signal fed
// in consecutive blocks comes out as it would fed whole. The delay's and the
// room's `run` add to the first input.size() samples of `output`.

// A line that gives back each sample `length` samples after it went in
// (silence before that); length 0 passes samples straight through.
class DelayLine {
public:
    explicit DelayLine(long length) : line_(static_cast<size_t>(length), 0.0f) {}
    // The sample the next pass gives back; the line is not empty.
    float next() const { return line_[at_]; }
    float pass(float sample)
    {
        if (line_.empty())
            return sample;
        const float out = line_[at_];
        line_[at_] = sample;
        at_ = at_ + 1 == line_.size() ? 0 : at_ + 1;
        return out;
    }

private:
    std::vector<float> line_;
    size_t at_ = 0;
};

// Ping-pong delay: the first echo comes back on the left after `seconds`,
// the next on the right, each `feedback` times the last and darker.
class PingPongDelay {
public:
    PingPongDelay(float seconds, float feedback);
    void run(const std::vector<float>& input, Stereo& output);

private:
    DelayLine left_, right_;
    float feedback_;
    float darkLeft_ = 0.0f, darkRight_ = 0.0f;
};

// A small room: parallel feedback combs and serial all-passes per side with
// different lengths, so the two sides decorrelate. `size` 0..1 sets the decay.
class Reverb {
public:
    explicit Reverb(float size);
    void run(const std::vector<float>& input, Stereo& output);

    struct Comb {
        std::vector<float> buffer;
        size_t at = 0;
        float damped = 0.0f;
    };
    struct AllPass {
        std::vector<float> buffer;
        size_t at = 0;
    };
    struct Side {
        std::array<Comb, 8> combs;
        std::array<AllPass, 4> passes;
    };

private:
    float feedback_;
    Side left_, right_;
};

// A fourth-order high-pass at `cutoff` Hz (two second-order stages, -6 dB
// at the cut-off, 24 dB per octave under it) on both sides of a mix, in
// place: it takes out the offset and the rumble under the music that no
// speaker plays but every meter counts.
class HighPass {
public:
    explicit HighPass(float cutoff);
    void run(Stereo& mix);

private:
    std::array<StateVariableFilter, 2> left_, right_;
};

// A look-ahead peak limiter for the finished mix: wherever a sample of
// either side would pass `ceiling`, both sides are turned down together
// (so the stereo image stays put) along a ramp of `lookahead` seconds that
// has come down to what the loudest sample needs when it arrives, and the
// gain recovers towards 1 with time constant `release` seconds. Away from
// such peaks the samples pass unchanged. Afterwards no sample's magnitude
// exceeds `ceiling`. Each frame comes out once the look-ahead has seen past
// it: `run` appends what is ready to `output`, `finish` the rest.
class PeakLimiter {
public:
    PeakLimiter(float ceiling, float lookahead, float release);
    void run(const Stereo& input, Stereo& output);
    void finish(Stereo& output);

private:
    struct Frame {
        float left, right, gain;
    };
    void take(const Frame& frame, Stereo* output);

    float ceiling_, keep_;
    long span_;
    long taken_ = 0;               // frames taken in so far
    std::vector<Frame> waiting_;   // the last span + 1 frames, a ring by frame number
    std::vector<float> released_;  // the released gains of the last span + 1 frames, likewise
    std::deque<std::pair<long, float>> minimum_;   // see take()
    float reduction_ = 0.0f;
    double sum_;
};

// ---- Mixer ---------------------------------------------------------------
// Adds a mono track into a stereo pair at `gain`, placed by constant-power
// panning (-1 left .. 1 right). `lag` delays the right side: a few
// milliseconds spread a sustained sound across the field (DelayLine(0) for
// none).
void mixTrack(const std::vector<float>& track, Stereo& mix, float gain, float pan,
              DelayLine& lag);
