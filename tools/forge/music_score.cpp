// The piece, section by section: a day from the credits to the sunset, in
// D minor with a lift to E minor for the greetings. Two themes carry it:
// "call" and its "answer" (heard first slowed down on bells under the
// credits, then in full at the calendar, reharmonised with a varied second
// half under the leaves, climbing to their peak in the greetings, and slowed
// again over the flight and the sunset, where "close" ends the piece on the
// key note by 274 s), and the rhythmic "pulse", which walks down the scale
// and answers itself ("pulse2") through the jungle and the attractor and
// climbs a step per bar in the greetings. "song" is the calm third theme of
// the web, the portrait, the rain and the sunset. The bells play the
// countermelodies ("counter", "counter2", "counter3") against the lead and
// trade phrases with it. No two stretches share a chord loop: each section
// has its own progression, most of them written bar by bar under the melody.
#include "music_score.h"

#include "show/schedule.h"

namespace {

// ---- Drums (16 steps = one bar) ------------------------------------------
constexpr const char* kFourOnFloor = "x...x...x...x...";
constexpr const char* kFourAccented = "X...x...X...x...";
constexpr const char* kSoftFour = "g...g...g...g...";
constexpr const char* kHalfTimeKick = "x.........x.....";
constexpr const char* kJungleKick = "x.....g...g..g..";
constexpr const char* kLightningKick = "X..x..X...X..x..";
constexpr const char* kHeartbeat = "x.......x.......";

constexpr const char* kBackbeat = "....X.......X...";
constexpr const char* kGhostedBackbeat = "....X..g....X.g.";
constexpr const char* kHalfTimeSnare = "........X.......";
constexpr const char* kLightningSnare = "....X.......X..X";
constexpr const char* kRushSnare = "....X.......XXXX";
constexpr const char* kRimClick = "......g.......g.";

// Hats stay sparse and mostly soft: the band above 4 kHz is theirs alone,
// and a hat on every sixteenth turns it into a hiss.
constexpr const char* kOffbeatHat = "..x...x...x...o.";
constexpr const char* kLiftHat = "..x...o...x...o.";
constexpr const char* kDrivingHat = "x.g.x.o.x.g.x.oX";
constexpr const char* kBusyHat = "x.gxX.gxx.gxX.gx";
constexpr const char* kShaker = "g.gxg.gxg.gxg.gX";
constexpr const char* kRainHat = "g.xg..x.g.xg.gx.";
constexpr const char* kSparseHat = "..x...x...x...x.";
constexpr const char* kEighthHat = "x.x.x.x.x.x.x.x.";
constexpr const char* kStormHat = "x.x.x.o.x.x.x.o.";

constexpr const char* kJungleToms = "..h..m....h.l.m.";
constexpr const char* kRotoToms = "h..m..l.h..m.lLL";
constexpr const char* kFloodToms = "..........h.m.l.";
constexpr const char* kLightningToms = "...........h.m.l";

constexpr const char* kSnareRoll = "x.x.x.x.xxxxXXXX";
constexpr const char* kTomFill = "X.x.x.h.h.m.m.lL";
constexpr const char* kLongRoll = "x.x.xxxxXXXXXXXX";

// ---- Bass, arpeggios, stabs ---------------------------------------------
constexpr const char* kEighthBass = "r.r.r.r.r.r.r.r.";
constexpr const char* kRootBass = "r.......r.......";
constexpr const char* kDrivingBass = "r.ro.r.rr.ro.r.f";
constexpr const char* kJungleBass = "r.....r...o..f..";
constexpr const char* kHeldBass = "r---------------";
constexpr const char* kHalfTimeBass = "r.......r...f...";
constexpr const char* kLightningBass = "r.rr.rr.r.rr.rfo";
constexpr const char* kRainBass = "r...r...r..r.r..";

constexpr const char* kRunningArp = "0213243502132435";
constexpr const char* kEighthArp = "0.2.1.3.2.4.3.5.";
constexpr const char* kClimbingArp = "0123456701234567";
constexpr const char* kCirclingArp = "0123012301230123";
constexpr const char* kRippleArp = "0...2...1...3...";
constexpr const char* kRockingArp = "0.1.2.1.0.1.2.1.";

constexpr const char* kLightningStab = "X..X..X...X..X..";
constexpr const char* kKnotStab = "X..X..X.........";
constexpr const char* kPeakStab = "X.......x..x....";

// Scale degrees of the natural minor, one token per sixteenth (see Motif).
const std::vector<Motif> kMotifs = {
    // The main theme: a call rising to the octave and falling back...
    {"call", "5 - - 3 - - 5 - 8 - - - 7 - 6 -   6 - - - - - 4 - 3 - 4 - 5 - - -"},
    // ...a variation that keeps climbing instead, to the fifth above...
    {"callB", "5 - - 3 - - 5 - 8 - - - 9 - 8 -   7 - - - - - 8 - 9 - 10 - 12 - - -"},
    // ...and two answers: open, and reaching up.
    {"answer", "5 - - 3 - - 5 - 8 - - - 9 - 10 -  9 - - - - - 7 - 8 - - - - - . ."},
    {"answer2", "5 - - 3 - - 5 - 8 - - - 9 - 10 -  12 - - - 11 - 10 - 9 - - - - - - -"},
    // Countermelodies for the bells: long notes falling while the theme rises.
    {"counter", "8 - - - - - - - 7 - - - - - - -   6 - - - - - - - 5 - - - - - - -"},
    {"counter2", "10 - - - - - - - 9 - - - - - - -  7 - - - - - - - 5 - - - - - - -"},
    {"counter3", "8 - - - - - - - 9 - - - - - - -   #7 - - - - - - - 5 - - - - - - -"},
    // The rhythmic theme and its answer; "pulse3" leaps up where it fell.
    {"pulse", "8 . . 8 . . 7 . 8 . . 5 . . 4 ."},
    {"pulse2", "8 . . 8 . . 7 . 5 . 4 . 5 - - -"},
    {"pulse3", "8 . . 8 . . 9 . 10 . . 9 . . 12 ."},
    // The calm theme, its sequel, and a variation that comes home.
    {"song", "3 - - - 2 - 3 - 5 - - - 4 - 3 -   2 - - - - - 1 - 2 - - - - - - -"},
    {"song2", "3 - - - 2 - 3 - 5 - - - 8 - 7 -   6 - - - 5 - 4 - 5 - - - - - - -"},
    {"song3", "3 - - - 2 - 3 - 5 - - - 4 - 3 -   2 - - - 1 - 0 - 1 - - - - - - -"},
    {"sigh", "5 - - - 4 - 3 - 2 - - - - - . ."},
    // The last phrase: down to the key note, held for a bar.
    {"close", "3 - - 2 - - 3 - 5 - - - 4 - 2 -   1 - - - - - - - - - - - - - - -"},
};

const std::vector<Section> kSections = {
    // Credits: an open pad, wind, and the main theme at half speed on bells;
    // a sweep over the last two bars leads into the entrance.
    {.name = "credits", .start = 0, .end = 24, .energy = Energy::Quiet,
     .chords = "Dm9 Bbmaj7 Gm9 Csus2", .chordBars = 3,
     .bells = "_ _ _ _ call*2 answer*2",
     .pad = 0.7f, .brightness = 0.25f, .air = 0.6f, .riserBars = 2},
    // The pyramid lights up: kick, bass and a soft hat enter over the key
    // chord, and a rippling arpeggio glints above them.
    {.name = "pyramid", .start = 24, .end = 32, .energy = Energy::Medium,
     .chords = "Dm Dm C Bb", .kick = kFourOnFloor, .hat = kLiftHat, .bass = kEighthBass,
     .arp = kRippleArp, .impact = 1.0f, .pad = 0.6f, .brightness = 0.5f, .air = 0.3f, .stopSteps = 2},
    // The trails start: the full band for the first time, backbeat, hats,
    // a running arpeggio over the home progression.
    {.name = "trails", .start = 32, .end = 40, .energy = Energy::Full,
     .chords = "Dm Bb F C", .kick = kFourAccented, .snare = kBackbeat, .hat = kOffbeatHat,
     .fill = kSnareRoll, .bass = kDrivingBass, .arp = kRunningArp,
     .impact = 1.0f, .pad = 0.75f, .brightness = 0.65f, .air = 0.1f},
    // Jungle: the band drops out to drums, toms and bass; the pulse theme
    // calls and answers itself on the lead, walking down.
    {.name = "jungle", .start = 40, .end = 48, .energy = Energy::Medium,
     .chords = "Dm C Gm A", .kick = kJungleKick, .snare = kRimClick, .hat = kShaker,
     .toms = kJungleToms, .fill = kTomFill, .bass = kJungleBass,
     .lead = "pulse pulse2 pulse-2 pulse-3",
     .brightness = 0.4f, .air = 0.35f},
    // Forest and calendar: everything at once, and the main theme in full;
    // the bells come in with a countermelody for its second half.
    {.name = "calendar", .start = 48, .end = 64, .energy = Energy::Full,
     .chords = "Dm Bb F C Gm Bbmaj7 Dm A", .kick = kFourAccented, .snare = kBackbeat,
     .hat = kDrivingHat, .fill = kSnareRoll, .bass = kDrivingBass, .arp = kEighthArp,
     .lead = "call answer call answer2", .bells = "_ _ _ _ counter+2 counter3",
     .impact = 1.0f, .pad = 0.6f, .brightness = 0.8f, .stopSteps = 4},
    // Attractor: half time, circling arpeggio; the bells play the pulse two
    // steps higher each time, the lead answers each with pulse2, and the
    // last answer turns to the dominant.
    {.name = "attractor", .start = 64, .end = 80, .energy = Energy::Medium,
     .chords = "Bbmaj7 Am7 Gm9 C Am7 Dm9 Gm7 A", .kick = kHalfTimeKick,
     .snare = kHalfTimeSnare, .hat = kSparseHat, .bass = kHalfTimeBass, .arp = kCirclingArp,
     .lead = "_ pulse2 _ pulse2+2 _ pulse2+4 _ pulse-3",
     .bells = "pulse _ pulse+2 _ pulse+4 _ pulse _",
     .impact = 1.0f, .pad = 0.4f, .brightness = 0.5f, .air = 0.1f, .stopSteps = 2},
    // The logo rises from the sand: a filtered build over four bars.
    {.name = "sand", .start = 80, .end = 88, .energy = Energy::Medium,
     .chords = "Bbmaj7 C Gm7 A", .kick = kSoftFour, .hat = kBackbeat, .fill = kLongRoll,
     .bass = kEighthBass, .arp = kRockingArp,
     .impact = 0.5f, .pad = 0.6f, .brightness = 0.3f, .air = 0.3f, .riserBars = 4, .stopSteps = 4},
    // Spinning leaves: the drop, the theme reharmonised and varied (callB
    // climbs where the call fell), with the bells' countermelody against it.
    {.name = "leaves", .start = 88, .end = 104, .energy = Energy::Full,
     .chords = "Bbmaj7 Gm Dm Am Bbmaj7 F Dm A", .kick = kFourOnFloor,
     .snare = kGhostedBackbeat, .hat = kBusyHat, .fill = kSnareRoll, .bass = kDrivingBass,
     .arp = kRunningArp, .lead = "call answer callB answer2",
     .bells = "counter counter2 _ _ counter3",
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.85f, .stopSteps = 4},
    // Spider web at dawn: light and bright, the song on bells in the
    // relative major, coming home in its second half; then a roll and a
    // sweep into the cut.
    {.name = "web", .start = 104, .end = 123.5, .energy = Energy::Medium,
     .chords = "Fmaj7 C Dm9 Bbmaj7 Dm7 C Gm7 C Fmaj7 A", .kick = kHalfTimeKick,
     .hat = kSparseHat, .fill = kLongRoll, .bass = kRootBass, .arp = kEighthArp,
     .bells = "song song2 song3 song2",
     .impact = 0.6f, .pad = 0.6f, .brightness = 0.6f, .air = 0.2f, .riserBars = 2},
    // The black second: everything stops; only a breath of noise rises.
    {.name = "black", .start = 123.5, .end = 124.5, .energy = Energy::Silent,
     .riserBars = 1},
    // Portrait: a chord on the cut, then the song on the lead over a
    // heartbeat; the bells answer with it, and the lead's varied song3 and
    // a sigh end the scene.
    {.name = "portrait", .start = 124.5, .end = 145, .energy = Energy::Medium,
     .chords = "Bbmaj7 F C Dm Bbmaj7 Dm Am Gm7 C F C", .kick = kHeartbeat, .hat = kSparseHat,
     .bass = kHalfTimeBass, .arp = kRippleArp,
     .lead = "_ song+7 song2+7 _ _ song3+7 sigh+7", .bells = "_ _ _ _ _ song",
     .impact = 0.7f, .pad = 0.7f, .brightness = 0.55f},
    // Rain: ticking hats like drops, the song on bells in the wet.
    {.name = "rain", .start = 145, .end = 158, .energy = Energy::Medium,
     .chords = "Gm Dm Gm A Dm9 Bbmaj7 C", .kick = "x.....x...x.....", .snare = kBackbeat,
     .hat = kRainHat, .fill = kSnareRoll, .bass = kRainBass, .bells = "_ song _ song2",
     .impact = 0.5f, .pad = 0.5f, .brightness = 0.4f, .air = 0.7f, .gusts = 1.0f},
    // The sea floods the logo: a wide swell, the theme slowed down on the
    // lead against its countermelody, slowed too, on the bells.
    {.name = "flood", .start = 158, .end = 165, .energy = Energy::Full,
     .chords = "Dm Bbmaj7 Gm F", .kick = kHeartbeat, .toms = kFloodToms, .bass = kHeldBass,
     .lead = "call*2", .bells = "counter*2",
     .impact = 1.0f, .pad = 0.9f, .brightness = 0.8f, .air = 0.8f, .gusts = 0.8f},
    // Mask in lightning: hard stabs, driven bass, a flash of E flat.
    {.name = "mask", .start = 165, .end = 174, .energy = Energy::Full,
     .chords = "Dm Eb Dm Bb A", .kick = kLightningKick, .snare = kLightningSnare,
     .hat = kStormHat, .toms = kLightningToms, .fill = kTomFill, .bass = kLightningBass,
     .stab = kLightningStab,
     .impact = 1.0f, .pad = 0.3f, .brightness = 0.9f, .stopSteps = 2},
    // Rising waves: a climbing arpeggio and a sweep turn towards E minor.
    {.name = "waves", .start = 174, .end = 182, .energy = Energy::Full,
     .chords = "Bb C D B", .kick = kFourOnFloor, .snare = kBackbeat, .hat = kOffbeatHat,
     .fill = kLongRoll, .bass = kEighthBass, .arp = kClimbingArp,
     .impact = 0.6f, .pad = 0.5f, .brightness = 0.6f, .air = 0.4f, .riserBars = 4, .stopSteps = 4},
    // Greetings over the storm, a tone higher, in four parts: a build (the
    // theme over kick, bass and arpeggio), a climb (snare and hats join, the
    // pulse rises a step a bar), a break (the drums stop, the bells sigh,
    // the dominant and a sweep lead on) and the peak (everything, the theme
    // with its variation and the countermelodies).
    {.name = "greetings", .start = 182, .end = 190, .energy = Energy::Medium, .key = 64,
     .chords = "Em Cmaj7 G D", .kick = kHalfTimeKick, .hat = kSparseHat,
     .bass = kEighthBass, .arp = kEighthArp, .lead = "call answer",
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.6f, .air = 0.2f},
    {.name = "greetings climb", .start = 190, .end = 196, .energy = Energy::Full, .key = 64,
     .chords = "Am D Em", .kick = kFourOnFloor, .snare = kBackbeat, .hat = kOffbeatHat,
     .fill = kSnareRoll, .bass = kDrivingBass, .arp = kRunningArp,
     .lead = "pulse pulse+1 pulse3+2",
     .pad = 0.5f, .brightness = 0.75f, .air = 0.2f},
    {.name = "greetings break", .start = 196, .end = 200, .energy = Energy::Quiet, .key = 64,
     .chords = "Cmaj7 B", .bass = kHeldBass, .arp = kRippleArp, .bells = "sigh",
     .pad = 0.7f, .brightness = 0.4f, .air = 0.5f, .riserBars = 1},
    {.name = "greetings peak", .start = 200, .end = 216, .energy = Energy::Full, .key = 64,
     .chords = "Em Cmaj7 G D Am G Em D", .kick = kFourAccented, .snare = kGhostedBackbeat,
     .hat = kBusyHat, .fill = kTomFill, .bass = kDrivingBass, .arp = kRunningArp,
     .stab = kPeakStab, .lead = "call answer callB answer2",
     .bells = "counter counter2 counter+2 counter2",
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.9f, .air = 0.2f, .stopSteps = 2},
    // Flight through the clouds: half time, airy, the theme slowed on bells
    // over new harmony.
    {.name = "flight", .start = 216, .end = 230, .energy = Energy::Medium,
     .chords = "Fmaj7 Bbmaj7 Gm7 Dm9 Fmaj7 Dm9 Cadd9", .kick = kHalfTimeKick,
     .snare = kHalfTimeSnare, .hat = kSparseHat, .bass = kRootBass, .arp = kEighthArp,
     .bells = "call*2 answer*2",
     .impact = 0.6f, .pad = 0.7f, .brightness = 0.7f, .air = 0.5f},
    // Knot, rotozoom, clouds and leaves take turns every bar; so do four
    // answers: a hard stab, toms, a held chord, a rushing snare. The pulse
    // passes between lead and bells, and the second round turns to new
    // chords and ends on the dominant.
    {.name = "knot", .start = 230, .end = 232, .energy = Energy::Full,
     .chords = "Dm", .kick = kFourAccented, .snare = kBackbeat, .hat = kEighthHat,
     .bass = kDrivingBass, .stab = kKnotStab, .lead = "pulse",
     .impact = 0.6f, .pad = 0.3f, .brightness = 0.9f, .stopSteps = 4},
    {.name = "roto", .start = 232, .end = 234, .energy = Energy::Medium,
     .chords = "Bb", .hat = kOffbeatHat, .toms = kRotoToms, .bass = kHeldBass,
     .arp = kRunningArp, .impact = 0.4f, .pad = 0.5f, .brightness = 0.7f},
    {.name = "clouds", .start = 234, .end = 236, .energy = Energy::Medium,
     .chords = "F", .kick = kHeartbeat, .bass = kRootBass, .bells = "pulse+2",
     .impact = 0.4f, .pad = 0.8f, .brightness = 0.6f, .air = 0.5f},
    {.name = "leaves", .start = 236, .end = 238, .energy = Energy::Full,
     .chords = "C", .kick = kFourOnFloor, .snare = kRushSnare, .hat = kBusyHat,
     .bass = kEighthBass, .arp = kRunningArp, .lead = "pulse-1",
     .impact = 0.6f, .pad = 0.4f, .brightness = 0.9f, .stopSteps = 4},
    {.name = "knot", .start = 238, .end = 240, .energy = Energy::Full,
     .chords = "Gm", .kick = kFourAccented, .snare = kBackbeat, .hat = kEighthHat,
     .bass = kDrivingBass, .stab = kKnotStab, .lead = "pulse+3",
     .impact = 0.6f, .pad = 0.3f, .brightness = 0.9f, .stopSteps = 4},
    {.name = "roto", .start = 240, .end = 242, .energy = Energy::Medium,
     .chords = "Ebmaj7", .hat = kOffbeatHat, .toms = kRotoToms, .bass = kHeldBass,
     .arp = kRunningArp, .impact = 0.4f, .pad = 0.5f, .brightness = 0.7f},
    {.name = "clouds", .start = 242, .end = 244, .energy = Energy::Medium,
     .chords = "Dm", .kick = kHeartbeat, .bass = kRootBass, .bells = "pulse+4",
     .impact = 0.4f, .pad = 0.8f, .brightness = 0.6f, .air = 0.5f},
    {.name = "leaves", .start = 244, .end = 246, .energy = Energy::Full,
     .chords = "A", .kick = kFourOnFloor, .snare = kRushSnare, .hat = kBusyHat,
     .bass = kEighthBass, .arp = kRunningArp, .lead = "pulse-3",
     .impact = 0.6f, .pad = 0.4f, .brightness = 0.9f, .stopSteps = 2},
    // Sunset over the water: no drums, slow harmony, the themes once more
    // on the bells, and the closing phrase landing on the key note at 272 s
    // over a suspended dominant; it has died away by 276 s.
    {.name = "sunset", .start = 246, .end = 274, .energy = Energy::Quiet,
     .chords = "Dm9 Bbmaj7 Gm9 Fmaj7 Dm9 Gm7 Am7 Bbmaj7 Fmaj7 C Dm9 Bbmaj7 Gm7 Asus4",
     .bass = kHeldBass, .arp = kRippleArp, .bells = "call*2 answer*2 song song2 close",
     .pad = 0.8f, .brightness = 0.45f, .air = 0.4f},
    // Dusk: the last chord turns major under the melody's last note and
    // everything fades out; no new phrase starts over the dark screen.
    {.name = "dusk", .start = 274, .end = kPieceSeconds, .energy = Energy::Quiet,
     .chords = "Dadd9", .chordBars = 6, .bass = kHeldBass, .arp = kRippleArp,
     .pad = 0.8f, .brightness = 0.8f, .air = 0.3f},
};

}  // namespace

const std::vector<Section>& pieceSections()
{
    return kSections;
}

const std::vector<Motif>& pieceMotifs()
{
    return kMotifs;
}

const std::vector<double>& sceneChanges()
{
    // Read from the show's own timeline: every row after the first changes
    // the picture at its time, but for the end of the show.
    constexpr uint32_t kEndOfShow = 0x80000000u;
    static const std::vector<double> changes = [] {
        std::vector<double> times;
        for (const TimelineRow& row : Timeline)
            if (row.after > 0 && !(row.sceneMask & kEndOfShow))
                times.push_back(row.after / 100.0);
        return times;
    }();
    return changes;
}
