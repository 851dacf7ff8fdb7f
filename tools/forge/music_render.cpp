// Turns the score into sound: the instruments, the reading of each section's
// patterns into notes and hits, and the final mix.
#include "music.h"
#include "music_score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
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

void addNote(Track& track, const Patch& patch, float note, long start, float gate,
             float velocity, float brightness)
{
    const long length = std::lround(envelopeEnd(patch.amp, gate) * kSampleRate) + 1;
    const long end = start + voiceSpan(track, start, length);
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
        track.add(i, patch.level * velocity * envelopeLevel(patch.amp, t, gate) * value);
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

// The noise of a hit, its own for every drum and sample it starts on, so
// that a hit sounds the same whichever stretch of the piece renders it.
constexpr uint32_t kSnareNoise = 0x5a17e001u, kHatNoise = 0x0a7c4a11u, kCrashNoise = 0x0c4a5b00u;

Noise hitNoise(uint32_t drum, long at)
{
    // Odd multiplier: distinct starts give distinct seeds; | 1 keeps the
    // generator off its one stuck state, 0.
    return Noise{(drum ^ static_cast<uint32_t>(at) * 2654435761u) | 1u};
}

void addDrumHit(Stems& stems, char symbol, long at)
{
    const float velocity = velocityOf(symbol);
    switch (std::tolower(static_cast<unsigned char>(symbol))) {
    case 'k': addKick(stems[kKickTrack], at, velocity); break;
    case 'x':
    case 'g': addSnare(stems[kSnareTrack], at, velocity, hitNoise(kSnareNoise, at)); break;
    case 'h': addTom(stems[kTomTrack], at, velocity, 210.0f); break;
    case 'm': addTom(stems[kTomTrack], at, velocity, 150.0f); break;
    case 'l': addTom(stems[kTomTrack], at, velocity, 105.0f); break;
    default: break;
    }
}

// Where the band stops playing: the section's end, or its stop's start.
int bandEnd(const Section& section, const SectionSteps& span)
{
    return std::max(span.start, span.end - section.stopSteps);
}

void renderDrums(const Section& section, const SectionSteps& span, Stems& stems)
{
    const int end = bandEnd(section, span);
    const int fillStart = *section.fill ? std::max(span.start, span.end - kStepsPerBar) : span.end;
    readPattern(section.kick, span.start, end, span.origin, [&](int step, int, char symbol) {
        addKick(stems[kKickTrack], sampleOfStep(step), velocityOf(symbol));
    });
    readPattern(section.hat, span.start, end, span.origin, [&](int step, int, char symbol) {
        const long at = sampleOfStep(step);
        addHiHat(stems[kHatTrack], at, velocityOf(symbol), symbol == 'o', hitNoise(kHatNoise, at));
    });
    // The fill bar replaces the snare and toms.
    const int beforeFill = std::min(fillStart, end);
    readPattern(section.snare, span.start, beforeFill, span.origin, [&](int step, int, char symbol) {
        const long at = sampleOfStep(step);
        addSnare(stems[kSnareTrack], at, velocityOf(symbol), hitNoise(kSnareNoise, at));
    });
    readPattern(section.toms, span.start, beforeFill, span.origin, [&](int step, int, char symbol) {
        addDrumHit(stems, symbol, sampleOfStep(step));
    });
    readPattern(section.fill, fillStart, end, fillStart, [&](int step, int, char symbol) {
        addDrumHit(stems, symbol, sampleOfStep(step));
    });
}

void addChord(Track& track, const Patch& patch, const std::string& chord, int low,
              long at, float gate, float velocity, float brightness)
{
    for (int note : chordNotes(chord, low))
        addNote(track, patch, static_cast<float>(note), at, gate, velocity, brightness);
}

float secondsOfSteps(int steps)
{
    return static_cast<float>(steps) / kStepsPerSecond;
}

void renderImpact(const Section& section, const SectionSteps& span, Stems& stems)
{
    if (section.impact <= 0.0f)
        return;
    const long at = sampleOfStep(span.start);
    addCrash(stems[kCrashTrack], at, section.impact, hitNoise(kCrashNoise, at));
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
    readPattern(section.bass, span.start, bandEnd(section, span), span.origin, [&](int step, int length, char symbol) {
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
    readPattern(section.arp, span.start, bandEnd(section, span), span.origin, [&](int step, int length, char symbol) {
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
    readPattern(section.stab, span.start, bandEnd(section, span), span.origin, [&](int step, int, char symbol) {
        addChord(stems[kStabTrack], kStabPatch, chordAt(section, span, step), kStabLow,
                 sampleOfStep(step), 0.1f, velocityOf(symbol), section.brightness);
    });
}

void renderLine(const char* line, int key, const Patch& patch, int transpose,
                const SectionSteps& span, Track& track)
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
    const long to = sampleOfStep(span.end);
    Track& track = stems[kRiserTrack];
    const long end = from + voiceSpan(track, from, to - from);
    Noise noise{0x715e0000u + static_cast<uint32_t>(span.start)};
    StateVariableFilter filter;
    for (long i = from; i < end; ++i) {
        const float x = static_cast<float>(i - from) / static_cast<float>(to - from);
        if ((i - from) % kFilterUpdate == 0)
            tuneFilter(filter, 200.0f * std::exp2(4.3f * x), 0.6f);
        const FilterOutputs out = runFilter(filter, nextNoise(noise));
        track.add(i, x * x * (out.low + out.band));
    }
}

}  // namespace

// Wind and water under the whole piece: band-limited noise, its level and
// its gusts gliding to each section's `air` and `gusts` over about a second.
// The cut-off drifts a little, slowly, so the wind breathes without
// swelling; gusts swing it further and faster, with a second, slower swing
// that keeps them from repeating.
void Wind::render(Track& track)
{
    const float glide = 1.0f / kSampleRate;
    const std::vector<Section>& sections = pieceSections();
    for (long i = track.first; i < track.end(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        while (section_ + 1 < sections.size() && t >= sections[section_].end)
            ++section_;
        level_ += (sections[section_].air - level_) * glide;
        gusts_ += (sections[section_].gusts - gusts_) * glide;
        if (i % kFilterUpdate == 0) {
            const auto swing = [t](double perSecond) {
                return sineWave(static_cast<float>(std::fmod(t * perSecond, 1.0)));
            };
            const float octaves = 0.3f * swing(0.05) + gusts_ * swing(0.31) * (0.6f + 0.4f * swing(0.07));
            tuneFilter(filter_, 900.0f * std::exp2(octaves), 0.3f);
        }
        track.add(i, level_ * runFilter(filter_, nextNoise(noise_)).low);
    }
}

namespace {

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
// Under the kick's lowest note (44 Hz, which loses 1.6 dB), over the offset
// and the slow swing that envelopes give asymmetric waves, and over the
// difference tones (13 Hz from A against B flat) that the drive makes of
// close chord tones. 25 Hz left the band under 20 Hz at -64 dBFS in the
// render but, with the encoder's own floor added, at -59 in the file.
constexpr float kRumbleCutoff = 30.0f;

double fromDecibels(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

// Adds the squares of both sides' samples to a running sum, sample by
// sample, so that a mix summed in blocks gives the same sum as summed whole.
void addSquares(const Stereo& mix, double& sum)
{
    for (size_t i = 0; i < mix.left.size(); ++i)
        sum += static_cast<double>(mix.left[i]) * mix.left[i] +
               static_cast<double>(mix.right[i]) * mix.right[i];
}

// The gain that brings a mix of `frames` frames whose squares sum to `sum`
// to the piece's loudness (1 for silence).
float loudnessGain(double sum, long frames)
{
    const double rms = std::sqrt(sum / static_cast<double>(2 * std::max(1L, frames)));
    return rms > 0.0 ? static_cast<float>(fromDecibels(kLoudnessDb) / rms) : 1.0f;
}

PeakLimiter masterLimiter()
{
    return PeakLimiter(static_cast<float>(fromDecibels(kCeilingDb)), kLimiterLookahead,
                       kLimiterRelease);
}

void scale(Stereo& mix, float gain)
{
    for (size_t i = 0; i < mix.left.size(); ++i) {
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
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

Stems StemRenderer::render(long from, long to)
{
    Stems stems;
    for (Track& stem : stems)
        stem = Track{from, std::vector<float>(static_cast<size_t>(to - from), 0.0f)};
    for (const Section& section : pieceSections()) {
        const SectionSteps span = spanOf(section);
        renderImpact(section, span, stems);
        renderDrums(section, span, stems);
        renderPad(section, span, stems);
        renderBass(section, span, stems);
        renderArp(section, span, stems);
        renderStabs(section, span, stems);
        renderLine(section.lead, section.key, kLeadPatch, 0, span, stems[kLeadTrack]);
        renderLine(section.bells, section.key, kBellPatch, kBellOctave, span, stems[kBellTrack]);
        renderRiser(section, span, stems);
    }
    wind_.render(stems[kAirTrack]);
    return stems;
}

long pieceLength()
{
    return sampleOfTime(kPieceSeconds);
}

Stems renderStems()
{
    return StemRenderer().render(0, pieceLength());
}

MixBus::MixBus()
    : delay_(kDelaySeconds, kDelayFeedback), room_(kRoomSize), rumbleFilter_(kRumbleCutoff)
{
    for (const Channel& channel : kChannels)
        lags_.emplace_back(std::lround(channel.width * kSampleRate));
}

Stereo MixBus::mix(const Stems& stems)
{
    const long first = stems[0].first;
    const size_t length = stems[0].samples.size();
    Stereo mix{std::vector<float>(length, 0.0f), std::vector<float>(length, 0.0f)};
    std::vector<float> delaySend(length, 0.0f), reverbSend(length, 0.0f);
    for (int track = 0; track < kTrackCount; ++track) {
        const Channel& channel = kChannels[track];
        const std::vector<float>& samples = stems[track].samples;
        mixTrack(samples, mix, channel.gain, channel.pan, lags_[track]);
        for (size_t i = 0; i < length; ++i) {
            delaySend[i] += channel.gain * channel.delaySend * samples[i];
            reverbSend[i] += channel.gain * channel.reverbSend * samples[i];
        }
    }
    Stereo returns{std::vector<float>(length, 0.0f), std::vector<float>(length, 0.0f)};
    delay_.run(delaySend, returns);
    room_.run(reverbSend, returns);
    for (size_t i = 0; i < length; ++i) {
        mix.left[i] += returns.left[i];
        mix.right[i] += returns.right[i];
    }
    rumbleFilter_.run(mix);
    for (size_t i = 0; i < length; ++i) {
        const float gain = fadeGain(static_cast<double>(first + static_cast<long>(i)) / kSampleRate);
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
    return mix;
}

Stereo mixStems(const Stems& stems)
{
    Stereo mix = MixBus().mix(stems);
    double sum = 0.0;
    addSquares(mix, sum);
    scale(mix, loudnessGain(sum, static_cast<long>(mix.left.size())));
    Stereo limited;
    PeakLimiter limiter = masterLimiter();
    limiter.run(mix, limited);
    limiter.finish(limited);
    return limited;
}

// The forge renders the piece this many samples at a time: the stems of a
// block of 4 s take 4.6 MB. A voice that reaches into a block is computed
// again from its start, which costs the long pad chords most.
constexpr long kBlockSamples = 4 * kSampleRate;

void renderPiece(const std::function<void(const Stereo&)>& sink)
{
    const long length = pieceLength();
    // The loudness is the whole piece's, so a first pass measures it and a
    // second, the same render again, masters and hands over each block.
    double sum = 0.0;
    {
        StemRenderer stems;
        MixBus bus;
        for (long from = 0; from < length; from += kBlockSamples)
            addSquares(bus.mix(stems.render(from, std::min(length, from + kBlockSamples))), sum);
    }
    const float gain = loudnessGain(sum, length);
    StemRenderer stems;
    MixBus bus;
    PeakLimiter limiter = masterLimiter();
    for (long from = 0; from < length; from += kBlockSamples) {
        Stereo mix = bus.mix(stems.render(from, std::min(length, from + kBlockSamples)));
        scale(mix, gain);
        Stereo limited;
        limiter.run(mix, limited);
        sink(limited);
    }
    Stereo tail;
    limiter.finish(tail);
    sink(tail);
}
