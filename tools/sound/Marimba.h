#pragma once
// A marimba-like mallet instrument for the tunes: each bar rings with its fundamental and the
// two tuned overtones of a marimba bar (about 3.9 and 9.4 times the fundamental), the higher
// ones dying sooner, struck with a short mallet noise; low notes ring longer than high ones.
#include "tools/sound/Synth.h"

#include <vector>

namespace kelani::sound {

// A note in beats: start, MIDI key (60 = middle C), length before the bar is damped, loudness 0..1.
struct Note {
    double beat;
    int key;
    double beats;
    double velocity;
};

// One player of the ensemble: how bright the mallets are and how loud the part sits in the mix.
struct Part {
    std::vector<Note> notes;
    double brightness; // 0: soft yarn mallets (almost pure fundamental), 1: hard mallets
    double gain;
};

// A bar struck at `time` seconds, damped after `holdSeconds`.
void AddMarimba(Signal& signal, double time, int key, double velocity, double brightness, double holdSeconds,
                Rng& rng);

// Every note of every part, `beatSeconds` per beat, starting `offset` seconds into the signal.
void Play(Signal& signal, const std::vector<Part>& parts, double beatSeconds, double offset, Rng& rng);

// Chord tones struck together but rolled a few milliseconds apart, as a player's hands would.
std::vector<Note> Chord(double beat, std::initializer_list<int> keys, double beats, double velocity);

} // namespace kelani::sound
