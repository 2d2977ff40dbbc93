#include "tools/sound/Marimba.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelani::sound {
namespace {

double KeyFrequency(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

struct Partial {
    double ratio;
    double level;
    double decayShare; // of the fundamental's decay time
};

// Once the mallet is lifted off a held note the player damps the bar: it dies within 0.15 s.
double Damping(double t, double holdSeconds) {
    return t < holdSeconds ? 1.0 : std::exp(-(t - holdSeconds) / 0.05);
}

} // namespace

void AddMarimba(Signal& signal, double time, int key, double velocity, double brightness, double holdSeconds,
                Rng& rng) {
    const double f = KeyFrequency(key);
    const double decay = std::clamp(1.8 * std::pow(261.6 / f, 0.6), 0.5, 3.5); // 60 dB, in seconds
    const double hard = brightness * (0.5 + 0.5 * velocity);
    const Partial partials[] = {{1.0, 1.0, 1.0}, {3.93, 0.3 * hard, 0.28}, {9.38, 0.1 * hard, 0.12}};
    const double length = std::min(decay, holdSeconds + 0.35);
    const auto frames = static_cast<size_t>(length * signal.rate);
    const auto first = static_cast<size_t>(time * signal.rate);
    const double attack = 0.0015 * signal.rate;
    // The bar's own slight detuning between its two halves gives the tone a slow shimmer.
    const double beating = rng.Range(0.6, 1.4);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / signal.rate;
        double sample = 0.0;
        for (const Partial& p : partials) {
            const double pf = f * p.ratio;
            if (pf >= 0.45 * signal.rate) continue;
            const double envelope = std::pow(10.0, -3.0 * t / (decay * p.decayShare));
            sample += p.level * envelope * std::sin(2.0 * std::numbers::pi * pf * t);
        }
        sample *= 1.0 + 0.08 * std::sin(2.0 * std::numbers::pi * beating * t);
        const double rise = std::min(1.0, i / attack);
        const double mallet =
            i < attack * 3 ? 0.04 * hard * rng.Range(-1.0, 1.0) * (1.0 - i / (attack * 3)) : 0.0;
        const double value = velocity * (rise * sample * Damping(t, holdSeconds) + mallet);
        signal.Add(first + i, value, value);
    }
}

void Play(Signal& signal, const std::vector<Part>& parts, double beatSeconds, double offset, Rng& rng) {
    for (const Part& part : parts) {
        for (const Note& note : part.notes) {
            AddMarimba(signal, offset + note.beat * beatSeconds, note.key, note.velocity * part.gain,
                       part.brightness, note.beats * beatSeconds, rng);
        }
    }
}

std::vector<Note> Chord(double beat, std::initializer_list<int> keys, double beats, double velocity) {
    std::vector<Note> notes;
    double roll = 0.0;
    for (int key : keys) {
        notes.push_back({beat + roll, key, beats, velocity});
        roll += 0.03;
    }
    return notes;
}

} // namespace kelani::sound
