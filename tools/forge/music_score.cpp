// The piece, section by section: a day from the credits to the sunset, in
// D minor with a lift to E minor for the greetings. Two themes carry it:
// "call" and its "answer" (heard first slowed down on bells under the
// credits, then in full in the forest, the leaves and the greetings), and
// the rhythmic "pulse", which climbs down the scale a step per bar through
// the jungle, the attractor and the greetings. "song" is the calm third
// theme of the portrait, the rain and the sunset.
#include "music_score.h"

namespace {

// ---- Drums (16 steps = one bar) ------------------------------------------
constexpr const char* kFourOnFloor = "x...x...x...x...";
constexpr const char* kFourAccented = "X...x...X...x...";
constexpr const char* kSoftFour = "g...g...g...g...";
constexpr const char* kHalfTimeKick = "x.........x.....";
constexpr const char* kJungleKick = "x..x..x...x..x..";
constexpr const char* kLightningKick = "X..x..X...X..x..";
constexpr const char* kHeartbeat = "x.......x.......";

constexpr const char* kBackbeat = "....X.......X...";
constexpr const char* kGhostedBackbeat = "....X..g....X.g.";
constexpr const char* kHalfTimeSnare = "........X.......";
constexpr const char* kLightningSnare = "....X.......X..X";
constexpr const char* kRushSnare = "....X.......XXXX";

constexpr const char* kOffbeatHat = "..o...o...o...o.";
constexpr const char* kDrivingHat = "x.o.x.o.x.o.x.oX";
constexpr const char* kSixteenthHat = "xgxgXgxgxgxgXgxg";
constexpr const char* kShaker = "xxXxxxXxxxXxxXxx";
constexpr const char* kRainHat = "gxggxgxggxgggxgx";
constexpr const char* kSparseHat = "..x...x...x...x.";
constexpr const char* kEighthHat = "x.x.x.x.x.x.x.x.";

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
constexpr const char* kJungleBass = "r..r..r...o..f..";
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

const std::vector<Motif> kMotifs = {
    {"call", "5 - - 3 - - 5 - 8 - - - 7 - 6 -   6 - - - - - 4 - 3 - 4 - 5 - - -"},
    {"answer", "5 - - 3 - - 5 - 8 - - - 9 - 10 -  9 - - - - - 7 - 8 - - - - - . ."},
    {"answer2", "5 - - 3 - - 5 - 8 - - - 9 - 10 -  12 - - - 11 - 10 - 9 - - - - - - -"},
    {"pulse", "8 . . 8 . . 7 . 8 . . 5 . . 4 ."},
    {"song", "3 - - - 2 - 3 - 5 - - - 4 - 3 -   2 - - - - - 1 - 2 - - - - - - -"},
    {"song2", "3 - - - 2 - 3 - 5 - - - 8 - 7 -   6 - - - 5 - 4 - 5 - - - - - - -"},
    {"sigh", "5 - - - 4 - 3 - 2 - - - - - . ."},
};

const std::vector<Section> kSections = {
    // Credits: an open pad, wind, and the main theme at half speed on bells;
    // a sweep over the last two bars leads into the entrance.
    {.name = "credits", .start = 0, .end = 24, .energy = Energy::Quiet,
     .chords = "Dm9 Bbmaj7 Fmaj7 Csus2", .chordBars = 3,
     .bells = "_ _ _ _ call*2 answer*2",
     .pad = 0.7f, .brightness = 0.25f, .air = 0.6f, .riserBars = 2},
    // The pyramid lights up: kick and bass enter.
    {.name = "pyramid", .start = 24, .end = 32, .energy = Energy::Medium,
     .chords = "Dm Bb F C", .kick = kFourOnFloor, .bass = kEighthBass,
     .impact = 1.0f, .pad = 0.6f, .brightness = 0.4f, .air = 0.3f},
    // The trails start: backbeat, hats and a running arpeggio.
    {.name = "trails", .start = 32, .end = 40, .energy = Energy::Full,
     .chords = "Dm Bb F C", .kick = kFourOnFloor, .snare = kBackbeat, .hat = kOffbeatHat,
     .fill = kSnareRoll, .bass = kDrivingBass, .arp = kRunningArp,
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.55f, .air = 0.1f},
    // Jungle: broken kick, toms and shaker; the pulse theme walks down.
    {.name = "jungle", .start = 40, .end = 48, .energy = Energy::Full,
     .chords = "Dm C Bb A", .kick = kJungleKick, .snare = kBackbeat, .hat = kShaker,
     .toms = kJungleToms, .fill = kTomFill, .bass = kJungleBass,
     .lead = "pulse pulse-1 pulse-2 pulse-3",
     .impact = 1.0f, .pad = 0.3f, .brightness = 0.6f, .air = 0.25f},
    // Forest and calendar: the main theme in full.
    {.name = "calendar", .start = 48, .end = 64, .energy = Energy::Full,
     .chords = "Dm Bb F C", .kick = kFourOnFloor, .snare = kBackbeat, .hat = kDrivingHat,
     .fill = kSnareRoll, .bass = kDrivingBass, .arp = kEighthArp,
     .lead = "call answer call answer2",
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.7f},
    // Attractor: half time, circling arpeggio, the pulse theme on bells.
    {.name = "attractor", .start = 64, .end = 80, .energy = Energy::Medium,
     .chords = "Dm C Bb A", .kick = kHalfTimeKick, .snare = kHalfTimeSnare,
     .hat = kSixteenthHat, .bass = kHalfTimeBass, .arp = kCirclingArp,
     .bells = "pulse pulse-1 pulse-2 pulse-3 pulse*2 pulse-2*2",
     .impact = 1.0f, .pad = 0.4f, .brightness = 0.5f, .air = 0.1f},
    // The logo rises from the sand: a filtered build over four bars.
    {.name = "sand", .start = 80, .end = 88, .energy = Energy::Medium,
     .chords = "Bb C Bb C", .kick = kSoftFour, .hat = kBackbeat, .fill = kLongRoll,
     .bass = kEighthBass, .arp = kRockingArp,
     .impact = 0.5f, .pad = 0.6f, .brightness = 0.3f, .air = 0.3f, .riserBars = 4},
    // Spinning leaves: the drop, the theme doubled by bells in its second half.
    {.name = "leaves", .start = 88, .end = 104, .energy = Energy::Full,
     .chords = "Dm Bb F C", .kick = kFourOnFloor, .snare = kGhostedBackbeat,
     .hat = kSixteenthHat, .fill = kSnareRoll, .bass = kDrivingBass, .arp = kRunningArp,
     .lead = "call answer call answer2", .bells = "_ _ _ _ call answer2",
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.85f},
    // Spider web at dawn: light and bright, the song on bells, then a roll
    // and a sweep into the cut.
    {.name = "web", .start = 104, .end = 123.5, .energy = Energy::Medium,
     .chords = "Fmaj7 C Dm9 Bbmaj7", .kick = kHalfTimeKick, .hat = kSparseHat,
     .fill = kLongRoll, .bass = kRootBass, .arp = kEighthArp,
     .bells = "song song2 song song2 _",
     .impact = 0.6f, .pad = 0.6f, .brightness = 0.6f, .air = 0.2f, .riserBars = 2},
    // The black second: everything stops; only a breath of noise rises.
    {.name = "black", .start = 123.5, .end = 124.5, .energy = Energy::Silent,
     .riserBars = 1},
    // Portrait: a chord on the cut, then the song on the lead over a heartbeat.
    {.name = "portrait", .start = 124.5, .end = 145, .energy = Energy::Medium,
     .chords = "F C Dm Bb", .kick = kHeartbeat, .hat = kSparseHat,
     .bass = kHalfTimeBass, .arp = kRippleArp,
     .lead = "_ song+7 song2+7 song+7 song2+7 sigh+7",
     .impact = 0.7f, .pad = 0.7f, .brightness = 0.55f},
    // Rain: ticking hats like drops, the song on bells in the wet.
    {.name = "rain", .start = 145, .end = 158, .energy = Energy::Medium,
     .chords = "Gm Dm Bb A", .kick = "x.....x...x.....", .snare = kBackbeat, .hat = kRainHat,
     .fill = kSnareRoll, .bass = kRainBass, .bells = "_ song _ song2",
     .impact = 0.5f, .pad = 0.5f, .brightness = 0.4f, .air = 0.7f},
    // The sea floods the logo: a wide swell, the theme slowed down.
    {.name = "flood", .start = 158, .end = 165, .energy = Energy::Full,
     .chords = "Bb F C Dm", .kick = kHeartbeat, .toms = kFloodToms, .bass = kHeldBass,
     .lead = "call*2",
     .impact = 1.0f, .pad = 0.9f, .brightness = 0.8f, .air = 0.8f},
    // Mask in lightning: hard stabs, driven bass, a crash on the first flash.
    {.name = "mask", .start = 165, .end = 174, .energy = Energy::Full,
     .chords = "Dm Dm Bb A", .kick = kLightningKick, .snare = kLightningSnare,
     .hat = kEighthHat, .toms = kLightningToms, .fill = kTomFill, .bass = kLightningBass,
     .stab = kLightningStab,
     .impact = 1.0f, .pad = 0.3f, .brightness = 0.9f},
    // Rising waves: a climbing arpeggio and a sweep turn towards E minor.
    {.name = "waves", .start = 174, .end = 182, .energy = Energy::Full,
     .chords = "Bb C D B", .kick = kFourOnFloor, .snare = kBackbeat, .hat = kOffbeatHat,
     .fill = kLongRoll, .bass = kEighthBass, .arp = kClimbingArp,
     .impact = 0.6f, .pad = 0.5f, .brightness = 0.6f, .air = 0.4f, .riserBars = 4},
    // Greetings over the storm: everything, a tone higher; the bells join
    // the theme's return.
    {.name = "greetings", .start = 182, .end = 216, .energy = Energy::Full, .key = 64,
     .chords = "Em C G D", .kick = kFourOnFloor, .snare = kGhostedBackbeat,
     .hat = kSixteenthHat, .fill = kTomFill, .bass = kDrivingBass, .arp = kRunningArp,
     .lead = "call answer pulse pulse-1 pulse-2 pulse-3 call answer call answer2 _",
     .bells = "_ _ _ _ _ _ _ _ call answer call answer2",
     .impact = 1.0f, .pad = 0.5f, .brightness = 0.9f, .air = 0.2f},
    // Flight through the clouds: half time, airy, the theme slowed on bells.
    {.name = "flight", .start = 216, .end = 230, .energy = Energy::Medium,
     .chords = "Fmaj7 Cadd9 Dm9 Bbmaj7", .kick = kHalfTimeKick, .snare = kHalfTimeSnare,
     .hat = kSparseHat, .bass = kRootBass, .arp = kEighthArp, .bells = "call*2 answer*2",
     .impact = 0.6f, .pad = 0.7f, .brightness = 0.7f, .air = 0.5f},
    // Knot, rotozoom, clouds and leaves take turns every bar; so do four
    // answers: a hard stab, toms, a held chord, a rushing snare.
    {.name = "knot", .start = 230, .end = 232, .energy = Energy::Full,
     .chords = "Dm", .kick = kFourAccented, .snare = kBackbeat, .hat = kSixteenthHat,
     .bass = kDrivingBass, .stab = kKnotStab, .lead = "pulse",
     .impact = 0.8f, .pad = 0.3f, .brightness = 0.9f},
    {.name = "roto", .start = 232, .end = 234, .energy = Energy::Medium,
     .chords = "Bb", .hat = kOffbeatHat, .toms = kRotoToms, .bass = kHeldBass,
     .arp = kRunningArp, .impact = 0.5f, .pad = 0.5f, .brightness = 0.7f},
    {.name = "clouds", .start = 234, .end = 236, .energy = Energy::Medium,
     .chords = "F", .kick = kHeartbeat, .bass = kRootBass, .bells = "pulse+2",
     .impact = 0.5f, .pad = 0.8f, .brightness = 0.6f, .air = 0.5f},
    {.name = "leaves", .start = 236, .end = 238, .energy = Energy::Full,
     .chords = "C", .kick = kFourOnFloor, .snare = kRushSnare, .hat = kSixteenthHat,
     .bass = kEighthBass, .arp = kRunningArp, .lead = "pulse-1",
     .impact = 0.8f, .pad = 0.4f, .brightness = 0.9f},
    {.name = "knot", .start = 238, .end = 240, .energy = Energy::Full,
     .chords = "Dm", .kick = kFourAccented, .snare = kBackbeat, .hat = kSixteenthHat,
     .bass = kDrivingBass, .stab = kKnotStab, .lead = "pulse+7",
     .impact = 0.8f, .pad = 0.3f, .brightness = 0.9f},
    {.name = "roto", .start = 240, .end = 242, .energy = Energy::Medium,
     .chords = "Bb", .hat = kOffbeatHat, .toms = kRotoToms, .bass = kHeldBass,
     .arp = kRunningArp, .impact = 0.5f, .pad = 0.5f, .brightness = 0.7f},
    {.name = "clouds", .start = 242, .end = 244, .energy = Energy::Medium,
     .chords = "F", .kick = kHeartbeat, .bass = kRootBass, .bells = "pulse+4",
     .impact = 0.5f, .pad = 0.8f, .brightness = 0.6f, .air = 0.5f},
    {.name = "leaves", .start = 244, .end = 246, .energy = Energy::Full,
     .chords = "A", .kick = kFourOnFloor, .snare = kRushSnare, .hat = kSixteenthHat,
     .bass = kEighthBass, .arp = kRunningArp, .lead = "pulse-3",
     .impact = 0.8f, .pad = 0.4f, .brightness = 0.9f},
    // Sunset over the water: no drums, slow harmony, the themes once more.
    {.name = "sunset", .start = 246, .end = 274, .energy = Energy::Quiet,
     .chords = "Dm9 Bbmaj7 Fmaj7 Csus2", .chordBars = 2, .bass = kHeldBass,
     .arp = kRippleArp, .bells = "call*2 answer*2 song song2 _ _",
     .impact = 0.6f, .pad = 0.8f, .brightness = 0.45f, .air = 0.4f},
    // Dusk: the last chord turns major and everything fades out.
    {.name = "dusk", .start = 274, .end = kPieceSeconds, .energy = Energy::Quiet,
     .chords = "Bbmaj7 Dadd9 Dadd9 Dadd9 Dadd9 Dadd9", .chordBars = 2, .bass = kHeldBass,
     .bells = "_ _ call*2", .pad = 0.8f, .brightness = 0.35f, .air = 0.3f},
};

const std::vector<double> kSceneChanges = {
    24, 32, 40, 48, 64, 80, 88, 104, 123.5, 124.5, 145, 158, 165, 174, 182, 216,
    230, 232, 234, 236, 238, 240, 242, 244, 246,
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
    return kSceneChanges;
}
