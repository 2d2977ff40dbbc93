#include "tools/sound/Synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kelani::sound {

Signal::Signal(int sampleRate, double seconds)
    : rate(sampleRate), left(static_cast<size_t>(std::lround(seconds * sampleRate))), right(left.size()) {}

void Signal::Add(size_t frame, double l, double r) {
    if (frame >= left.size()) return;
    left[frame] += static_cast<float>(l);
    right[frame] += static_cast<float>(r);
}

double Rng::Uniform() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

namespace {

// h[n] = gain * r^n * sin((n + 1) w): the impulse response of one resonator.
void RingMode(const std::vector<double>& excitation, const Mode& mode, int rate, std::vector<double>& out) {
    const double w = 2.0 * std::numbers::pi * mode.freq / rate;
    const double r = std::pow(10.0, -3.0 / (mode.decay * rate));
    const double a1 = 2.0 * r * std::cos(w);
    const double a2 = r * r;
    const double b = mode.gain * std::sin(w);
    double y1 = 0.0;
    double y2 = 0.0;
    for (size_t n = 0; n < out.size(); ++n) {
        const double x = n < excitation.size() ? excitation[n] : 0.0;
        const double y = a1 * y1 - a2 * y2 + b * x;
        out[n] += y;
        y2 = y1;
        y1 = y;
    }
}

// Feedback comb with a one-pole low-pass in the loop: high frequencies die first, as in a room.
class Comb {
public:
    Comb(size_t delay, double feedback) : line_(delay, 0.0), feedback_(feedback) {}
    double Process(double x) {
        const double out = line_[pos_];
        damped_ = 0.7 * out + 0.3 * damped_;
        line_[pos_] = x + feedback_ * damped_;
        pos_ = (pos_ + 1) % line_.size();
        return out;
    }

private:
    std::vector<double> line_;
    double feedback_;
    double damped_ = 0.0;
    size_t pos_ = 0;
};

class AllPass {
public:
    explicit AllPass(size_t delay) : line_(delay, 0.0) {}
    double Process(double x) {
        const double delayed = line_[pos_];
        const double out = delayed - 0.5 * x;
        line_[pos_] = x + 0.5 * delayed;
        pos_ = (pos_ + 1) % line_.size();
        return out;
    }

private:
    std::vector<double> line_;
    size_t pos_ = 0;
};

void AddRoomToSide(std::vector<float>& side, int rate, double mix, double size, double spread) {
    // Mutually prime delays in milliseconds, so the echoes do not pile up on one beat.
    constexpr std::array<double, 4> combMs{29.7, 37.1, 41.1, 43.7};
    constexpr std::array<double, 2> allPassMs{5.0, 1.7};
    auto samples = [&](double ms) {
        return std::max<size_t>(1, static_cast<size_t>(ms * spread * size * rate / 1000.0));
    };
    std::vector<Comb> combs;
    for (double ms : combMs) combs.emplace_back(samples(ms), 0.72);
    std::vector<AllPass> allPasses;
    for (double ms : allPassMs) allPasses.emplace_back(samples(ms));
    for (float& sample : side) {
        double wet = 0.0;
        for (Comb& comb : combs) wet += comb.Process(sample);
        for (AllPass& allPass : allPasses) wet = allPass.Process(wet);
        sample = static_cast<float>(sample + mix * wet / combs.size());
    }
}

} // namespace

std::vector<double> RingModes(const std::vector<double>& excitation, const std::vector<Mode>& modes, int rate,
                              size_t frames) {
    std::vector<double> out(frames, 0.0);
    for (const Mode& mode : modes) {
        if (mode.freq < 0.45 * rate) RingMode(excitation, mode, rate, out);
    }
    return out;
}

PanGains Pan(double pan) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * std::numbers::pi / 4.0;
    return {std::cos(angle), std::sin(angle)};
}

void Place(Signal& target, size_t frame, const std::vector<double>& mono, PanGains gains) {
    for (size_t i = 0; i < mono.size(); ++i)
        target.Add(frame + i, mono[i] * gains.left, mono[i] * gains.right);
}

void AddRoom(Signal& signal, double mix, double size) {
    AddRoomToSide(signal.left, signal.rate, mix, size, 1.0);
    AddRoomToSide(signal.right, signal.rate, mix, size, 1.07);
}

void FadeOut(Signal& signal, double seconds) {
    const size_t frames = std::min(signal.Frames(), static_cast<size_t>(seconds * signal.rate));
    const size_t start = signal.Frames() - frames;
    for (size_t i = 0; i < frames; ++i) {
        const double gain = 0.5 + 0.5 * std::cos(std::numbers::pi * (i + 1) / frames);
        signal.left[start + i] *= static_cast<float>(gain);
        signal.right[start + i] *= static_cast<float>(gain);
    }
}

void MixToMono(Signal& signal) {
    for (size_t i = 0; i < signal.Frames(); ++i) {
        const float mid = 0.5f * (signal.left[i] + signal.right[i]);
        signal.left[i] = mid;
        signal.right[i] = mid;
    }
}

void Normalise(Signal& signal, double peak) {
    float largest = 0.0f;
    for (size_t i = 0; i < signal.Frames(); ++i)
        largest = std::max({largest, std::abs(signal.left[i]), std::abs(signal.right[i])});
    if (largest == 0.0f) return;
    const auto scale = static_cast<float>(peak / largest);
    for (float& s : signal.left) s *= scale;
    for (float& s : signal.right) s *= scale;
}

} // namespace kelani::sound
