#include "tools/sound/Recordings.h"

#include "tools/sound/Marimba.h"
#include "tools/sound/Stones.h"

namespace kelani::sound {
namespace {

constexpr WaveFormat kTuneFormat{11025, 1, 8};
constexpr WaveFormat kStoneFormat{22050, 2, 16};

// Mallet characters of the ensemble.
constexpr double kMelodyBrightness = 0.8;
constexpr double kChordBrightness = 0.35;
constexpr double kBassBrightness = 0.2;

void Append(std::vector<Note>& notes, const std::vector<Note>& more) {
    notes.insert(notes.end(), more.begin(), more.end());
}

// ---- the tunes -------------------------------------------------------------------------------

// Start: a lilting call in F major over F - C - B flat - A minor - C7, landing on a full F chord.
void ComposeStart(Signal& s) {
    Part melody{{{0, 72, 1.5, 0.9},
                 {2, 69, 0.8, 0.7},
                 {3, 72, 0.8, 0.8},
                 {4, 74, 1.5, 0.9},
                 {6, 72, 0.8, 0.7},
                 {7, 69, 0.8, 0.7},
                 {8, 67, 1.5, 0.85},
                 {10, 69, 0.8, 0.7},
                 {11, 72, 0.8, 0.8},
                 {12, 77, 3.5, 1.0},
                 {16, 76, 0.8, 0.85},
                 {17, 74, 0.8, 0.75},
                 {18, 72, 0.8, 0.8},
                 {19, 69, 0.8, 0.7},
                 {20, 67, 1.5, 0.8},
                 {22, 70, 0.8, 0.75},
                 {23, 76, 0.8, 0.8},
                 {24, 77, 12, 1.0}},
                kMelodyBrightness,
                1.0};
    Part chords{{}, kChordBrightness, 0.45};
    Append(chords.notes, Chord(0, {53, 57, 60}, 3.5, 0.8));
    Append(chords.notes, Chord(4, {53, 57, 60}, 3.5, 0.6));
    Append(chords.notes, Chord(8, {52, 55, 60}, 3.5, 0.8));
    Append(chords.notes, Chord(12, {50, 53, 58}, 1.8, 0.8));
    Append(chords.notes, Chord(14, {50, 53, 58}, 1.8, 0.6));
    Append(chords.notes, Chord(16, {52, 57, 60}, 3.5, 0.8));
    Append(chords.notes, Chord(20, {52, 55, 58}, 3.5, 0.8));
    Append(chords.notes, Chord(24, {53, 57, 60, 65}, 12, 0.9));
    Part bass{{{0, 41, 3, 0.9},
               {4, 48, 3, 0.7},
               {8, 48, 1.8, 0.9},
               {10, 43, 1.8, 0.7},
               {12, 46, 3, 0.9},
               {16, 45, 3, 0.9},
               {20, 48, 1.8, 0.9},
               {22, 40, 1.8, 0.7},
               {24, 41, 12, 1.0}},
              kBassBrightness,
              0.7};
    Rng rng(11);
    Play(s, {melody, chords, bass}, 0.2, 0.05, rng);
}

// A chord on the beat and a lighter one after it: the bounce of a dance band.
void AddStabs(Part& part, double beat, std::initializer_list<int> keys) {
    Append(part.notes, Chord(beat, keys, 1.6, 0.7));
    Append(part.notes, Chord(beat + 2, keys, 1.6, 0.45));
}

// Won: a bright fanfare in C major with a rattle of stones on every eighth, rising to a high C.
void ComposeWon(Signal& s) {
    Part melody{{{0, 67, 0.9, 0.8},   {1, 72, 0.9, 0.85},  {2, 76, 0.9, 0.9},   {3, 79, 1.8, 1.0},
                 {5, 76, 0.9, 0.8},   {6, 79, 1.8, 0.95},  {8, 81, 0.9, 0.9},   {9, 79, 0.9, 0.8},
                 {10, 77, 0.9, 0.8},  {11, 76, 0.9, 0.8},  {12, 74, 1.8, 0.9},  {14, 67, 1.8, 0.8},
                 {16, 67, 0.9, 0.8},  {17, 71, 0.9, 0.85}, {18, 74, 0.9, 0.9},  {19, 77, 1.8, 1.0},
                 {21, 76, 0.9, 0.8},  {22, 74, 1.8, 0.9},  {24, 76, 0.9, 0.9},  {25, 74, 0.9, 0.8},
                 {26, 72, 0.9, 0.8},  {27, 74, 0.9, 0.8},  {28, 76, 1.8, 0.9},  {30, 79, 1.8, 0.95},
                 {32, 79, 0.9, 0.9},  {33, 81, 0.9, 0.9},  {34, 79, 0.9, 0.8},  {35, 76, 0.9, 0.8},
                 {36, 79, 0.9, 0.9},  {37, 81, 0.9, 0.9},  {38, 83, 0.9, 0.9},  {39, 84, 1.8, 1.0},
                 {41, 81, 0.9, 0.8},  {42, 79, 0.9, 0.8},  {43, 76, 0.9, 0.8},  {44, 77, 0.9, 0.85},
                 {45, 76, 0.9, 0.85}, {46, 74, 0.9, 0.85}, {47, 71, 0.9, 0.85}, {48, 84, 12, 1.0},
                 {48, 72, 12, 0.7}},
                kMelodyBrightness,
                1.0};
    Part chords{{}, kChordBrightness, 0.4};
    AddStabs(chords, 0, {60, 64, 67});
    AddStabs(chords, 4, {60, 64, 67});
    AddStabs(chords, 8, {60, 65, 69});
    AddStabs(chords, 12, {59, 62, 67});
    AddStabs(chords, 16, {59, 62, 67});
    AddStabs(chords, 20, {59, 65, 67});
    AddStabs(chords, 24, {60, 64, 67});
    AddStabs(chords, 28, {60, 64, 67});
    AddStabs(chords, 32, {60, 64, 67});
    AddStabs(chords, 36, {60, 65, 69});
    AddStabs(chords, 40, {57, 60, 64});
    AddStabs(chords, 44, {59, 62, 65, 67});
    Append(chords.notes, Chord(48, {60, 64, 67}, 12, 0.9));
    Part bass{{}, kBassBrightness, 0.7};
    const int roots[] = {48, 48, 41, 43, 43, 43, 48, 48, 48, 41, 45, 43};
    for (int bar = 0; bar < 12; ++bar) {
        bass.notes.push_back({4.0 * bar, roots[bar], 1.6, 0.9});
        bass.notes.push_back({4.0 * bar + 2, roots[bar] + 7, 1.6, 0.7});
    }
    bass.notes.push_back({48, 36, 12, 1.0});
    Rng rng(23);
    constexpr double beat = 0.155;
    constexpr double offset = 0.05;
    Play(s, {melody, chords, bass}, beat, offset, rng);
    const Surface shaker = InHand();
    for (int eighth = 0; eighth < 48; ++eighth)
        AddImpact(s, offset + eighth * beat, eighth % 2 ? 0.12 : 0.22, 0.0, shaker, rng);
}

// Lost: a slow line falling through A minor, over D minor and E major, to a low A minor chord.
void ComposeLost(Signal& s) {
    Part melody{{{0, 76, 1, 0.8},
                 {1, 74, 1, 0.75},
                 {2, 72, 1, 0.75},
                 {3, 71, 1, 0.7},
                 {4, 72, 1, 0.7},
                 {5, 69, 1, 0.65},
                 {6, 68, 1.5, 0.65},
                 {7.5, 71, 0.5, 0.55},
                 {8, 69, 6, 0.7}},
                0.45,
                1.0};
    Part chords{{}, 0.25, 0.45};
    Append(chords.notes, Chord(0, {57, 60, 64}, 2, 0.7));
    Append(chords.notes, Chord(2, {57, 62, 65}, 2, 0.7));
    Append(chords.notes, Chord(4, {57, 60, 64}, 1, 0.6));
    Append(chords.notes, Chord(5, {57, 60, 65}, 1, 0.6));
    Append(chords.notes, Chord(6, {56, 59, 64}, 2, 0.65));
    Append(chords.notes, Chord(8, {57, 60, 64}, 6, 0.6));
    Part bass{{{0, 45, 2, 0.9},
               {2, 38, 2, 0.9},
               {4, 45, 1, 0.8},
               {5, 41, 1, 0.8},
               {6, 40, 2, 0.9},
               {8, 33, 6, 1.0}},
              kBassBrightness,
              0.75};
    Rng rng(37);
    Play(s, {melody, chords, bass}, 0.55, 0.05, rng);
}

// Drawn: a question and an answer that ends as open as it began, on a suspended chord.
void ComposeDraw(Signal& s) {
    Part melody{{{0, 72, 0.9, 0.8},
                 {1, 74, 0.9, 0.8},
                 {2, 76, 0.9, 0.85},
                 {3, 74, 1.8, 0.8},
                 {5, 76, 0.9, 0.8},
                 {6, 74, 0.9, 0.75},
                 {7, 72, 0.9, 0.75},
                 {8, 74, 10, 0.85}},
                0.6,
                1.0};
    Part chords{{}, kChordBrightness, 0.45};
    Append(chords.notes, Chord(0, {60, 64, 67}, 2.8, 0.7));
    Append(chords.notes, Chord(3, {59, 62, 67}, 1.8, 0.7));
    Append(chords.notes, Chord(5, {57, 60, 64}, 2.8, 0.7));
    Append(chords.notes, Chord(8, {55, 60, 62, 67}, 10, 0.75));
    Part bass{
        {{0, 48, 2.8, 0.9}, {3, 43, 1.8, 0.8}, {5, 45, 2.8, 0.8}, {8, 36, 10, 0.9}}, kBassBrightness, 0.7};
    Rng rng(41);
    Play(s, {melody, chords, bass}, 0.22, 0.05, rng);
}

// ---- the stones ------------------------------------------------------------------------------

// One stone into a bare pit: a woody knock, two or three bounces, the bowl ringing on.
void ComposeStoneIntoPit(Signal& s) {
    Rng rng(101);
    AddDrop(s, 0.005, 1.0, 0.05, EmptyPit(), 3, rng);
}

// One stone onto the stones already there: a brighter clack and a neighbour shifting.
void ComposeStoneOntoStones(Signal& s) {
    Rng rng(103);
    AddDrop(s, 0.005, 1.0, -0.05, OnStones(), 2, rng);
    AddImpact(s, 0.055, 0.25, 0.2, OnStones(), rng);
}

// Fingers scooping the stones of a pit out of their bowl.
void ComposeStonesOutOfPit(Signal& s) {
    Rng rng(107);
    AddScrape(s, 0.0, 0.3, 1.0, rng);
    AddRattle(s, 0.03, 0.3, 7, OnStones(), rng);
    AddImpact(s, 0.02, 0.5, 0.0, EmptyPit(), rng);
}

// Two to four stones released one after another into the head pit; the last one rolls to rest.
void ComposeFewIntoHeadPit(Signal& s) {
    Rng rng(109);
    AddDrop(s, 0.005, 1.0, -0.1, HeadPit(), 3, rng);
    AddDrop(s, 0.14, 0.85, 0.05, OnStones(), 2, rng);
    AddDrop(s, 0.27, 0.8, 0.15, HeadPit(), 2, rng);
    AddRoll(s, 0.42, 0.3, 0.2, HeadPit(), rng);
}

// A handful poured into the head pit at once.
void ComposeManyIntoHeadPit(Signal& s) {
    Rng rng(113);
    AddCascade(s, 0.005, 0.38, 22, HeadPit(), OnStones(), rng);
}

// A few stones closing in the hand.
void ComposeFewInHand(Signal& s) {
    Rng rng(127);
    AddRattle(s, 0.005, 0.09, 3, InHand(), rng);
}

// A full hand: the stones gathered, then settling as the fist closes.
void ComposeManyInHand(Signal& s) {
    Rng rng(131);
    AddRattle(s, 0.005, 0.25, 9, InHand(), rng);
    AddRattle(s, 0.35, 0.3, 6, InHand(), rng);
}

} // namespace

const std::vector<Recording>& Recordings() {
    static const std::vector<Recording> recordings{
        {"START", kTuneFormat, 6.82, true, 0.8, ComposeStart},
        {"GEWONNEN", kTuneFormat, 9.26, true, 0.8, ComposeWon},
        {"VERLOREN", kTuneFormat, 7.41, true, 1.2, ComposeLost},
        {"UNENTSCHIEDEN", kTuneFormat, 3.98, true, 0.8, ComposeDraw},
        {"1STEININMULDE", kStoneFormat, 0.32, false, 0.05, ComposeStoneIntoPit},
        {"4STEININMULDE", kStoneFormat, 0.22, false, 0.04, ComposeStoneOntoStones},
        {"4STEINAUSMULDE", kStoneFormat, 0.49, false, 0.05, ComposeStonesOutOfPit},
        {"WENIGSTEINEINSTIRNMULDE", kStoneFormat, 0.92, false, 0.1, ComposeFewIntoHeadPit},
        {"VIELESTEINEINSTIRNMULDE", kStoneFormat, 0.55, false, 0.06, ComposeManyIntoHeadPit},
        {"WENIGSTEINEINDERHAND", kStoneFormat, 0.19, false, 0.03, ComposeFewInHand},
        {"VIELESTEINEINDERHAND", kStoneFormat, 0.83, false, 0.08, ComposeManyInHand},
    };
    return recordings;
}

std::vector<uint8_t> Render(const Recording& recording) {
    Signal signal(recording.format.rate, recording.seconds);
    recording.compose(signal);
    if (recording.tune)
        AddRoom(signal, 0.35, 1.0);
    else
        AddRoom(signal, 0.2, 0.25); // the board's own small echo
    if (recording.format.channels == 1) MixToMono(signal);
    Normalise(signal, recording.tune ? 0.89 : 0.79); // -1 dB and -2 dB below full scale
    FadeOut(signal, recording.fadeSeconds);
    return EncodeWave(signal, recording.format);
}

} // namespace kelani::sound
