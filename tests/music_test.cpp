// Checks on the forge's synthesiser and on the piece it renders, measured
// rather than listened to: envelope shapes, filter response, pitches by zero
// crossings, the limiter, the notation reader, the score against the show's
// timeline, and the rendered piece: length, loudness plan, drum hits on the
// beat grid, arrangement changes at the show's scene changes, the melody's
// close before the fade, the band above 4 kHz under the drums, determinism.
// The files are checked as the show and a listener get them: the WAV and the
// Ogg Vorbis file written from the render (levels, spectrum, decoding through
// SDL_mixer), and data/music itself when the forge has written it.
//
// The synthesiser, the score and the file writers are compiled into this
// test; the piece is rendered once per test process.
#include "forge.h"
#include "music.h"
#include "music_score.h"
#include "synth.h"

#include "core/show_state.h"
#include "show/schedule.h"
#include "support.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace {

long samplesIn(double seconds)
{
    return std::lround(seconds * kSampleRate);
}

double rmsOf(const std::vector<float>& samples, double from, double to)
{
    const long first = samplesIn(from);
    const long last = std::min(static_cast<long>(samples.size()), samplesIn(to));
    double sum = 0.0;
    for (long i = first; i < last; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0.0;
}

// Frequency of a signal from its rising zero crossings between two times:
// crossings counted, divided by the time between the first and the last.
double zeroCrossingFrequency(const std::vector<float>& samples, double from, double to)
{
    long first = -1, last = -1, count = 0;
    for (long i = std::max(1L, samplesIn(from)); i < std::min(static_cast<long>(samples.size()), samplesIn(to)); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            if (first < 0)
                first = i;
            else
                ++count;
            last = i;
        }
    }
    if (count == 0)
        return 0.0;
    return static_cast<double>(count) * kSampleRate / static_cast<double>(last - first);
}

// Steady-state gain of the low-pass for a sine of the given frequency.
double lowPassGain(float cutoff, float resonance, float frequency)
{
    StateVariableFilter filter;
    tuneFilter(filter, cutoff, resonance);
    float peak = 0.0f;
    float phase = 0.0f;
    for (long i = 0; i < kSampleRate; ++i) {
        const float out = runFilter(filter, sineWave(phase)).low;
        if (i > kSampleRate / 2)
            peak = std::max(peak, std::fabs(out));
        phase = advancePhase(phase, frequency / kSampleRate);
    }
    return peak;
}

std::vector<float> oneSecondOf(float (*wave)(float, float), float frequency)
{
    std::vector<float> samples(kSampleRate);
    float phase = 0.0f;
    for (float& sample : samples) {
        sample = wave(phase, frequency / kSampleRate);
        phase = advancePhase(phase, frequency / kSampleRate);
    }
    return samples;
}

// Isolates the fundamental of a rich tone before counting zero crossings:
// a narrow band-pass around the expected pitch. A note a semitone or an
// octave off still dominates what comes through, so it still counts wrong.
std::vector<float> bandPassed(const std::vector<float>& samples, float around)
{
    StateVariableFilter filter;
    tuneFilter(filter, around, 0.9f);
    std::vector<float> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        out[i] = runFilter(filter, samples[i]).band;
    return out;
}

// ---- Envelopes ------------------------------------------------------------

TEST(SynthEnvelope, RisesDecaysToSustainHoldsAndReleasesToSilence)
{
    const Adsr envelope{0.1f, 0.2f, 0.6f, 0.5f};
    const float gate = 1.0f;
    EXPECT_FLOAT_EQ(envelopeLevel(envelope, 0.0f, gate), 0.0f);
    EXPECT_NEAR(envelopeLevel(envelope, 0.05f, gate), 0.5f, 1e-5f);
    EXPECT_NEAR(envelopeLevel(envelope, 0.1f, gate), 1.0f, 1e-5f);
    // The decay falls the whole way to the sustain level on time, and stays.
    EXPECT_GT(envelopeLevel(envelope, 0.2f, gate), 0.6f);
    EXPECT_NEAR(envelopeLevel(envelope, 0.3f, gate), 0.6f, 1e-5f);
    EXPECT_NEAR(envelopeLevel(envelope, 0.8f, gate), 0.6f, 1e-5f);
    // The release starts from the sustain level and ends exactly on time.
    EXPECT_NEAR(envelopeLevel(envelope, 1.0f + 1e-4f, gate), 0.6f, 1e-3f);
    EXPECT_GT(envelopeLevel(envelope, 1.49f, gate), 0.0f);
    EXPECT_FLOAT_EQ(envelopeLevel(envelope, 1.5f, gate), 0.0f);
    EXPECT_FLOAT_EQ(envelopeLevel(envelope, 3.0f, gate), 0.0f);
    EXPECT_FLOAT_EQ(envelopeEnd(envelope, gate), 1.5f);
}

TEST(SynthEnvelope, NeverJumps)
{
    // A gate closing during the attack releases from where the attack got to;
    // a jump anywhere would click.
    for (const float gate : {0.03f, 0.15f, 1.0f}) {
        const Adsr envelope{0.06f, 0.1f, 0.5f, 0.2f};
        float last = 0.0f;
        for (long i = 1; i < kSampleRate; ++i) {
            const float level = envelopeLevel(envelope, static_cast<float>(i) / kSampleRate, gate);
            ASSERT_LE(std::fabs(level - last), 0.002f) << "gate " << gate << " sample " << i;
            ASSERT_GE(level, 0.0f);
            ASSERT_LE(level, 1.0f);
            last = level;
        }
    }
}

// ---- Filter -----------------------------------------------------------------

TEST(SynthFilter, PassesBelowTheCutoffAndCutsAbove)
{
    EXPECT_NEAR(lowPassGain(1000.0f, 0.0f, 250.0f), 1.0f, 0.06f);
    EXPECT_NEAR(lowPassGain(1000.0f, 0.0f, 1000.0f), std::sqrt(0.5f), 0.05f);
    EXPECT_LT(lowPassGain(1000.0f, 0.0f, 4000.0f), 0.1f);   // two poles: 24 dB two octaves up
    // Moving the cut-off moves the response with it.
    EXPECT_NEAR(lowPassGain(3000.0f, 0.0f, 3000.0f), std::sqrt(0.5f), 0.05f);
    EXPECT_GT(lowPassGain(3000.0f, 0.0f, 1000.0f), 0.95f);
}

TEST(SynthFilter, ResonanceRingsAtTheCutoffAndStaysStable)
{
    EXPECT_GT(lowPassGain(1000.0f, 0.9f, 1000.0f), 3.0f);
    EXPECT_LT(lowPassGain(1000.0f, 0.9f, 4000.0f), 0.15f);
    // Out-of-range settings are clamped, never unstable.
    StateVariableFilter filter;
    tuneFilter(filter, 50000.0f, 2.0f);
    Noise noise{12345u};
    for (int i = 0; i < kSampleRate; ++i) {
        const float out = runFilter(filter, nextNoise(noise)).low;
        ASSERT_TRUE(std::isfinite(out));
        ASSERT_LT(std::fabs(out), 1000.0f);
    }
}

// ---- Oscillators and pitch ----------------------------------------------------

TEST(SynthOscillator, WavesHaveThePitchTheyAreAskedFor)
{
    EXPECT_FLOAT_EQ(noteFrequency(69.0f), 440.0f);
    EXPECT_NEAR(noteFrequency(57.0f), 220.0f, 1e-3f);
    EXPECT_NEAR(noteFrequency(70.0f), 466.16f, 0.01f);
    for (const float frequency : {110.0f, 440.0f, 1760.0f}) {
        EXPECT_NEAR(zeroCrossingFrequency(oneSecondOf(sawWave, frequency), 0, 1), frequency, 1.0)
            << "saw " << frequency;
        const auto pulse = [](float phase, float step) { return pulseWave(phase, step, 0.3f); };
        EXPECT_NEAR(zeroCrossingFrequency(oneSecondOf(pulse, frequency), 0, 1), frequency, 1.0)
            << "pulse " << frequency;
        const auto triangle = [](float phase, float) { return triangleWave(phase); };
        EXPECT_NEAR(zeroCrossingFrequency(oneSecondOf(triangle, frequency), 0, 1), frequency, 1.0)
            << "triangle " << frequency;
    }
}

TEST(SynthOscillator, PulseWidthSetsTheDutyCycleAndNoiseIsCentred)
{
    for (const float width : {0.25f, 0.5f}) {
        const auto pulse = [](float phase, float step) { return pulseWave(phase, step, 0.25f); };
        const auto square = [](float phase, float step) { return pulseWave(phase, step, 0.5f); };
        const std::vector<float> samples = oneSecondOf(width == 0.25f ? +pulse : +square, 220.0f);
        const long high = std::count_if(samples.begin(), samples.end(), [](float s) { return s > 0.0f; });
        EXPECT_NEAR(static_cast<double>(high) / kSampleRate, width, 0.01);
    }
    Noise noise{1u};
    double sum = 0.0;
    float low = 1.0f, high = -1.0f;
    for (int i = 0; i < 100000; ++i) {
        const float value = nextNoise(noise);
        sum += value;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
    EXPECT_GE(low, -1.0f);
    EXPECT_LT(high, 1.0f);
    EXPECT_LT(low, -0.99f);
    EXPECT_GT(high, 0.99f);
}

TEST(SynthVoice, EveryInstrumentPlaysItsNoteInTune)
{
    // Each is measured while it sounds steadily: after the pad's slow
    // attack, before the pluck dies, once the bell's bright strike (whose
    // sidebands outweigh its fundamental) has faded. The pad's and the
    // stab's saw pairs play in unison here: their chorus makes the
    // fundamental beat in and out, which upsets a crossing count.
    Patch pad = kPadPatch, stab = kStabPatch;
    pad.detune = stab.detune = 0.0f;
    struct Case {
        const char* name;
        const Patch* patch;
        int note;
        double from, to;
    };
    for (const Case& c : {Case{"pad", &pad, 57, 0.3, 1.5}, Case{"bass", &kBassPatch, 38, 0.05, 1.5},
                          Case{"arp", &kArpPatch, 69, 0.02, 0.16}, Case{"lead", &kLeadPatch, 69, 0.05, 1.5},
                          Case{"bell", &kBellPatch, 81, 0.8, 1.6}, Case{"stab", &stab, 60, 0.05, 1.5}}) {
        Track track{0, std::vector<float>(2 * kSampleRate, 0.0f)};
        addNote(track, *c.patch, static_cast<float>(c.note), 0, 1.5f, 1.0f, 0.8f);
        const float expected = noteFrequency(static_cast<float>(c.note));
        const double measured = zeroCrossingFrequency(bandPassed(track.samples, expected), c.from, c.to);
        EXPECT_NEAR(measured, expected, expected * 0.01) << c.name;
        EXPECT_GT(rmsOf(track.samples, c.from, c.to), 0.01) << c.name << " is silent";
    }
}

TEST(SynthVoice, NotesAndDrumsStopAtTheEndsOfTheirStretch)
{
    // Hits and notes that start near or past the end are cut, not written
    // past it; those that started before the stretch add only their part
    // inside it, the same samples a stretch from 0 holds there.
    const auto strike = [](Track& track) {
        addKick(track, 990, 1.0f);
        addSnare(track, 999, 1.0f, Noise{7u});
        addHiHat(track, 1000, 1.0f, true, Noise{8u});
        addTom(track, 5000, 1.0f, 100.0f);
        addCrash(track, 995, 1.0f, Noise{9u});
        addNote(track, kPadPatch, 60.0f, 998, 1.0f, 1.0f, 1.0f);
        addNote(track, kBassPatch, 40.0f, 200, 0.01f, 1.0f, 1.0f);   // over before 995
    };
    Track whole{0, std::vector<float>(1000, 0.0f)};
    strike(whole);
    EXPECT_EQ(whole.samples.size(), 1000u);
    EXPECT_NE(whole.samples[995], 0.0f);
    Track tail{995, std::vector<float>(5, 0.0f)};
    strike(tail);
    EXPECT_TRUE(std::equal(tail.samples.begin(), tail.samples.end(), whole.samples.begin() + 995));
}

// ---- Drums ------------------------------------------------------------------

// Peak level of a hit over its last 10 ms against its loudest 10 ms.
double tailRatio(const std::vector<float>& hit)
{
    long last = static_cast<long>(hit.size()) - 1;
    while (last > 0 && hit[last] == 0.0f)
        --last;
    const long window = kSampleRate / 100;
    const float loudest = *std::max_element(hit.begin(), hit.end(), [](float a, float b) {
        return std::fabs(a) < std::fabs(b);
    });
    float tail = 0.0f;
    for (long i = std::max(0L, last - window); i <= last; ++i)
        tail = std::max(tail, std::fabs(hit[i]));
    return tail / std::fabs(loudest);
}

TEST(SynthDrums, KickFallsInPitchHatIsBrightOpenHatRings)
{
    Track kick{0, std::vector<float>(kSampleRate, 0.0f)};
    addKick(kick, 0, 1.0f);
    const double early = zeroCrossingFrequency(kick.samples, 0.0, 0.04);
    const double late = zeroCrossingFrequency(kick.samples, 0.1, 0.3);
    EXPECT_GT(early, 1.5 * late);
    EXPECT_NEAR(late, 44.0, 10.0);

    Track hat{0, std::vector<float>(kSampleRate, 0.0f)};
    addHiHat(hat, 0, 1.0f, false, Noise{99u});
    EXPECT_GT(zeroCrossingFrequency(hat.samples, 0.0, 0.05), 3000.0);

    Track open{0, std::vector<float>(kSampleRate, 0.0f)};
    addHiHat(open, 0, 1.0f, true, Noise{99u});
    EXPECT_GT(rmsOf(open.samples, 0.15, 0.2), 10.0 * rmsOf(hat.samples, 0.15, 0.2));
}

TEST(SynthDrums, EveryHitHasDiedAwayWhenItIsCutOff)
{
    // A hit cut off while still audible clicks on every beat.
    const Noise noise{5u};
    std::vector<Track> hits(6, Track{0, std::vector<float>(6 * kSampleRate, 0.0f)});
    addKick(hits[0], 0, 1.0f);
    addSnare(hits[1], 0, 1.0f, noise);
    addHiHat(hits[2], 0, 1.0f, false, noise);
    addHiHat(hits[3], 0, 1.0f, true, noise);
    addTom(hits[4], 0, 1.0f, 105.0f);
    addCrash(hits[5], 0, 1.0f, noise);
    for (size_t i = 0; i < hits.size(); ++i)
        EXPECT_LT(tailRatio(hits[i].samples), 0.002) << "hit " << i;
}

// ---- Effects and mixer --------------------------------------------------------

TEST(SynthEffects, DelayEchoesLeftThenRightAndFades)
{
    std::vector<float> click(kSampleRate * 2, 0.0f);
    click[0] = 1.0f;
    Stereo out{std::vector<float>(click.size(), 0.0f), std::vector<float>(click.size(), 0.0f)};
    PingPongDelay(0.25f, 0.5f).run(click, out);
    EXPECT_GT(rmsOf(out.left, 0.24, 0.27), 0.0);
    EXPECT_EQ(rmsOf(out.left, 0.0, 0.24), 0.0);
    EXPECT_EQ(rmsOf(out.right, 0.0, 0.49), 0.0);
    const double first = rmsOf(out.left, 0.24, 0.27);
    const double second = rmsOf(out.right, 0.49, 0.52);
    const double third = rmsOf(out.left, 0.74, 0.77);
    EXPECT_GT(second, 0.0);
    EXPECT_LT(second, first);
    EXPECT_LT(third, second);
}

TEST(SynthEffects, ReverbDecaysAndDiffersBetweenSides)
{
    std::vector<float> click(kSampleRate * 6, 0.0f);
    click[0] = 1.0f;
    Stereo out{std::vector<float>(click.size(), 0.0f), std::vector<float>(click.size(), 0.0f)};
    Reverb(0.7f).run(click, out);
    const double start = rmsOf(out.left, 0.0, 0.5);
    EXPECT_GT(start, 0.0);
    EXPECT_LT(rmsOf(out.left, 0.5, 1.0), start);
    EXPECT_LT(rmsOf(out.left, 5.0, 6.0), 0.001 * start);
    double difference = 0.0;
    for (long i = 0; i < kSampleRate; ++i)
        difference += std::fabs(out.left[i] - out.right[i]);
    EXPECT_GT(difference, 0.1);
}

TEST(SynthMixer, PanningKeepsThePowerAndPlacesTheSound)
{
    const std::vector<float> ones(100, 1.0f);
    for (const float pan : {-1.0f, -0.3f, 0.0f, 0.5f, 1.0f}) {
        Stereo mix{std::vector<float>(100, 0.0f), std::vector<float>(100, 0.0f)};
        DelayLine none(0);
        mixTrack(ones, mix, 0.5f, pan, none);
        EXPECT_NEAR(mix.left[50] * mix.left[50] + mix.right[50] * mix.right[50], 0.25f, 1e-5f) << pan;
        if (pan < 0.0f) {
            EXPECT_GT(mix.left[50], mix.right[50]);
        }
        if (pan > 0.0f) {
            EXPECT_LT(mix.left[50], mix.right[50]);
        }
    }
    Stereo mix{std::vector<float>(100, 0.0f), std::vector<float>(100, 0.0f)};
    DelayLine none(0);
    mixTrack(ones, mix, 1.0f, -1.0f, none);
    EXPECT_NEAR(mix.right[50], 0.0f, 1e-6f);
    // A lag delays the right side only, and carries over into the next block.
    Stereo wide{std::vector<float>(kSampleRate, 0.0f), std::vector<float>(kSampleRate, 0.0f)};
    std::vector<float> block(kSampleRate, 0.0f);
    std::fill(block.end() - 100, block.end(), 1.0f);
    DelayLine lag(220);
    mixTrack(block, wide, 1.0f, 0.0f, lag);
    EXPECT_GT(wide.left.back(), 0.5f);
    EXPECT_EQ(wide.right.back(), 0.0f);
    Stereo next{std::vector<float>(300, 0.0f), std::vector<float>(300, 0.0f)};
    mixTrack(std::vector<float>(300, 0.0f), next, 1.0f, 0.0f, lag);
    EXPECT_EQ(next.right[119], 0.0f);
    EXPECT_GT(next.right[120], 0.5f);
    EXPECT_GT(next.right[219], 0.5f);
    EXPECT_EQ(next.right[220], 0.0f);
}

TEST(SynthLimiter, HoldsPeaksUnderTheCeilingAndLeavesTheRestAlone)
{
    // A steady tone at half scale with a burst at twice full scale in the
    // middle, the right side at half the left's level throughout.
    const long length = 2 * kSampleRate, burst = kSampleRate, burstLength = 200;
    Stereo mix{std::vector<float>(length), std::vector<float>(length)};
    float phase = 0.0f;
    for (long i = 0; i < length; ++i) {
        const float level = i >= burst && i < burst + burstLength ? 2.0f : 0.5f;
        mix.left[i] = level * sineWave(phase);
        mix.right[i] = 0.5f * mix.left[i];
        phase = advancePhase(phase, 220.0f / kSampleRate);
    }
    const Stereo original = mix;
    // Fed in two uneven blocks: the look-ahead sees across the seam.
    PeakLimiter limiter(0.8f, 0.004f, 0.02f);
    Stereo first{std::vector<float>(mix.left.begin(), mix.left.begin() + burst - 30),
                 std::vector<float>(mix.right.begin(), mix.right.begin() + burst - 30)};
    Stereo second{std::vector<float>(mix.left.begin() + burst - 30, mix.left.end()),
                  std::vector<float>(mix.right.begin() + burst - 30, mix.right.end())};
    mix = {};
    limiter.run(first, mix);
    limiter.run(second, mix);
    limiter.finish(mix);
    ASSERT_EQ(mix.left.size(), original.left.size());

    float peak = 0.0f;
    for (long i = 0; i < length; ++i)
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    EXPECT_LE(peak, 0.8f);
    EXPECT_GT(peak, 0.79f);   // the burst is brought down to the ceiling, no further
    // Before the look-ahead reaches the burst and half a second (25 release
    // times) after it, the samples pass untouched.
    for (const long i : {0L, burst - 200, burst + burstLength + kSampleRate / 2}) {
        EXPECT_EQ(mix.left[i], original.left[i]) << i;
        EXPECT_EQ(mix.right[i], original.right[i]) << i;
    }
    // Both sides get the same gain, and it glides: a limiter that switched
    // its gain at once would move it by 0.6 in one sample. Near the tone's
    // zero crossings the gain cannot be read, so those samples are skipped.
    float lastGain = 1.0f;
    float lowest = 1.0f;
    for (long i = 0; i < length; ++i) {
        if (std::fabs(original.left[i]) < 0.05f)
            continue;
        const float gain = mix.left[i] / original.left[i];
        ASSERT_NEAR(mix.right[i] / original.right[i], gain, 1e-5f) << i;
        ASSERT_LT(std::fabs(gain - lastGain), 0.05f) << i;
        lastGain = gain;
        lowest = std::min(lowest, gain);
    }
    EXPECT_NEAR(lowest, 0.4f, 0.01f);   // 0.8 / 2: just what the burst needs
}

// ---- Notation ---------------------------------------------------------------

TEST(MusicNotation, ChordNamesGiveTheirTonesInTheRequestedOctave)
{
    EXPECT_EQ(chordNotes("Dm", 55), (std::vector<int>{57, 62, 65}));        // A3 D4 F4
    EXPECT_EQ(chordNotes("Bbmaj7", 55), (std::vector<int>{57, 58, 62, 65})); // A Bb D F
    EXPECT_EQ(chordNotes("C", 60), (std::vector<int>{60, 64, 67}));
    EXPECT_EQ(chordNotes("Dm9", 55), (std::vector<int>{57, 60, 62, 65, 76}));   // ninth on top
    EXPECT_EQ(chordNotes("Csus2", 60), (std::vector<int>{60, 62, 67}));
    EXPECT_EQ(chordNotes("Dadd9", 62), (std::vector<int>{62, 66, 69, 76}));
    EXPECT_EQ(chordRoot("F#"), 6);
    EXPECT_EQ(chordRoot("Bb"), 10);
    EXPECT_EQ(chordRoot("B"), 11);
    EXPECT_EQ(chordIntervals("Em"), (std::vector<int>{0, 3, 7}));
}

TEST(MusicNotation, MelodyLinesExpandTransposeAndStretch)
{
    const std::vector<MelodyNote> call = expandLine("call", 62);
    ASSERT_GE(call.size(), 5u);
    // 5 - - 3 - - 5 - 8 in D minor: A4 for three steps, F4 for three, A4, D5.
    EXPECT_EQ(call[0].step, 0);
    EXPECT_EQ(call[0].length, 3);
    EXPECT_EQ(call[0].note, 69);
    EXPECT_EQ(call[1].step, 3);
    EXPECT_EQ(call[1].note, 65);
    EXPECT_EQ(call[3].note, 74);
    EXPECT_EQ(call[3].length, 4);

    const std::vector<MelodyNote> octave = expandLine("call+7", 62);
    const std::vector<MelodyNote> slow = expandLine("_ call*2", 62);
    ASSERT_EQ(octave.size(), call.size());
    ASSERT_EQ(slow.size(), call.size());
    for (size_t i = 0; i < call.size(); ++i) {
        EXPECT_EQ(octave[i].note, call[i].note + 12);
        EXPECT_EQ(slow[i].step, kStepsPerBar + 2 * call[i].step);
        EXPECT_EQ(slow[i].length, 2 * call[i].length);
    }
    // A diatonic shift stays in the scale: "pulse" moved down a step starts
    // on C5, a whole tone under its D5.
    EXPECT_EQ(expandLine("pulse", 62).front().note, 74);
    EXPECT_EQ(expandLine("pulse-1", 62).front().note, 72);
    // Rests break a held note: "8 . . 8" is two separate one-step notes.
    const std::vector<MelodyNote> pulse = expandLine("pulse", 62);
    EXPECT_EQ(pulse[0].length, 1);
    EXPECT_EQ(pulse[1].step, 3);
}

// Every character a pattern of this kind may hold.
bool patternUses(const char* pattern, const char* allowed)
{
    for (const char* c = pattern; *c; ++c)
        if (*c != ' ' && *c != '|' && !std::strchr(allowed, *c))
            return false;
    return true;
}

TEST(MusicScore, SectionsTileThePieceAndEveryPatternReads)
{
    const std::vector<Section>& sections = pieceSections();
    ASSERT_FALSE(sections.empty());
    EXPECT_EQ(sections.front().start, 0.0);
    EXPECT_EQ(sections.back().end, kPieceSeconds);
    for (size_t i = 0; i < sections.size(); ++i) {
        const Section& s = sections[i];
        SCOPED_TRACE(std::string(s.name) + " at " + std::to_string(s.start));
        if (i > 0) {
            EXPECT_EQ(s.start, sections[i - 1].end);
        }
        EXPECT_LT(s.start, s.end);
        // Whole steps only: a section boundary off the grid would smear a beat.
        EXPECT_EQ(s.start * kStepsPerSecond, std::round(s.start * kStepsPerSecond));
        EXPECT_TRUE(patternUses(s.kick, ".xXg"));
        EXPECT_TRUE(patternUses(s.snare, ".xXg"));
        EXPECT_TRUE(patternUses(s.hat, ".xXgo"));
        EXPECT_TRUE(patternUses(s.toms, ".hmlHML"));
        EXPECT_TRUE(patternUses(s.fill, ".xXghmlHMLkK"));
        EXPECT_TRUE(patternUses(s.bass, ".-rtfo"));
        EXPECT_TRUE(patternUses(s.arp, ".-0123456789"));
        EXPECT_TRUE(patternUses(s.stab, ".xX"));
        // A pattern that is not a whole number of beats per bar drifts off the beat.
        for (const char* pattern : {s.kick, s.snare, s.hat, s.toms, s.bass, s.arp, s.stab}) {
            const size_t size = compact(pattern).size();
            EXPECT_TRUE(size == 0 || size % kStepsPerBar == 0 || kStepsPerBar % size == 0) << pattern;
        }
        EXPECT_LE(compact(s.fill).size(), static_cast<size_t>(kStepsPerBar));
        for (const std::string& chord : words(s.chords))
            EXPECT_FALSE(chordIntervals(chord).empty());
        // A melody longer than its section would be cut off mid-phrase.
        const SectionSteps span = spanOf(s);
        for (const char* line : {s.lead, s.bells})
            for (const MelodyNote& note : expandLine(line, s.key))
                EXPECT_LE(span.origin + note.step, span.end) << line;
    }
}

TEST(MusicScore, EverySceneChangeStartsANewSection)
{
    std::set<double> starts;
    for (const Section& section : pieceSections())
        starts.insert(section.start);
    for (const double change : sceneChanges())
        EXPECT_TRUE(starts.count(change)) << change;
    EXPECT_TRUE(starts.count(kFadeStart));
}

// Centiseconds at which a timeline row's scene starts: once DemoTime has
// passed `after`, one centisecond later.
long sceneStart(const TimelineRow& row)
{
    return static_cast<long>(row.after) + 1;
}

long centiseconds(double seconds)
{
    return std::lround(seconds * 100.0);
}

TEST(MusicScore, SectionsFollowTheShowsTimeline)
{
    // The timeline is the show's one record of when its pictures change. Each
    // of its rows, the first and the bar-long alternation from 230 to 246 s
    // included, must start a section of the score within 10 ms, and the
    // score's list of scene changes, read from it, must be those rows.
    std::vector<long> starts;
    for (const Section& section : pieceSections())
        starts.push_back(centiseconds(section.start));
    std::vector<long> changes;
    long endOfShow = 0;
    for (const TimelineRow& row : Timeline) {
        if (row.sceneMask & EndOfShow) {
            endOfShow = sceneStart(row);
            continue;
        }
        const long at = sceneStart(row);
        const bool startsSection = std::any_of(starts.begin(), starts.end(), [&](long start) {
            return std::abs(start - at) <= 1;
        });
        EXPECT_TRUE(startsSection) << "no section starts at " << at << " cs";
        if (row.after > 0)
            changes.push_back(at);
    }
    ASSERT_EQ(changes.size(), sceneChanges().size());
    for (size_t i = 0; i < changes.size(); ++i)
        EXPECT_LE(std::abs(centiseconds(sceneChanges()[i]) - changes[i]), 1) << changes[i] << " cs";
    // The music outlasts the show by a second, so it never stops before the
    // last picture does.
    ASSERT_GT(endOfShow, 0);
    EXPECT_GE(centiseconds(kPieceSeconds), endOfShow + 100);
}

// ---- The rendered piece ------------------------------------------------------

double meanRms(const Stereo& mix, Energy energy)
{
    double sum = 0.0;
    int count = 0;
    for (const Section& section : pieceSections())
        if (section.energy == energy) {
            sum += rmsOf(mix.left, section.start, std::min(section.end, kFadeStart));
            ++count;
        }
    return count ? sum / count : 0.0;
}

struct RenderedPiece {
    Stems stems;
    Stereo mix;
};

// One render serves every check on the whole piece (it takes seconds).
const RenderedPiece& renderedPiece()
{
    static const RenderedPiece piece = [] {
        RenderedPiece rendered{renderStems(), {}};
        rendered.mix = mixStems(rendered.stems);
        return rendered;
    }();
    return piece;
}

TEST(MusicPiece, RenderedPieceFollowsThePlan)
{
    const Stems& stems = renderedPiece().stems;
    const Stereo& mix = renderedPiece().mix;

    // Length: the show needs 285 s.
    ASSERT_EQ(mix.left.size(), mix.right.size());
    EXPECT_GE(static_cast<long>(mix.left.size()), samplesIn(285.0));
    EXPECT_EQ(static_cast<long>(mix.left.size()), samplesIn(kPieceSeconds));

    // Headroom: no sample near full scale, nothing undefined.
    float peak = 0.0f;
    for (size_t i = 0; i < mix.left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(mix.left[i]) && std::isfinite(mix.right[i])) << i;
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    }
    EXPECT_LT(peak, 0.9f);
    EXPECT_GT(peak, 0.5f);

    // Loudness follows the plan: quiet credits, full sections clearly louder
    // than every quiet one, medium in between.
    const double full = meanRms(mix, Energy::Full);
    const double medium = meanRms(mix, Energy::Medium);
    const double quiet = meanRms(mix, Energy::Quiet);
    EXPECT_GT(full, medium);
    EXPECT_GT(medium, quiet);
    EXPECT_LT(rmsOf(mix.left, 0.0, 24.0), 0.6 * full);
    EXPECT_GT(rmsOf(mix.left, 0.0, 24.0), 0.1 * full);   // quiet, not silent
    for (const Section& loud : pieceSections()) {
        if (loud.energy != Energy::Full)
            continue;
        for (const Section& soft : pieceSections()) {
            if (soft.energy == Energy::Quiet) {
                EXPECT_GT(rmsOf(mix.left, loud.start, loud.end),
                          1.3 * rmsOf(mix.left, soft.start, std::min(soft.end, kFadeStart)))
                    << loud.name << " against " << soft.name;
            }
        }
    }

    // The breakdown in the black second.
    EXPECT_LT(rmsOf(mix.left, 123.6, 124.4), 0.4 * rmsOf(mix.left, 119.5, 123.5));
    EXPECT_GT(rmsOf(mix.left, 124.5, 126.5), 2.0 * rmsOf(mix.left, 123.6, 124.4));

    // The fade: falling through 274..284, silent from 284 on.
    const double beforeFade = rmsOf(mix.left, 270.0, 274.0);
    EXPECT_GT(beforeFade, 0.02);
    EXPECT_LT(rmsOf(mix.left, 279.0, 280.0), 0.8 * beforeFade);
    EXPECT_LT(rmsOf(mix.left, 282.0, 283.0), 0.2 * beforeFade);
    EXPECT_LT(rmsOf(mix.left, 283.0, 284.0), 0.05 * beforeFade);
    for (long i = samplesIn(kFadeEnd); i < static_cast<long>(mix.left.size()); ++i) {
        ASSERT_EQ(mix.left[i], 0.0f) << i;
        ASSERT_EQ(mix.right[i], 0.0f) << i;
    }

    // The jungle drops the trails' full band to drums, bass and the pulse,
    // and the calendar bursts in with everything: at both cuts the mix's
    // loudness (both sides) steps by at least 3 dB, down and then up.
    const auto stereoRms = [&](double from, double to) {
        return std::hypot(rmsOf(mix.left, from, to), rmsOf(mix.right, from, to)) / std::sqrt(2.0);
    };
    const auto stepDb = [&](double cut) {
        return 20.0 * std::log10(stereoRms(cut, cut + 2.0) / stereoRms(cut - 2.0, cut));
    };
    EXPECT_LT(stepDb(40.0), -3.0);
    EXPECT_GT(stepDb(48.0), 3.0);

    // At every scene change some instrument enters, leaves or changes level
    // at least twofold: compare each stem over the moments before and after.
    // The one-off crash, the sweeps and the wind do not count as a change.
    for (const double change : sceneChanges()) {
        const double window = change == 123.5 || change == 124.5 ? 0.5 : 1.0;
        double strongest = 1.0;
        for (int track = 0; track < kTrackCount; ++track) {
            if (track == kCrashTrack || track == kRiserTrack || track == kAirTrack)
                continue;
            // The floor keeps the near-silence of a tail from counting as a change.
            const double before = rmsOf(stems[track].samples, change - window, change) + 0.01;
            const double after = rmsOf(stems[track].samples, change, change + window) + 0.01;
            strongest = std::max({strongest, after / before, before / after});
        }
        EXPECT_GT(strongest, 2.0) << "nothing changes at " << change << " s";
    }
}

TEST(MusicPiece, MelodyClosesBeforeTheScreenGoesDarkAndTheFadeCarriesItsTail)
{
    // The sunset's picture fades to black from 274 s. The last phrase lands
    // on the key note before then and no phrase starts over the dark screen:
    // from 276 s the lead and the bells are silent (60 dB under their level
    // over the sunset), while the mix, their echoes, the pad and the wind,
    // still sounds and fades out smoothly.
    const Stems& stems = renderedPiece().stems;
    const Stereo& mix = renderedPiece().mix;
    const auto melodyRms = [&](double from, double to) {
        return std::hypot(rmsOf(stems[kLeadTrack].samples, from, to), rmsOf(stems[kBellTrack].samples, from, to));
    };
    const double sunset = melodyRms(246.0, 274.0);
    ASSERT_GT(sunset, 0.01);
    EXPECT_LT(melodyRms(276.0, kPieceSeconds), 0.001 * sunset);
    const double beforeFade = rmsOf(mix.left, 270.0, 274.0);
    EXPECT_GT(rmsOf(mix.left, 276.0, 278.0), 0.4 * beforeFade);
    EXPECT_GT(rmsOf(mix.left, 278.0, 280.0), 0.2 * beforeFade);
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(MusicPiece, RendersTheSameSamplesInBlocksAsWhole)
{
    // The forge renders and masters the piece a block at a time to keep its
    // memory small. Voices that reach across a block's edge, the effects'
    // tails, the limiter's look-ahead and the loudness over the whole piece
    // must all come out as in one render of the whole, to the bit; nothing
    // may depend on memory contents or state left by an earlier render.
    Stereo blocks;
    renderPiece([&](const Stereo& block) {
        blocks.left.insert(blocks.left.end(), block.left.begin(), block.left.end());
        blocks.right.insert(blocks.right.end(), block.right.begin(), block.right.end());
    });
    EXPECT_TRUE(sameBits(blocks.left, renderedPiece().mix.left));
    EXPECT_TRUE(sameBits(blocks.right, renderedPiece().mix.right));
}

// ---- Drums on the beat grid ---------------------------------------------------

// Adds the steps (sixteenths from the start of the piece) in [from, to) at
// which a cycling pattern, its first character on step `origin`, holds one
// of `symbols`.
void addPatternSteps(std::set<int>& steps, const char* pattern, int from, int to, int origin,
                     const char* symbols)
{
    std::string cells;
    for (const char* c = pattern; *c; ++c)
        if (*c != ' ' && *c != '|')
            cells += *c;
    if (cells.empty())
        return;
    for (int step = from; step < to; ++step)
        if (std::strchr(symbols, cells[(step - origin) % cells.size()]))
            steps.insert(step);
}

// Where the score asks each drum to sound, read from the sections' patterns:
// patterns count from the bar line at or before the section's start, the fill
// plays the section's last bar in place of snare and toms, and an impact adds
// a kick on the section's first step.
struct ScoredDrums {
    std::set<int> kick, snare, hat, toms;
};

ScoredDrums scoredDrums()
{
    ScoredDrums drums;
    for (const Section& s : pieceSections()) {
        const int from = static_cast<int>(std::lround(s.start * kStepsPerSecond));
        const int to = static_cast<int>(std::lround(s.end * kStepsPerSecond));
        const int barLine = from / kStepsPerBar * kStepsPerBar;
        const int fill = *s.fill ? std::max(from, to - kStepsPerBar) : to;
        const int stop = to - s.stopSteps;   // the band rests from here
        addPatternSteps(drums.kick, s.kick, from, stop, barLine, "xXg");
        addPatternSteps(drums.kick, s.fill, fill, stop, fill, "kK");
        if (s.impact > 0.0f)
            drums.kick.insert(from);
        addPatternSteps(drums.snare, s.snare, from, std::min(fill, stop), barLine, "xXg");
        addPatternSteps(drums.snare, s.fill, fill, stop, fill, "xXg");
        addPatternSteps(drums.hat, s.hat, from, stop, barLine, "xXgo");
        addPatternSteps(drums.toms, s.toms, from, std::min(fill, stop), barLine, "hmlHML");
        addPatternSteps(drums.toms, s.fill, fill, stop, fill, "hmlHML");
    }
    return drums;
}

// Onset times (seconds) of a stem: the starts of frames of 32 samples (1.5
// ms) whose energy is four times that of the loudest frame in the 20 ms
// before. The frame just before does not count there, since a hit that
// starts within it already fills it partly. A hit rings on after its onset,
// so onsets closer than 60 ms (half a step) count once.
std::vector<double> onsetTimes(const std::vector<float>& stem)
{
    constexpr long kFrame = 32;
    constexpr long kLookBack = kSampleRate / 50 / kFrame;
    constexpr long kRefractory = kSampleRate * 6 / 100 / kFrame;
    constexpr double kSilence = 1e-6;   // -60 dBFS: tails and rounding never count
    std::vector<double> energy(stem.size() / kFrame);
    for (size_t k = 0; k < energy.size(); ++k) {
        double sum = 0.0;
        for (long i = 0; i < kFrame; ++i)
            sum += static_cast<double>(stem[k * kFrame + i]) * stem[k * kFrame + i];
        energy[k] = sum / kFrame;
    }
    std::vector<double> onsets;
    long last = -kRefractory;
    for (long k = kLookBack; k < static_cast<long>(energy.size()); ++k) {
        const double before = *std::max_element(energy.begin() + k - kLookBack, energy.begin() + k - 1);
        if (energy[k] > kSilence && energy[k] > 4.0 * before && k - last >= kRefractory) {
            onsets.push_back(static_cast<double>(k * kFrame) / kSampleRate);
            last = k;
        }
    }
    return onsets;
}

TEST(MusicPiece, DrumHitsLandOnTheBeatGridWhereThePatternsPutThem)
{
    // Every hit heard on a drum's stem lies within 4 ms of a sixteenth step
    // (the kicks of a four-to-the-floor bar on the half seconds, the backbeat
    // on the odd ones) at which the score has that drum play. Every kick and
    // snare of the score is heard. A hat or tom struck while a louder one
    // still rings hardly raises the energy, so a few of those go unnoticed.
    const ScoredDrums scored = scoredDrums();
    const Stems& stems = renderedPiece().stems;
    struct Drum {
        const char* name;
        int track;
        const std::set<int>& steps;
        double heardShare;
    };
    for (const Drum& drum : {Drum{"kick", kKickTrack, scored.kick, 1.0},
                             Drum{"snare", kSnareTrack, scored.snare, 1.0},
                             Drum{"hat", kHatTrack, scored.hat, 0.97},
                             Drum{"tom", kTomTrack, scored.toms, 0.9}}) {
        ASSERT_FALSE(drum.steps.empty()) << drum.name;
        std::set<int> heard;
        for (const double onset : onsetTimes(stems[drum.track].samples)) {
            const int step = static_cast<int>(std::lround(onset * kStepsPerSecond));
            EXPECT_NEAR(onset, static_cast<double>(step) / kStepsPerSecond, 0.004)
                << drum.name << " off the grid";
            EXPECT_TRUE(drum.steps.count(step))
                << drum.name << " at " << onset << " s where the score has none";
            heard.insert(step);
        }
        const long found = std::count_if(drum.steps.begin(), drum.steps.end(),
                                         [&](int step) { return heard.count(step) > 0; });
        EXPECT_GE(static_cast<double>(found), drum.heardShare * static_cast<double>(drum.steps.size()))
            << drum.name << ": " << found << " of " << drum.steps.size() << " hits heard";
    }
}

// ---- The files -------------------------------------------------------------------

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t littleEndian32(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t littleEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

// Granule position (total samples so far) of the last Ogg page.
int64_t lastGranule(const std::vector<uint8_t>& bytes)
{
    for (size_t at = bytes.size() >= 27 ? bytes.size() - 27 : 0; at > 0; --at)
        if (std::equal(bytes.begin() + at, bytes.begin() + at + 4, "OggS")) {
            int64_t granule = 0;
            for (int i = 7; i >= 0; --i)
                granule = granule << 8 | bytes[at + 6 + i];
            return granule;
        }
    return -1;
}

// Interleaved 16-bit stereo samples of a file as the show's mixer decodes
// it, on a device opened the way the show opens it; empty when it fails.
std::vector<int16_t> decodeWithMixer(const std::string& path)
{
    std::vector<int16_t> pcm;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        ADD_FAILURE() << SDL_GetError();
        return pcm;
    }
    if (Mix_OpenAudio(kSampleRate, AUDIO_S16LSB, 2, 256) == 0) {
        if (Mix_Chunk* chunk = Mix_LoadWAV(path.c_str())) {
            const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
            pcm.assign(samples, samples + chunk->alen / 2);
            Mix_FreeChunk(chunk);
        } else {
            ADD_FAILURE() << path << ": " << SDL_GetError();
        }
        Mix_CloseAudio();
    } else {
        ADD_FAILURE() << SDL_GetError();
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return pcm;
}

// Levels of 16-bit samples against full scale (32768): the loudest sample
// and the RMS in dBFS, and how many samples sit at the ends of the range,
// where anything louder was cut off.
struct Levels {
    double peakDb, rmsDb;
    long clipped;
};

Levels levelsOf(const int16_t* samples, size_t count)
{
    int peak = 0;
    double sum = 0.0;
    long clipped = 0;
    for (size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        sum += static_cast<double>(samples[i]) * samples[i];
        if (samples[i] >= 32767 || samples[i] <= -32767)
            ++clipped;
    }
    return {20.0 * std::log10(std::max(peak, 1) / 32768.0),
            10.0 * std::log10(std::max(sum, 1.0) / static_cast<double>(count) / (32768.0 * 32768.0)),
            clipped};
}

// The levels the piece is mastered to: a loudness a listener need not
// adjust, peaks a decibel under full scale.
constexpr double kLoudnessTargetDb = -18.0;
constexpr double kPeakLimitDb = -1.0;

void expectMasteredLevels(const Levels& levels)
{
    EXPECT_EQ(levels.clipped, 0);
    EXPECT_LE(levels.peakDb, kPeakLimitDb);
    EXPECT_NEAR(levels.rmsDb, kLoudnessTargetDb, 1.0);
}

// Left channel of interleaved samples, -1..1.
std::vector<float> leftOf(const std::vector<int16_t>& pcm)
{
    std::vector<float> left(pcm.size() / 2);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = pcm[2 * i] / 32768.0f;
    return left;
}

// In-place radix-2 FFT; the size is a power of two.
void fourierTransform(std::vector<std::complex<double>>& values)
{
    const size_t size = values.size();
    for (size_t i = 1, j = 0; i < size; ++i) {
        size_t bit = size >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(values[i], values[j]);
    }
    for (size_t length = 2; length <= size; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        const std::complex<double> turn(std::cos(angle), std::sin(angle));
        for (size_t at = 0; at < size; at += length) {
            std::complex<double> twiddle(1.0);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = values[at + k];
                const std::complex<double> odd = values[at + k + length / 2] * twiddle;
                values[at + k] = even + odd;
                values[at + k + length / 2] = even - odd;
                twiddle *= turn;
            }
        }
    }
}

// Power of the mono mix (left + right) / 2 per frequency bin over [from, to)
// seconds: Hann-windowed frames of 4096 samples (5.4 Hz per bin), half
// overlapping, summed.
constexpr size_t kSpectrumSize = 4096;

std::vector<double> powerSpectrumOf(const std::vector<int16_t>& pcm, double from, double to)
{
    std::vector<double> window(kSpectrumSize);
    for (size_t i = 0; i < kSpectrumSize; ++i)
        window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kSpectrumSize);
    std::vector<double> power(kSpectrumSize / 2, 0.0);
    std::vector<std::complex<double>> frame(kSpectrumSize);
    const size_t last = std::min(pcm.size() / 2, static_cast<size_t>(samplesIn(to)));
    for (size_t at = static_cast<size_t>(samplesIn(from)); at + kSpectrumSize <= last; at += kSpectrumSize / 2) {
        for (size_t i = 0; i < kSpectrumSize; ++i)
            frame[i] = window[i] * 0.5 * (pcm[2 * (at + i)] + pcm[2 * (at + i) + 1]);
        fourierTransform(frame);
        for (size_t bin = 1; bin < kSpectrumSize / 2; ++bin)
            power[bin] += std::norm(frame[bin]);
    }
    return power;
}

// Share of a spectrum's power (all bins but the constant one) in [low, high) Hz.
double shareOf(const std::vector<double>& power, double low, double high)
{
    double band = 0.0, total = 0.0;
    for (size_t bin = 1; bin < power.size(); ++bin) {
        const double hz = static_cast<double>(bin) * kSampleRate / kSpectrumSize;
        total += power[bin];
        if (hz >= low && hz < high)
            band += power[bin];
    }
    return total > 0.0 ? band / total : 0.0;
}

// Shares of three bands: 30..250 Hz, 250..2500 Hz, 2500..10000 Hz.
struct BandShares {
    double bass, mid, high;
};

BandShares bandSharesOf(const std::vector<int16_t>& pcm, double from, double to)
{
    const std::vector<double> power = powerSpectrumOf(pcm, from, to);
    return {shareOf(power, 30.0, 250.0), shareOf(power, 250.0, 2500.0), shareOf(power, 2500.0, 10000.0)};
}

// Interleaved 16-bit samples of the mix, as the WAV file holds them.
std::vector<int16_t> pcmOf(const Stereo& mix)
{
    std::vector<int16_t> pcm(2 * mix.left.size());
    for (size_t i = 0; i < mix.left.size(); ++i) {
        pcm[2 * i] = pcmSample(mix.left[i]);
        pcm[2 * i + 1] = pcmSample(mix.right[i]);
    }
    return pcm;
}

TEST(MusicFile, WavHoldsThePieceAtTheMasteredLevelsWithAFullSpectrum)
{
    const std::string path = (makeTempDir("music-wav") / "music.wav").string();
    const Stereo& mix = renderedPiece().mix;
    WavWriter wav(path, static_cast<long>(mix.left.size()));
    wav.write(mix);
    wav.finish();

    // The canonical 44-byte header of 16-bit PCM stereo at the music's rate,
    // the data chunk reaching exactly to the end of the file.
    const std::vector<uint8_t> bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 4, "RIFF"));
    EXPECT_EQ(littleEndian32(&bytes[4]), bytes.size() - 8);
    EXPECT_TRUE(std::equal(bytes.begin() + 8, bytes.begin() + 16, "WAVEfmt "));
    EXPECT_EQ(littleEndian16(&bytes[20]), 1);   // PCM
    EXPECT_EQ(littleEndian16(&bytes[22]), 2);
    EXPECT_EQ(littleEndian32(&bytes[24]), static_cast<uint32_t>(kSampleRate));
    EXPECT_EQ(littleEndian32(&bytes[28]), static_cast<uint32_t>(4 * kSampleRate));
    EXPECT_EQ(littleEndian16(&bytes[32]), 4);
    EXPECT_EQ(littleEndian16(&bytes[34]), 16);
    EXPECT_TRUE(std::equal(bytes.begin() + 36, bytes.begin() + 40, "data"));
    EXPECT_EQ(littleEndian32(&bytes[40]), bytes.size() - 44);

    // A standard reader agrees, and its samples are the ones measured.
    SDL_AudioSpec wavFormat;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV(path.c_str(), &wavFormat, &buffer, &length), nullptr) << SDL_GetError();
    EXPECT_EQ(wavFormat.freq, kSampleRate);
    EXPECT_EQ(wavFormat.format, AUDIO_S16LSB);
    EXPECT_EQ(wavFormat.channels, 2);
    const auto* samples = reinterpret_cast<const int16_t*>(buffer);
    const std::vector<int16_t> pcm(samples, samples + length / 2);
    SDL_FreeWAV(buffer);
    EXPECT_EQ(static_cast<long>(pcm.size() / 2), samplesIn(kPieceSeconds));
    EXPECT_GE(static_cast<long>(pcm.size() / 2), samplesIn(285.0));
    expectMasteredLevels(levelsOf(pcm.data(), pcm.size()));

    // Every section after the intro has bass, middle and treble: each band
    // carries at least 1/200 (-23 dB) of the section's power. The dusk is
    // measured in its first five seconds, before the fade takes it away.
    for (const Section& section : pieceSections()) {
        if (section.start == 0.0)
            continue;
        const BandShares shares = bandSharesOf(pcm, section.start, std::min(section.end, kFadeStart + 5.0));
        EXPECT_GT(shares.bass, 0.005) << section.name << " at " << section.start << " s";
        EXPECT_GT(shares.mid, 0.005) << section.name << " at " << section.start << " s";
        EXPECT_GT(shares.high, 0.005) << section.name << " at " << section.start << " s";
    }
}

TEST(MusicFile, DrumsTickWithoutHissing)
{
    // Hats, snare wires, crash, sweeps and the bells' upper sidebands all
    // land between 4 and 11 kHz. Wherever drums play, that band stays at
    // least 18 dB under the whole mix, so the drums tick over the music
    // instead of laying a hiss over it.
    const std::vector<int16_t> pcm = pcmOf(renderedPiece().mix);
    for (const Section& s : pieceSections()) {
        if (!*s.kick && !*s.snare && !*s.hat && !*s.toms && !*s.fill)
            continue;
        const double share = shareOf(powerSpectrumOf(pcm, s.start, s.end), 4000.0, 11000.0);
        EXPECT_LT(10.0 * std::log10(share), -18.0) << s.name << " at " << s.start << " s";
    }
}

// Power in dB of five bands (20-200, 200-800, 800-2500, 2500-6000 and
// 6000-11025 Hz) of the mono mix over the half second from `from`: one
// Hann-windowed transform, zero-padded.
std::array<double, 5> bandPowersDb(const Stereo& mix, double from)
{
    constexpr size_t kSize = 16384;
    constexpr double kEdges[6] = {20.0, 200.0, 800.0, 2500.0, 6000.0, 11025.0};
    const long first = samplesIn(from), count = samplesIn(0.5);
    std::vector<std::complex<double>> frame(kSize);
    for (long i = 0; i < count; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / count);
        frame[i] = window * 0.5 * (mix.left[first + i] + mix.right[first + i]);
    }
    fourierTransform(frame);
    std::array<double, 5> powers{};
    for (size_t band = 0; band < powers.size(); ++band) {
        double sum = 1e-20;   // a floor for silence
        for (size_t bin = 1; bin <= kSize / 2; ++bin) {
            const double hz = static_cast<double>(bin) * kSampleRate / kSize;
            if (hz >= kEdges[band] && hz < kEdges[band + 1])
                sum += std::norm(frame[bin]);
        }
        powers[band] = 10.0 * std::log10(sum);
    }
    return powers;
}

TEST(MusicPiece, EverySceneCutIsHeard)
{
    // Where the picture cuts, the music audibly changes with it: drums or
    // bass entering or stopping, a new instrument or register, a fill that
    // lands. Measured as the sum over five bands of how far each band's
    // power moves between the half seconds before and after the cut; inside
    // a section, where a listener hears nothing happen, it is around 10.
    const Stereo& mix = renderedPiece().mix;
    for (const double cut : sceneChanges()) {
        const std::array<double, 5> before = bandPowersDb(mix, cut - 0.5);
        const std::array<double, 5> after = bandPowersDb(mix, cut);
        double change = 0.0;
        for (size_t band = 0; band < before.size(); ++band)
            change += std::fabs(after[band] - before[band]);
        EXPECT_GE(change, 20.0) << "the cut at " << cut << " s";
    }
}

TEST(MusicPiece, HasNoOffsetAndNoRumble)
{
    // An offset wastes headroom and thumps where playback starts and stops;
    // what lies under 20 Hz no speaker plays, yet it moves the cones and the
    // meters. The mean sample of every section stays within 0.001, and the
    // band under 20 Hz carries under -60 dBFS over the whole piece (mean
    // power of Hann-windowed frames of 32768 samples, 0.7 Hz apart).
    const Stereo& mix = renderedPiece().mix;
    std::vector<double> mono(mix.left.size());
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = 0.5 * (mix.left[i] + mix.right[i]);
    for (const Section& section : pieceSections()) {
        const long first = samplesIn(section.start), last = samplesIn(section.end);
        const double mean = std::accumulate(mono.begin() + first, mono.begin() + last, 0.0) / (last - first);
        EXPECT_LT(std::fabs(mean), 0.001) << section.name << " at " << section.start << " s";
    }
    constexpr size_t kSize = 32768;
    std::vector<double> window(kSize);
    double windowPower = 0.0;
    for (size_t i = 0; i < kSize; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kSize);
        windowPower += window[i] * window[i];
    }
    std::vector<std::complex<double>> frame(kSize);
    double rumble = 0.0;
    int frames = 0;
    for (size_t at = 0; at + kSize <= mono.size(); at += kSize / 2, ++frames) {
        for (size_t i = 0; i < kSize; ++i)
            frame[i] = window[i] * mono[at + i];
        fourierTransform(frame);
        // Parseval: the bins' power, both halves of the spectrum, over the
        // window's, is the frame's mean square.
        for (size_t bin = 0; static_cast<double>(bin) * kSampleRate / kSize < 20.0; ++bin)
            rumble += (bin == 0 ? 1.0 : 2.0) * std::norm(frame[bin]) / (windowPower * kSize);
    }
    ASSERT_GT(frames, 0);
    EXPECT_LT(10.0 * std::log10(rumble / frames), -60.0);
}

TEST(MusicFile, EncodedPieceDecodesThroughTheMixerAtTheMasteredLevels)
{
    const std::string path = (makeTempDir("music-ogg") / "music").string();
    const Stereo& mix = renderedPiece().mix;
    OggVorbisWriter ogg(path);
    ogg.write(mix);
    ogg.finish();
    const std::vector<int16_t> pcm = decodeWithMixer(path);
    ASSERT_FALSE(pcm.empty());
    EXPECT_EQ(static_cast<long>(pcm.size() / 2), samplesIn(kPieceSeconds));
    EXPECT_GE(static_cast<long>(pcm.size() / 2), samplesIn(285.0));
    // The encoder's overshoots stay within the decibel of headroom the
    // master leaves under the peak limit.
    expectMasteredLevels(levelsOf(pcm.data(), pcm.size()));

    // The same samples encode to the same bytes however they are split
    // into blocks: the opening ten seconds, to keep it quick, in one block
    // and in two.
    const long split = samplesIn(3.3), end = samplesIn(10.0);
    const auto stretch = [&](long from, long to) {
        return Stereo{std::vector<float>(mix.left.begin() + from, mix.left.begin() + to),
                      std::vector<float>(mix.right.begin() + from, mix.right.begin() + to)};
    };
    OggVorbisWriter whole(path + "-a");
    whole.write(stretch(0, end));
    whole.finish();
    OggVorbisWriter halves(path + "-b");
    halves.write(stretch(0, split));
    halves.write(stretch(split, end));
    halves.finish();
    const std::vector<uint8_t> first = readBytes(path + "-a");
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, readBytes(path + "-b"));
}

TEST(MusicData, IsStereoVorbisAt22050AndDecodesInFull)
{
    const std::vector<uint8_t> bytes = readBytes("data/music");
    ASSERT_FALSE(bytes.empty()) << "data/music not forged";
    // The first page carries the identification header: "\x01vorbis",
    // version, channels, rate.
    ASSERT_GT(bytes.size(), 58u + 16u);
    ASSERT_TRUE(std::equal(bytes.begin(), bytes.begin() + 4, "OggS"));
    const uint8_t* identification = bytes.data() + 28;
    ASSERT_TRUE(std::equal(identification, identification + 7, "\x01vorbis"));
    EXPECT_EQ(identification[11], 2);
    EXPECT_EQ(littleEndian32(identification + 12), static_cast<uint32_t>(kSampleRate));
    const int64_t samples = lastGranule(bytes);
    EXPECT_GE(samples, samplesIn(285.0));

    // Decoded the way the show's mixer opens the device.
    const std::vector<int16_t> pcm = decodeWithMixer("data/music");
    ASSERT_FALSE(pcm.empty());
    const long frames = static_cast<long>(pcm.size() / 2);
    EXPECT_EQ(frames, samples);
    EXPECT_EQ(levelsOf(pcm.data(), pcm.size()).clipped, 0);
    // The plan survives the encoder: quiet credits, loud greetings, a dip in
    // the black second, silence at the end.
    const std::vector<float> left = leftOf(pcm);
    EXPECT_LT(rmsOf(left, 0.0, 24.0), 0.6 * rmsOf(left, 182.0, 216.0));
    EXPECT_LT(rmsOf(left, 123.6, 124.4), 0.4 * rmsOf(left, 119.5, 123.5));
    EXPECT_LT(rmsOf(left, 284.2, 285.0), 0.001);
}

}  // namespace
