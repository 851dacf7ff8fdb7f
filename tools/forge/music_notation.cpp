// Reading the score's notation: chord names and melody lines.
#include "music_score.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

[[noreturn]] void notationError(const char* what, const std::string& text)
{
    std::fprintf(stderr, "forge: the score has %s \"%s\"\n", what, text.c_str());
    std::exit(1);
}

struct ChordQuality {
    const char* suffix;
    std::vector<int> intervals;
};

const std::vector<ChordQuality> kQualities = {
    {"", {0, 4, 7}},
    {"m", {0, 3, 7}},
    {"7", {0, 4, 7, 10}},
    {"m7", {0, 3, 7, 10}},
    {"maj7", {0, 4, 7, 11}},
    {"m9", {0, 3, 7, 10, 14}},
    {"maj9", {0, 4, 7, 11, 14}},
    {"add9", {0, 4, 7, 14}},
    {"sus2", {0, 2, 7}},
    {"sus4", {0, 5, 7}},
};

// Natural minor: the key note, then whole and half steps W H W W H W.
constexpr int kMinorScale[7] = {0, 2, 3, 5, 7, 8, 10};

// Length of the root's spelling ("D", "Bb", "F#") at the front of a name.
size_t rootLength(const std::string& name)
{
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        notationError("a chord without a root", name);
    return name.size() > 1 && (name[1] == 'b' || name[1] == '#') ? 2 : 1;
}

int floorDiv(int value, int divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

const Motif& findMotif(const std::string& name)
{
    for (const Motif& motif : pieceMotifs())
        if (name == motif.name)
            return motif;
    notationError("an unknown motif", name);
}

// One step of a motif: a note (degree, accidental), a hold or a rest.
struct MotifStep {
    enum Kind { Note, Hold, Rest } kind;
    int degree = 0;
    int accidental = 0;
};

std::vector<MotifStep> readMotif(const Motif& motif)
{
    std::vector<MotifStep> steps;
    std::istringstream tokens(motif.notes);
    std::string token;
    while (tokens >> token) {
        if (token == "-") {
            steps.push_back({MotifStep::Hold});
            continue;
        }
        if (token == ".") {
            steps.push_back({MotifStep::Rest});
            continue;
        }
        MotifStep step{MotifStep::Note};
        size_t at = 0;
        if (token[0] == '#' || token[0] == 'b') {
            step.accidental = token[0] == '#' ? 1 : -1;
            at = 1;
        }
        char* end = nullptr;
        step.degree = static_cast<int>(std::strtol(token.c_str() + at, &end, 10));
        if (end == token.c_str() + at || *end != '\0')
            notationError("a bad motif step", token);
        steps.push_back(step);
    }
    return steps;
}

int degreeNote(int key, int degree, int accidental)
{
    const int index = degree - 1;
    const int octave = floorDiv(index, 7);
    return key + 12 * octave + kMinorScale[index - 7 * octave] + accidental;
}

// A line token: "name", "name+2", "name-1*2", "_".
struct LineToken {
    std::string motif;   // empty for a bar's rest
    int shift = 0;       // scale steps
    int stretch = 1;
};

LineToken readLineToken(const std::string& token)
{
    LineToken result;
    if (token == "_")
        return result;
    const size_t nameEnd = token.find_first_of("+-*");
    result.motif = token.substr(0, nameEnd);
    size_t at = nameEnd;
    while (at != std::string::npos && at < token.size()) {
        const char op = token[at];
        char* end = nullptr;
        const long value = std::strtol(token.c_str() + at + 1, &end, 10);
        if (end == token.c_str() + at + 1)
            notationError("a bad melody token", token);
        if (op == '+')
            result.shift += static_cast<int>(value);
        else if (op == '-')
            result.shift -= static_cast<int>(value);
        else if (value < 1)
            notationError("a bad stretch in", token);
        else
            result.stretch *= static_cast<int>(value);
        at = static_cast<size_t>(end - token.c_str());
    }
    return result;
}

}  // namespace

std::vector<int> chordIntervals(const std::string& name)
{
    const std::string suffix = name.substr(rootLength(name));
    for (const ChordQuality& quality : kQualities)
        if (suffix == quality.suffix)
            return quality.intervals;
    notationError("an unknown chord", name);
}

int chordRoot(const std::string& name)
{
    static constexpr int kNatural[7] = {9, 11, 0, 2, 4, 5, 7};   // A B C D E F G
    const size_t length = rootLength(name);
    int root = kNatural[name[0] - 'A'];
    if (length == 2)
        root += name[1] == '#' ? 1 : -1;
    return (root + 12) % 12;
}

std::vector<int> chordNotes(const std::string& name, int low)
{
    const int root = chordRoot(name);
    std::vector<int> notes;
    for (int interval : chordIntervals(name)) {
        const int pitchClass = (root + interval) % 12;
        int note = low + ((pitchClass - low) % 12 + 12) % 12;
        if (interval >= 12)
            note += 12;
        notes.push_back(note);
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

std::vector<MelodyNote> expandLine(const std::string& line, int key)
{
    std::vector<MelodyNote> notes;
    std::istringstream tokens(line);
    std::string text;
    int at = 0;
    while (tokens >> text) {
        const LineToken token = readLineToken(text);
        if (token.motif.empty()) {
            at += kStepsPerBar;
            continue;
        }
        const std::vector<MotifStep> steps = readMotif(findMotif(token.motif));
        bool holding = false;   // whether a hold may extend the last note
        for (const MotifStep& step : steps) {
            if (step.kind == MotifStep::Note) {
                notes.push_back({at, token.stretch,
                                 degreeNote(key, step.degree + token.shift, step.accidental)});
                holding = true;
            } else if (step.kind == MotifStep::Hold && holding) {
                notes.back().length += token.stretch;
            } else {
                holding = false;
            }
            at += token.stretch;
        }
    }
    return notes;
}
