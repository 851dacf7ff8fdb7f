// Turns the score into sound: the instruments, the reading of each section's
// patterns into notes and hits, and the final mix.
#include "music.h"
#include "music_score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <string>

// ---- Instruments ---------------------------------------------------------

const Patch kPadPatch{.saw = 1.0f, .detune = 0.12f,
                      .amp = {1.2f, 1.0f, 0.85f, 1.6f}, .filter = {1.5f, 2.0f, 0.5f, 1.6f},
                      .cutoff = 2200.0f, .sweep = 800.0f, .resonance = 0.2f, .level = 0.5f};
const Patch kBassPatch{.saw = 0.7f, .detune = 0.05f, .pulse = 0.4f, .sine = 0.8f,
                       .amp = {0.004f, 0.25f, 0.7f, 0.06f}, .filter = {0.002f, 0.22f, 0.0f, 0.06f},
                       .cutoff = 500.0f, .sweep = 1400.0f, .resonance = 0.45f, .drive = 1.5f};
const Patch kArpPatch{.pulse = 1.0f, .pulseWidth = 0.3f,
                      .amp = {0.002f, 0.18f, 0.0f, 0.08f}, .filter = {0.001f, 0.12f, 0.0f, 0.05f},
                      .cutoff = 1200.0f, .sweep = 3000.0f, .resonance = 0.35f};
const Patch kStabPatch{.saw = 1.0f, .detune = 0.15f,
                       .amp = {0.003f, 0.3f, 0.3f, 0.2f}, .filter = {0.001f, 0.25f, 0.2f, 0.2f},
                       .cutoff = 1500.0f, .sweep = 4000.0f, .resonance = 0.3f, .drive = 1.2f,
                       .level = 0.6f};
const Patch kLeadPatch{.saw = 0.8f, .detune = 0.08f, .pulse = 0.4f, .pulseWidth = 0.45f,
                       .amp = {0.03f, 0.4f, 0.75f, 0.3f}, .filter = {0.02f, 0.5f, 0.5f, 0.3f},
                       .cutoff = 1800.0f, .sweep = 1500.0f, .resonance = 0.25f,
                       .vibrato = 0.18f};
const Patch kBellPatch{.bell = 1.0f, .bellRatio = 3.5f, .bellIndex = 2.0f,
                       .amp = {0.002f, 2.5f, 0.0f, 1.2f}, .cutoff = 2800.0f};

namespace {

// Octaves the instruments play in: each chord tone is placed in [low, low + 12).
constexpr int kBassLow = 34;    // B flat 1
constexpr int kPadLow = 55;     // G 3
constexpr int kArpLow = 62;     // D 4
constexpr int kStabLow = 57;    // A 3
constexpr int kBellOctave = 12; // bells sound an octave above the written line

// Filter coefficients are recomputed every this many samples: often enough
// for envelopes of a few milliseconds, rarely enough to keep tan() cheap.
constexpr int kFilterUpdate = 16;

float brightnessScale(float brightness)
{
    return std::exp2(-3.0f * (1.0f - std::clamp(brightness, 0.0f, 1.0f)));
}

long sampleOfStep(double step)
{
    return std::lround(step * kSampleRate / kStepsPerSecond);
}

long sampleOfTime(double seconds)
{
    return std::lround(seconds * kSampleRate);
}

}  // namespace

void addNote(std::vector<float>& track, const Patch& patch, float note, long start,
             float gate, float velocity, float brightness)
{
    const long length = std::lround(envelopeEnd(patch.amp, gate) * kSampleRate) + 1;
    const long end = std::min(static_cast<long>(track.size()), start + length);
    const float cutoff = patch.cutoff * brightnessScale(brightness);
    const float frequency = noteFrequency(note);
    const float spread = std::exp2(patch.detune / 24.0f);
    float phaseA = 0.0f, phaseB = 0.37f, phaseMain = 0.0f, phaseModulator = 0.0f;
    StateVariableFilter filter;
    const float driveNorm = patch.drive > 0.0f ? 1.0f / std::tanh(patch.drive) : 1.0f;
    for (long i = start; i < end; ++i) {
        const float t = static_cast<float>(i - start) / kSampleRate;
        float f = frequency;
        if (patch.vibrato > 0.0f) {
            const float depth = patch.vibrato * std::min(1.0f, t / 0.5f);
            f *= std::exp2(depth * sineWave(std::fmod(5.5f * t, 1.0f)) / 12.0f);
        }
        const float step = f / kSampleRate;
        float value = 0.0f;
        if (patch.saw > 0.0f)
            value += 0.5f * patch.saw * (sawWave(phaseA, step * spread) + sawWave(phaseB, step / spread));
        if (patch.pulse > 0.0f)
            value += patch.pulse * pulseWave(phaseMain, step, patch.pulseWidth);
        if (patch.sine > 0.0f)
            value += patch.sine * sineWave(phaseMain);
        if (patch.bell > 0.0f) {
            // High notes get less modulation, which keeps the strongest
            // sidebands under the Nyquist frequency instead of folding back.
            const float index = patch.bellIndex * std::min(1.0f, 900.0f / f) * std::exp(-t / 0.8f);
            const float modulation = index * sineWave(phaseModulator) / (2.0f * std::numbers::pi_v<float>);
            value += patch.bell * sineWave(advancePhase(phaseMain, modulation));
            phaseModulator = advancePhase(phaseModulator, step * patch.bellRatio);
        }
        if ((i - start) % kFilterUpdate == 0)
            tuneFilter(filter, cutoff + patch.sweep * envelopeLevel(patch.filter, t, gate),
                       patch.resonance);
        value = runFilter(filter, value).low;
        if (patch.drive > 0.0f)
            value = driveNorm * std::tanh(patch.drive * value);
        track[i] += patch.level * velocity * envelopeLevel(patch.amp, t, gate) * value;
        phaseA = advancePhase(phaseA, step * spread);
        phaseB = advancePhase(phaseB, step / spread);
        phaseMain = advancePhase(phaseMain, step);
    }
}

// ---- Reading sections ------------------------------------------------------

SectionSteps spanOf(const Section& section)
{
    const int start = static_cast<int>(std::lround(section.start * kStepsPerSecond));
    const int end = static_cast<int>(std::lround(section.end * kStepsPerSecond));
    return {start, end, start / kStepsPerBar * kStepsPerBar};
}

std::string compact(const char* pattern)
{
    std::string result;
    for (const char* c = pattern; *c; ++c)
        if (*c != ' ' && *c != '|')
            result += *c;
    return result;
}

std::vector<std::string> words(const char* text)
{
    std::vector<std::string> result;
    std::string word;
    for (const char* c = text;; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!word.empty())
                result.push_back(word);
            word.clear();
            if (*c == '\0')
                return result;
        } else {
            word += *c;
        }
    }
}

namespace {

// Calls hit(step, length, symbol) for every non-rest, non-hold character of
// a cycling pattern over [from, to), the pattern's first character falling
// on `origin`. `length` counts the step itself and the holds ('-') after it.
template <typename Hit>
void readPattern(const char* text, int from, int to, int origin, Hit hit)
{
    const std::string pattern = compact(text);
    if (pattern.empty())
        return;
    const int size = static_cast<int>(pattern.size());
    for (int step = from; step < to; ++step) {
        const char symbol = pattern[(step - origin) % size];
        if (symbol == '.' || symbol == '-')
            continue;
        int length = 1;
        while (step + length < to && pattern[(step + length - origin) % size] == '-')
            ++length;
        hit(step, length, symbol);
    }
}

// Whether a cycling pattern has a hit (not a rest or a hold) at `step`.
bool patternHits(const char* text, int step, int origin)
{
    const std::string pattern = compact(text);
    if (pattern.empty())
        return false;
    const char symbol = pattern[(step - origin) % static_cast<int>(pattern.size())];
    return symbol != '.' && symbol != '-';
}

float velocityOf(char symbol)
{
    if (symbol == 'g')
        return 0.35f;
    return std::isupper(static_cast<unsigned char>(symbol)) ? 1.0f : 0.75f;
}

// How hard the bass is played in a section written for this loudness.
float dynamicsOf(Energy energy)
{
    switch (energy) {
    case Energy::Silent: return 0.0f;
    case Energy::Quiet: return 0.45f;
    case Energy::Medium: return 0.8f;
    case Energy::Full: return 1.0f;
    }
    return 1.0f;
}

// The chord sounding at a step of a section.
std::string chordAt(const Section& section, const SectionSteps& span, int step)
{
    const std::vector<std::string> chords = words(section.chords);
    const int index = (step - span.origin) / (kStepsPerBar * section.chordBars);
    return chords[index % static_cast<int>(chords.size())];
}

struct Drums {
    Noise snare{0x5a17e001u}, hat{0x0a7c4a11u}, crash{0x0c4a5b00u};
};

void addDrumHit(Stems& stems, Drums& drums, char symbol, long at)
{
    const float velocity = velocityOf(symbol);
    switch (std::tolower(static_cast<unsigned char>(symbol))) {
    case 'k': addKick(stems[kKickTrack], at, velocity); break;
    case 'x':
    case 'g': addSnare(stems[kSnareTrack], at, velocity, drums.snare); break;
    case 'h': addTom(stems[kTomTrack], at, velocity, 210.0f); break;
    case 'm': addTom(stems[kTomTrack], at, velocity, 150.0f); break;
    case 'l': addTom(stems[kTomTrack], at, velocity, 105.0f); break;
    default: break;
    }
}

void renderDrums(const Section& section, const SectionSteps& span, Stems& stems, Drums& drums)
{
    const int fillStart = *section.fill ? std::max(span.start, span.end - kStepsPerBar) : span.end;
    readPattern(section.kick, span.start, span.end, span.origin, [&](int step, int, char symbol) {
        addKick(stems[kKickTrack], sampleOfStep(step), velocityOf(symbol));
    });
    readPattern(section.hat, span.start, span.end, span.origin, [&](int step, int, char symbol) {
        addHiHat(stems[kHatTrack], sampleOfStep(step), velocityOf(symbol), symbol == 'o', drums.hat);
    });
    // The fill bar replaces the snare and toms.
    readPattern(section.snare, span.start, fillStart, span.origin, [&](int step, int, char symbol) {
        addSnare(stems[kSnareTrack], sampleOfStep(step), velocityOf(symbol), drums.snare);
    });
    readPattern(section.toms, span.start, fillStart, span.origin, [&](int step, int, char symbol) {
        addDrumHit(stems, drums, symbol, sampleOfStep(step));
    });
    readPattern(section.fill, fillStart, span.end, fillStart, [&](int step, int, char symbol) {
        addDrumHit(stems, drums, symbol, sampleOfStep(step));
    });
}

void addChord(std::vector<float>& track, const Patch& patch, const std::string& chord, int low,
              long at, float gate, float velocity, float brightness)
{
    for (int note : chordNotes(chord, low))
        addNote(track, patch, static_cast<float>(note), at, gate, velocity, brightness);
}

float secondsOfSteps(int steps)
{
    return static_cast<float>(steps) / kStepsPerSecond;
}

void renderImpact(const Section& section, const SectionSteps& span, Stems& stems, Drums& drums)
{
    if (section.impact <= 0.0f)
        return;
    const long at = sampleOfStep(span.start);
    addCrash(stems[kCrashTrack], at, section.impact, drums.crash);
    if (!patternHits(section.kick, span.start, span.origin))
        addKick(stems[kKickTrack], at, section.impact);
    addChord(stems[kStabTrack], kStabPatch, chordAt(section, span, span.start), kStabLow, at,
             0.25f, section.impact, section.brightness);
}

// The pad holds each chord until the next different one or the section's end.
void renderPad(const Section& section, const SectionSteps& span, Stems& stems)
{
    if (section.pad <= 0.0f)
        return;
    const int chordSteps = kStepsPerBar * section.chordBars;
    int from = span.start;
    while (from < span.end) {
        const std::string chord = chordAt(section, span, from);
        int to = span.origin + ((from - span.origin) / chordSteps + 1) * chordSteps;
        while (to < span.end && chordAt(section, span, to) == chord)
            to += chordSteps;
        to = std::min(to, span.end);
        addChord(stems[kPadTrack], kPadPatch, chord, kPadLow, sampleOfStep(from),
                 secondsOfSteps(to - from), section.pad, section.brightness);
        from = to;
    }
}

// Notes shorter than their steps by this much, so repeated notes re-strike.
constexpr float kArticulation = 0.02f;

void renderBass(const Section& section, const SectionSteps& span, Stems& stems)
{
    readPattern(section.bass, span.start, span.end, span.origin, [&](int step, int length, char symbol) {
        const std::string chord = chordAt(section, span, step);
        int note = kBassLow + ((chordRoot(chord) - kBassLow) % 12 + 12) % 12;
        if (symbol == 't')
            note += chordIntervals(chord)[1];
        else if (symbol == 'f')
            note += 7;
        else if (symbol == 'o')
            note += 12;
        addNote(stems[kBassTrack], kBassPatch, static_cast<float>(note), sampleOfStep(step),
                secondsOfSteps(length) - kArticulation, dynamicsOf(section.energy),
                section.brightness);
    });
}

void renderArp(const Section& section, const SectionSteps& span, Stems& stems)
{
    readPattern(section.arp, span.start, span.end, span.origin, [&](int step, int length, char symbol) {
        const std::vector<int> notes = chordNotes(chordAt(section, span, step), kArpLow);
        const int index = symbol - '0';
        const int count = static_cast<int>(notes.size());
        const int note = notes[index % count] + 12 * (index / count);
        // Notes on the beat a little louder, so the line has a pulse.
        const float velocity = (step - span.origin) % 4 == 0 ? 0.9f : 0.65f;
        addNote(stems[kArpTrack], kArpPatch, static_cast<float>(note), sampleOfStep(step),
                secondsOfSteps(length) - kArticulation, velocity, section.brightness);
    });
}

void renderStabs(const Section& section, const SectionSteps& span, Stems& stems)
{
    readPattern(section.stab, span.start, span.end, span.origin, [&](int step, int, char symbol) {
        addChord(stems[kStabTrack], kStabPatch, chordAt(section, span, step), kStabLow,
                 sampleOfStep(step), 0.1f, velocityOf(symbol), section.brightness);
    });
}

void renderLine(const char* line, int key, const Patch& patch, int transpose,
                const SectionSteps& span, std::vector<float>& track)
{
    for (const MelodyNote& note : expandLine(line, key)) {
        const int step = span.origin + note.step;
        if (step < span.start || step >= span.end)
            continue;
        const int length = std::min(note.length, span.end - step);
        addNote(track, patch, static_cast<float>(note.note + transpose), sampleOfStep(step),
                secondsOfSteps(length) - kArticulation, 1.0f, 1.0f);
    }
}

// A noise sweep over the section's last bars: the low-pass opens from a
// rumble to a rush (about 4 kHz, short of a hiss) while the level swells,
// and stops dead at the section's end, where the next section lands.
void renderRiser(const Section& section, const SectionSteps& span, Stems& stems)
{
    if (section.riserBars <= 0)
        return;
    const long from = sampleOfStep(std::max(span.start, span.end - section.riserBars * kStepsPerBar));
    const long to = std::min(sampleOfStep(span.end), static_cast<long>(stems[kRiserTrack].size()));
    Noise noise{0x715e0000u + static_cast<uint32_t>(span.start)};
    StateVariableFilter filter;
    for (long i = from; i < to; ++i) {
        const float x = static_cast<float>(i - from) / static_cast<float>(to - from);
        if ((i - from) % kFilterUpdate == 0)
            tuneFilter(filter, 200.0f * std::exp2(4.3f * x), 0.6f);
        const FilterOutputs out = runFilter(filter, nextNoise(noise));
        stems[kRiserTrack][i] += x * x * (out.low + out.band);
    }
}

// Wind and water under the whole piece: low-passed noise whose cut-off drifts
// slowly, its level gliding to each section's `air` over about a second.
void renderAir(Stems& stems)
{
    std::vector<float>& track = stems[kAirTrack];
    Noise noise{0xa1b2c3d4u};
    StateVariableFilter filter;
    float level = 0.0f;
    const float glide = 1.0f / kSampleRate;
    size_t section = 0;
    const std::vector<Section>& sections = pieceSections();
    for (long i = 0; i < static_cast<long>(track.size()); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        while (section + 1 < sections.size() && t >= sections[section].end)
            ++section;
        level += (sections[section].air - level) * glide;
        if (i % kFilterUpdate == 0) {
            const float drift = sineWave(static_cast<float>(std::fmod(t * 0.07, 1.0)));
            tuneFilter(filter, 900.0f * std::exp2(1.2f * drift), 0.3f);
        }
        track[i] = level * runFilter(filter, nextNoise(noise)).low;
    }
}

// ---- Mixing ----------------------------------------------------------------

struct Channel {
    float gain, pan, width, delaySend, reverbSend;
};

// Hats, crash and sweeps sit low: the band above 4 kHz is nearly theirs
// alone, and under the drums it stays 18 dB below the whole mix.
const std::array<Channel, kTrackCount> kChannels = {{
    /* kick   */ {0.55f, 0.00f, 0.000f, 0.00f, 0.05f},
    /* snare  */ {0.38f, 0.05f, 0.000f, 0.00f, 0.35f},
    /* hat    */ {0.10f, 0.30f, 0.000f, 0.05f, 0.10f},
    /* toms   */ {0.30f, -0.30f, 0.000f, 0.00f, 0.30f},
    /* crash  */ {0.12f, -0.25f, 0.000f, 0.00f, 0.30f},
    /* bass   */ {0.24f, 0.00f, 0.000f, 0.00f, 0.00f},
    /* pad    */ {0.30f, 0.00f, 0.012f, 0.00f, 0.50f},
    /* arp    */ {0.20f, 0.35f, 0.000f, 0.45f, 0.25f},
    /* stab   */ {0.22f, 0.00f, 0.008f, 0.20f, 0.30f},
    /* lead   */ {0.26f, -0.10f, 0.000f, 0.30f, 0.35f},
    /* bells  */ {0.17f, 0.20f, 0.000f, 0.35f, 0.60f},
    /* air    */ {0.30f, 0.00f, 0.020f, 0.00f, 0.30f},
    /* riser  */ {0.07f, 0.00f, 0.015f, 0.00f, 0.40f},
}};

// Dotted eighth: the echoes fall between the sixteenths' grid and the beat.
constexpr float kDelaySeconds = 0.375f;
constexpr float kDelayFeedback = 0.42f;
constexpr float kRoomSize = 0.7f;
// The master sets the whole piece's RMS (both sides, fade and all) to a
// level a listener need not adjust, then limits the few peaks that would
// pass the ceiling; the ceiling sits 1.5 dB under -1 dBFS so that the
// encoder's overshoots on sharp hits (measured up to 1 dB) stay under it too.
constexpr double kLoudnessDb = -18.0;
constexpr double kCeilingDb = -2.5;
constexpr float kLimiterLookahead = 0.004f;   // seconds: a ramp too slow to click
constexpr float kLimiterRelease = 0.12f;      // seconds: recovers within a beat, no pumping

double fromDecibels(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

double rmsOfMix(const Stereo& mix)
{
    double sum = 0.0;
    for (size_t i = 0; i < mix.left.size(); ++i)
        sum += static_cast<double>(mix.left[i]) * mix.left[i] +
               static_cast<double>(mix.right[i]) * mix.right[i];
    return std::sqrt(sum / static_cast<double>(2 * std::max<size_t>(1, mix.left.size())));
}

// Scales the mix to the piece's loudness, then limits it to the ceiling.
void master(Stereo& mix)
{
    const double rms = rmsOfMix(mix);
    if (rms <= 0.0)
        return;
    const float gain = static_cast<float>(fromDecibels(kLoudnessDb) / rms);
    for (size_t i = 0; i < mix.left.size(); ++i) {
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
    limitPeaks(mix, static_cast<float>(fromDecibels(kCeilingDb)), kLimiterLookahead,
               kLimiterRelease);
}

float fadeGain(double seconds)
{
    if (seconds < kFadeStart)
        return 1.0f;
    if (seconds >= kFadeEnd)
        return 0.0f;
    const double x = (seconds - kFadeStart) / (kFadeEnd - kFadeStart);
    return static_cast<float>(0.5 * (1.0 + std::cos(std::numbers::pi * x)));
}

}  // namespace

const char* trackName(int track)
{
    static constexpr const char* kNames[kTrackCount] = {
        "kick", "snare", "hat", "toms", "crash", "bass", "pad", "arp", "stab", "lead", "bells",
        "air", "riser",
    };
    return kNames[track];
}

Stems renderStems()
{
    Stems stems;
    const long length = sampleOfTime(kPieceSeconds);
    for (std::vector<float>& stem : stems)
        stem.assign(length, 0.0f);
    Drums drums;
    for (const Section& section : pieceSections()) {
        const SectionSteps span = spanOf(section);
        renderImpact(section, span, stems, drums);
        renderDrums(section, span, stems, drums);
        renderPad(section, span, stems);
        renderBass(section, span, stems);
        renderArp(section, span, stems);
        renderStabs(section, span, stems);
        renderLine(section.lead, section.key, kLeadPatch, 0, span, stems[kLeadTrack]);
        renderLine(section.bells, section.key, kBellPatch, kBellOctave, span, stems[kBellTrack]);
        renderRiser(section, span, stems);
    }
    renderAir(stems);
    return stems;
}

Stereo mixStems(const Stems& stems)
{
    const long length = static_cast<long>(stems[0].size());
    Stereo mix{std::vector<float>(length, 0.0f), std::vector<float>(length, 0.0f)};
    std::vector<float> delaySend(length, 0.0f), reverbSend(length, 0.0f);
    for (int track = 0; track < kTrackCount; ++track) {
        const Channel& channel = kChannels[track];
        mixTrack(stems[track], mix, channel.gain, channel.pan, channel.width);
        for (long i = 0; i < length; ++i) {
            delaySend[i] += channel.gain * channel.delaySend * stems[track][i];
            reverbSend[i] += channel.gain * channel.reverbSend * stems[track][i];
        }
    }
    Stereo returns{std::vector<float>(length, 0.0f), std::vector<float>(length, 0.0f)};
    pingPongDelay(delaySend, returns, kDelaySeconds, kDelayFeedback);
    reverb(reverbSend, returns, kRoomSize);
    for (long i = 0; i < length; ++i) {
        const float gain = fadeGain(static_cast<double>(i) / kSampleRate);
        mix.left[i] = gain * (mix.left[i] + returns.left[i]);
        mix.right[i] = gain * (mix.right[i] + returns.right[i]);
    }
    master(mix);
    return mix;
}
