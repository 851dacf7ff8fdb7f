// Checks on the forge's synthesiser and on the piece it renders, measured
// rather than listened to: envelope shapes, filter response, pitches by zero
// crossings, the notation reader, and the rendered piece's length, headroom,
// loudness plan and arrangement changes at the show's scene changes. The last
// group decodes data/music itself when the forge has written it.
//
// The synthesiser and the score are compiled into this test; the Vorbis
// encoder is not (it lives in music.cpp).
#include "../tools/forge/music_notation.cpp"
#include "../tools/forge/music_render.cpp"
#include "../tools/forge/music_score.cpp"
#include "../tools/forge/synth.cpp"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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
        std::vector<float> track(2 * kSampleRate, 0.0f);
        addNote(track, *c.patch, static_cast<float>(c.note), 0, 1.5f, 1.0f, 0.8f);
        const float expected = noteFrequency(static_cast<float>(c.note));
        const double measured = zeroCrossingFrequency(bandPassed(track, expected), c.from, c.to);
        EXPECT_NEAR(measured, expected, expected * 0.01) << c.name;
        EXPECT_GT(rmsOf(track, c.from, c.to), 0.01) << c.name << " is silent";
    }
}

TEST(SynthVoice, NotesAndDrumsStopAtTheEndOfTheTrack)
{
    // Hits and notes that start near or past the end are cut, not written past it.
    std::vector<float> track(1000, 0.0f);
    Noise noise{7u};
    addKick(track, 990, 1.0f);
    addSnare(track, 999, 1.0f, noise);
    addHiHat(track, 1000, 1.0f, true, noise);
    addTom(track, 5000, 1.0f, 100.0f);
    addCrash(track, 995, 1.0f, noise);
    addNote(track, kPadPatch, 60.0f, 998, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(track.size(), 1000u);
    EXPECT_NE(track[995], 0.0f);
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
    std::vector<float> kick(kSampleRate, 0.0f);
    addKick(kick, 0, 1.0f);
    const double early = zeroCrossingFrequency(kick, 0.0, 0.04);
    const double late = zeroCrossingFrequency(kick, 0.1, 0.3);
    EXPECT_GT(early, 1.5 * late);
    EXPECT_NEAR(late, 44.0, 10.0);

    std::vector<float> hat(kSampleRate, 0.0f);
    Noise noise{99u};
    addHiHat(hat, 0, 1.0f, false, noise);
    EXPECT_GT(zeroCrossingFrequency(hat, 0.0, 0.05), 3000.0);

    std::vector<float> open(kSampleRate, 0.0f);
    addHiHat(open, 0, 1.0f, true, noise);
    EXPECT_GT(rmsOf(open, 0.15, 0.2), 10.0 * rmsOf(hat, 0.15, 0.2));
}

TEST(SynthDrums, EveryHitHasDiedAwayWhenItIsCutOff)
{
    // A hit cut off while still audible clicks on every beat.
    Noise noise{5u};
    std::vector<std::vector<float>> hits(6, std::vector<float>(6 * kSampleRate, 0.0f));
    addKick(hits[0], 0, 1.0f);
    addSnare(hits[1], 0, 1.0f, noise);
    addHiHat(hits[2], 0, 1.0f, false, noise);
    addHiHat(hits[3], 0, 1.0f, true, noise);
    addTom(hits[4], 0, 1.0f, 105.0f);
    addCrash(hits[5], 0, 1.0f, noise);
    for (size_t i = 0; i < hits.size(); ++i)
        EXPECT_LT(tailRatio(hits[i]), 0.002) << "hit " << i;
}

// ---- Effects and mixer --------------------------------------------------------

TEST(SynthEffects, DelayEchoesLeftThenRightAndFades)
{
    std::vector<float> click(kSampleRate * 2, 0.0f);
    click[0] = 1.0f;
    Stereo out{std::vector<float>(click.size(), 0.0f), std::vector<float>(click.size(), 0.0f)};
    pingPongDelay(click, out, 0.25f, 0.5f);
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
    reverb(click, out, 0.7f);
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
        mixTrack(ones, mix, 0.5f, pan);
        EXPECT_NEAR(mix.left[50] * mix.left[50] + mix.right[50] * mix.right[50], 0.25f, 1e-5f) << pan;
        if (pan < 0.0f) {
            EXPECT_GT(mix.left[50], mix.right[50]);
        }
        if (pan > 0.0f) {
            EXPECT_LT(mix.left[50], mix.right[50]);
        }
    }
    Stereo mix{std::vector<float>(100, 0.0f), std::vector<float>(100, 0.0f)};
    mixTrack(ones, mix, 1.0f, -1.0f);
    EXPECT_NEAR(mix.right[50], 0.0f, 1e-6f);
    // A width delays the right side only.
    Stereo wide{std::vector<float>(kSampleRate, 0.0f), std::vector<float>(kSampleRate, 0.0f)};
    const std::vector<float> block(kSampleRate, 1.0f);
    mixTrack(block, wide, 1.0f, 0.0f, 0.01f);
    EXPECT_GT(wide.left[10], 0.5f);
    EXPECT_EQ(wide.right[10], 0.0f);
    EXPECT_GT(wide.right[300], 0.5f);
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
        const Span span = spanOf(s);
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

// One render serves every check on the whole piece (it takes seconds).
TEST(MusicPiece, RenderedPieceFollowsThePlan)
{
    const Stems stems = renderStems();
    const Stereo mix = mixStems(stems);

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
            const double before = rmsOf(stems[track], change - window, change) + 0.01;
            const double after = rmsOf(stems[track], change, change + window) + 0.01;
            strongest = std::max({strongest, after / before, before / after});
        }
        EXPECT_GT(strongest, 2.0) << "nothing changes at " << change << " s";
    }
}

// ---- The encoded file -------------------------------------------------------------

std::vector<uint8_t> readBytes(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t littleEndian32(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
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

TEST(MusicFile, DataMusicIsStereoVorbisAt22050AndDecodesInFull)
{
    const std::vector<uint8_t> bytes = readBytes("data/music");
    if (bytes.empty())
        GTEST_SKIP() << "data/music not written yet (run demo-forge data)";
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
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(kSampleRate, AUDIO_S16LSB, 2, 256), 0) << SDL_GetError();
    Mix_Chunk* chunk = Mix_LoadWAV("data/music");
    ASSERT_NE(chunk, nullptr) << SDL_GetError();
    const auto* pcm = reinterpret_cast<const int16_t*>(chunk->abuf);
    const long frames = static_cast<long>(chunk->alen / 4);
    EXPECT_EQ(frames, samples);
    std::vector<float> left(frames);
    long clipped = 0;
    for (long i = 0; i < frames; ++i) {
        left[i] = pcm[2 * i] / 32768.0f;
        if (std::abs(pcm[2 * i]) >= 32767 || std::abs(pcm[2 * i + 1]) >= 32767)
            ++clipped;
    }
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    EXPECT_EQ(clipped, 0);
    // The plan survives the encoder: quiet credits, loud greetings, a dip in
    // the black second, silence at the end.
    EXPECT_LT(rmsOf(left, 0.0, 24.0), 0.6 * rmsOf(left, 182.0, 216.0));
    EXPECT_LT(rmsOf(left, 123.6, 124.4), 0.4 * rmsOf(left, 119.5, 123.5));
    EXPECT_LT(rmsOf(left, 284.2, 285.0), 0.001);
}

}  // namespace
