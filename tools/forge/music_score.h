// The show's piece of music as data, and what turns it into sound.
//
// Time runs at 120 beats per minute in 4/4: a sixteenth-note step is 1/8 s
// and a bar, 16 steps, is 2 s. Every pattern below is written one character
// (drums, bass, arpeggio) or one space-separated token (melody) per step and
// is read from the bar line at or before its section's start, so a section
// that begins in mid-bar still lines up with the beat.
#pragma once

#include "synth.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

constexpr int kStepsPerBar = 16;
constexpr int kStepsPerSecond = 8;
constexpr double kPieceSeconds = 286.0;   // the show needs at least 285 s
constexpr double kFadeStart = 274.0;      // the ending fades out between these
constexpr double kFadeEnd = 284.0;

// Rough loudness a section is written for: it sets how hard the bass plays,
// and the tests hold the rendered mix to it.
enum class Energy { Silent, Quiet, Medium, Full };

// Pattern characters, one per step ('.' rest everywhere):
//   kick, snare, hat: x hit, X accent, g ghost; hat o open
//   toms: h m l (high, mid, low), upper case accented
//   fill: the section's last bar plays this instead of its snare and toms;
//         x X g snare, h m l H M L toms, k K kick
//   bass: r root, t third, f fifth, o octave, - hold the last note
//   arp: 0-9 the chord's n-th tone upwards (wrapping into higher octaves),
//        - hold
//   stab: x X a short chord
// Melody lines are motif names separated by spaces, each optionally shifted
// by whole scale steps (+n, -n; +7 is an octave) and stretched (*2), or _
// for a bar's rest; they play once from the section's first bar line.
struct Section {
    const char* name = "";
    double start = 0.0, end = 0.0;   // seconds
    Energy energy = Energy::Quiet;
    int key = 62;                    // MIDI note of scale degree 1 (natural minor)
    const char* chords = "Dm";       // chord names, each held `chordBars` bars, cycling
    int chordBars = 1;
    const char* kick = "";
    const char* snare = "";
    const char* hat = "";
    const char* toms = "";
    const char* fill = "";
    const char* bass = "";
    const char* arp = "";
    const char* stab = "";
    const char* lead = "";
    const char* bells = "";
    float impact = 0.0f;             // crash, chord and kick on the first step, 0 = none
    float pad = 0.0f;                // pad level 0..1
    float brightness = 0.5f;         // filter opening of pad, bass, arp and stab 0..1
    float air = 0.0f;                // wind and water noise 0..1
    float gusts = 0.0f;              // octaves the wind's gusts swing its colour, 0 = steady
    int riserBars = 0;               // a noise sweep over the last bars, 0 = none
    // The band (drums, bass, arpeggio, stabs) stops this many steps before
    // the section's end, so that the next section lands on the silence;
    // pad, melody and sweep ring on.
    int stopSteps = 0;
};

struct Motif {
    const char* name;
    // Scale degrees, one token per step: 1..7 in the key's octave, 8 and up
    // above, 0 and below under it; a leading # or b raises or lowers a
    // semitone; - holds, . rests.
    const char* notes;
};

const std::vector<Section>& pieceSections();
const std::vector<Motif>& pieceMotifs();
// The times (seconds) at which the show changes pictures; the arrangement
// changes with each of them.
const std::vector<double>& sceneChanges();

// ---- Reading the notation -------------------------------------------------

// MIDI notes of a chord name such as "Dm", "Bbmaj7", "Csus2", "Dadd9",
// "Dm9", in ascending order: each chord tone in the octave [low, low + 12),
// ninths an octave above it so they do not crowd the third. Unknown names
// stop the forge with a message.
std::vector<int> chordNotes(const std::string& name, int low);
// Semitones above the root of a chord name's tones, root (0) first.
std::vector<int> chordIntervals(const std::string& name);
// Root pitch class (0 = C) of a chord name.
int chordRoot(const std::string& name);

struct MelodyNote {
    int step;      // from the line's first bar line
    int length;    // steps
    int note;      // MIDI
};
// Expands a melody line against the motif table in the given key.
std::vector<MelodyNote> expandLine(const std::string& line, int key);

// ---- Rendering ------------------------------------------------------------

enum TrackIndex {
    kKickTrack, kSnareTrack, kHatTrack, kTomTrack, kCrashTrack,
    kBassTrack, kPadTrack, kArpTrack, kStabTrack, kLeadTrack, kBellTrack,
    kAirTrack, kRiserTrack,
    kTrackCount
};
const char* trackName(int track);

using Stems = std::array<Track, kTrackCount>;

// Wind and water under the whole piece (the air track). It carries its noise
// and filter from one stretch to the next, so each stretch it renders must
// start where the last one ended.
class Wind {
public:
    void render(Track& track);

private:
    Noise noise_{0xa1b2c3d4u};
    StateVariableFilter filter_;
    float level_ = 0.0f, gusts_ = 0.0f;
    size_t section_ = 0;
};

// Renders every track of the piece a stretch at a time, each stretch
// starting where the last ended, into stems that hold exactly what a render
// of the whole piece would hold there.
class StemRenderer {
public:
    Stems render(long from, long to);

private:
    Wind wind_;
};

// The piece's length in samples.
long pieceLength();
// Every track of the whole piece in one stretch.
Stems renderStems();

// The stems placed, sent through the delay and the room, summed, cleared of
// the offset and the rumble under 30 Hz and faded out at the end: the mix
// before mastering, a block at a time (each block continuing the last).
class MixBus {
public:
    MixBus();
    Stereo mix(const Stems& stems);

private:
    std::vector<DelayLine> lags_;   // one per track, see mixTrack
    PingPongDelay delay_;
    Reverb room_;
    HighPass rumbleFilter_;
};

// The whole mix mastered to -18 dBFS RMS with peaks limited to -2.5 dBFS:
// the finished stereo piece, from stems of the whole piece.
Stereo mixStems(const Stems& stems);
// The same finished piece, rendered and mastered a block at a time and
// handed to `sink` block by block, in order, in little memory: the
// loudness is measured in a first render and applied in a second.
void renderPiece(const std::function<void(const Stereo&)>& sink);
