#pragma once
// Building blocks of the synthesised recordings: a stereo sample buffer, a reproducible random
// source, damped resonant modes, a small room reverb and the final level treatment.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelani::sound {

// Stereo samples at one rate, nominally within [-1, 1]; a mono recording is the mix of both sides.
struct Signal {
    Signal(int sampleRate, double seconds);

    int rate;
    std::vector<float> left;
    std::vector<float> right;

    size_t Frames() const { return left.size(); }
    // Adds one frame; frames beyond the end are dropped, so events may ring past the recording.
    void Add(size_t frame, double l, double r);
};

// splitmix64: every build renders the same recordings, whatever the standard library.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    double Uniform(); // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // value scaled by a random factor within 1 +- spread: no two stones are quite alike.
    double Vary(double value, double spread) { return value * Range(1.0 - spread, 1.0 + spread); }

private:
    uint64_t state_;
};

// One resonance of a vibrating body: frequency in Hz, time in seconds to fall by 60 dB, and the
// amplitude it rings with after a unit impulse.
struct Mode {
    double freq;
    double decay;
    double gain;
};

// The response of `modes` (two-pole resonators in parallel) to `excitation`, `frames` long.
// Modes at or above 45% of the sample rate are left out: they would alias.
std::vector<double> RingModes(const std::vector<double>& excitation, const std::vector<Mode>& modes, int rate,
                              size_t frames);

// Constant-power stereo gains for pan in [-1 (left), 1 (right)].
struct PanGains {
    double left;
    double right;
};
PanGains Pan(double pan);

// Adds `mono` from `frame` on with the given gains.
void Place(Signal& target, size_t frame, const std::vector<double>& mono, PanGains gains);

// A small Schroeder room (parallel combs, then all-passes) mixed in with `mix`; `size` scales the
// delay lines (1 = a living room, less = a wooden box). Each side gets its own delays.
void AddRoom(Signal& signal, double mix, double size);

// A raised-cosine fade to silence over the last `seconds`, so a recording never ends in a click.
void FadeOut(Signal& signal, double seconds);

// Both sides become their average: what a mono recording will hold, so it can be levelled first.
void MixToMono(Signal& signal);

// Scales the signal so its largest absolute sample is `peak` (below full scale: no clipping).
void Normalise(Signal& signal, double peak);

} // namespace kelani::sound
