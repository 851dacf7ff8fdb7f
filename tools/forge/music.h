// The piece's instruments, the reading of its patterns, and its files: what
// the renderer and the file writers share with the tests that check them.
#pragma once

#include "music_score.h"
#include "output_file.h"

#include <vorbis/vorbisenc.h>

#include <cstdint>
#include <string>
#include <vector>

// A subtractive voice: two detuned saws, a pulse and a sine through the
// resonant low-pass, or (bell > 0) a two-operator FM sine through the same
// filter, which there only rounds off the highest sidebands.
struct Patch {
    float saw = 0.0f;          // level of the two detuned saws together
    float detune = 0.0f;       // semitones between the two saws
    float pulse = 0.0f;        // level of the pulse
    float pulseWidth = 0.5f;
    float sine = 0.0f;         // level of a sine at the fundamental (body)
    float bell = 0.0f;         // level of the FM bell
    float bellRatio = 1.0f;    // modulator frequency / carrier frequency
    float bellIndex = 0.0f;    // modulation depth at the strike, in radians
    Adsr amp{};
    Adsr filter{};
    float cutoff = 20000.0f;   // Hz at brightness 1 with the filter envelope at 0
    float sweep = 0.0f;        // Hz added at the filter envelope's peak
    float resonance = 0.0f;
    float vibrato = 0.0f;      // semitones, fading in over half a second
    float drive = 0.0f;        // tanh saturation, 0 = clean
    float level = 1.0f;
};

extern const Patch kPadPatch, kBassPatch, kArpPatch, kStabPatch, kLeadPatch, kBellPatch;

// Adds one note of `gate` seconds (plus its release) at sample `start`,
// cut at the end of the track.
void addNote(Track& track, const Patch& patch, float note, long start, float gate,
             float velocity, float brightness);

// A section's span in steps and the bar line its patterns count from.
struct SectionSteps {
    int start, end, origin;
};
SectionSteps spanOf(const Section& section);

// A pattern without the spaces and bar marks that only help reading it.
std::string compact(const char* pattern);
// The space-separated words of a text.
std::vector<std::string> words(const char* text);

// A sample in -1..1 as 16-bit PCM, rounded to nearest; the mastered piece
// never reaches full scale, the clamp only guards the conversion's range.
int16_t pcmSample(float sample);
// Encodes two channels of samples in -1..1 at kSampleRate as Ogg Vorbis,
// block by block. Stops the forge with a message naming the file and the
// reason when it cannot be written; the file appears under its name only
// once finished.
class OggVorbisWriter {
public:
    explicit OggVorbisWriter(const std::string& path);
    ~OggVorbisWriter();
    void write(const Stereo& block);
    void finish();

private:
    void drain();   // sends every finished block of the encoder to the file

    OutputFile file_;
    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    ogg_stream_state stream_;
};

// A canonical RIFF WAVE file: the 44-byte header ("fmt " chunk of PCM, two
// channels at kSampleRate, 16 bits) for `frames` frames, then the
// interleaved samples, written block by block. Stops the forge with a
// message when the file cannot be written or the blocks do not add up to
// `frames`.
class WavWriter {
public:
    WavWriter(const std::string& path, long frames);
    void write(const Stereo& block);
    void finish();

private:
    OutputFile file_;
    long frames_, written_ = 0;
};
