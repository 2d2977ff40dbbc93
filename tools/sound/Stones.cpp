#include "tools/sound/Stones.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelani::sound {

// The falling stone itself: small and hard, its modes high and short-lived. A bigger stone
// rings lower; how long it rings depends on what it lies against (Surface::stoneDamping).
const std::vector<Mode> kStone{
    {2900, 0.032, 0.45}, {4300, 0.022, 0.38}, {6100, 0.015, 0.28}, {8200, 0.010, 0.18}};

Surface EmptyPit() {
    return {{// the board's plate modes
             {190, 0.070, 0.45},
             {410, 0.055, 0.60},
             {690, 0.045, 0.50},
             {1080, 0.035, 0.42},
             {1560, 0.028, 0.32},
             {2240, 0.022, 0.24},
             // air in the bowl
             {265, 0.110, 0.30}},
            0.00020,
            0.25,
            0.5,
            0.65};
}

Surface HeadPit() {
    return {{{150, 0.090, 0.45},
             {340, 0.070, 0.60},
             {590, 0.055, 0.50},
             {930, 0.042, 0.40},
             {1380, 0.032, 0.30},
             {2050, 0.024, 0.22},
             {175, 0.150, 0.35}},
            0.00022,
            0.25,
            0.5,
            0.65};
}

Surface OnStones() {
    return {{// the stone that is hit
             {3550, 0.026, 0.38},
             {5250, 0.018, 0.28},
             // the wood and air below, muffled by the pile
             {410, 0.030, 0.14},
             {1080, 0.020, 0.12},
             {300, 0.050, 0.08}},
            0.00010,
            0.35,
            1.0,
            1.0};
}

Surface InHand() {
    return {{// the stone that is hit, held in the same hand, and the palm's soft thump
             {3300, 0.010, 0.25},
             {180, 0.016, 0.25},
             {420, 0.011, 0.18}},
            0.00025,
            0.20,
            0.9,
            0.4};
}

namespace {

// Contact pulse plus noise burst. The pulse's area (the momentum handed over) is `strength`
// however long the contact lasts, so a soft contact only loses the high modes.
std::vector<double> Excitation(double strength, double contactSeconds, double noise, int rate, Rng& rng,
                               std::vector<double>& burst) {
    const size_t pulse = std::max<size_t>(2, static_cast<size_t>(contactSeconds * rate));
    const size_t burstFrames = static_cast<size_t>(0.006 * rate);
    std::vector<double> excitation(std::max(pulse, burstFrames), 0.0);
    const double height = strength * std::numbers::pi / (2.0 * pulse);
    for (size_t i = 0; i < pulse; ++i)
        excitation[i] = height * std::sin(std::numbers::pi * (i + 0.5) / pulse);
    burst.assign(burstFrames, 0.0);
    double previous = 0.0;
    for (size_t i = 0; i < burstFrames; ++i) {
        const double white = rng.Range(-1.0, 1.0) * std::exp(-static_cast<double>(i) / (0.0012 * rate));
        burst[i] = noise * strength * (white - previous); // differenced: a crisp, high tick
        previous = white;
        excitation[i] += 0.3 * burst[i];
    }
    return excitation;
}

// This stone's modes (its size scales them all alike) and the surface's (fixed in pitch, but
// where the stone lands changes how strongly each one is struck).
std::vector<Mode> ImpactModes(const Surface& surface, Rng& rng) {
    std::vector<Mode> modes;
    const double size = rng.Range(0.88, 1.14);
    for (const Mode& m : kStone)
        modes.push_back({rng.Vary(m.freq / size, 0.03), rng.Vary(m.decay * surface.stoneDamping, 0.15),
                         rng.Vary(m.gain * surface.stoneLevel, 0.2)});
    for (const Mode& m : surface.modes)
        modes.push_back({rng.Vary(m.freq, 0.02), rng.Vary(m.decay, 0.15), rng.Vary(m.gain, 0.35)});
    return modes;
}

size_t FrameAt(const Signal& signal, double time) {
    return static_cast<size_t>(std::max(0.0, time) * signal.rate);
}

} // namespace

void AddImpact(Signal& signal, double time, double strength, double pan, const Surface& surface, Rng& rng) {
    const double contact = rng.Vary(surface.contactSeconds, 0.25) * (1.3 - 0.3 * strength);
    std::vector<double> burst;
    const std::vector<double> excitation =
        Excitation(strength, contact, surface.noise, signal.rate, rng, burst);
    const std::vector<Mode> modes = ImpactModes(surface, rng);
    double longest = 0.0;
    for (const Mode& m : modes) longest = std::max(longest, m.decay);
    std::vector<double> sound =
        RingModes(excitation, modes, signal.rate, static_cast<size_t>(longest * signal.rate));
    for (size_t i = 0; i < burst.size() && i < sound.size(); ++i) sound[i] += burst[i];
    Place(signal, FrameAt(signal, time), sound, Pan(pan));
}

void AddDrop(Signal& signal, double time, double strength, double pan, const Surface& surface, int bounces,
             Rng& rng) {
    const double restitution = rng.Range(0.35, 0.5);
    double gap = rng.Range(0.045, 0.07) * std::sqrt(strength);
    for (int k = 0; k <= bounces; ++k) {
        AddImpact(signal, time, strength, pan, surface, rng);
        time += gap;
        gap *= restitution;
        strength *= rng.Range(0.45, 0.65);
        pan += rng.Range(-0.05, 0.05);
    }
}

void AddCascade(Signal& signal, double start, double length, int stones, const Surface& first,
                const Surface& later, Rng& rng) {
    std::vector<double> times;
    for (int i = 0; i < stones; ++i) times.push_back(start + length * std::pow(rng.Uniform(), 1.8));
    std::sort(times.begin(), times.end());
    for (size_t i = 0; i < times.size(); ++i) {
        const double late = (times[i] - start) / length;
        const double strength = rng.Range(0.35, 1.0) * (1.0 - 0.5 * late);
        const int bounces = rng.Uniform() < 0.4 ? 1 : 0;
        AddDrop(signal, times[i], strength, rng.Range(-0.35, 0.35), i < 3 ? first : later, bounces, rng);
    }
}

void AddRattle(Signal& signal, double start, double length, int clicks, const Surface& surface, Rng& rng) {
    for (int i = 0; i < clicks; ++i)
        AddImpact(signal, start + rng.Range(0.0, length), rng.Range(0.25, 0.8), rng.Range(-0.25, 0.25),
                  surface, rng);
}

void AddRoll(Signal& signal, double start, double strength, double pan, const Surface& surface, Rng& rng) {
    double gap = rng.Range(0.028, 0.036);
    for (int tick = 0; tick < 8; ++tick) {
        AddImpact(signal, start, strength, pan, surface, rng);
        start += gap;
        gap *= rng.Range(0.8, 0.9);
        strength *= 0.78;
    }
}

void AddScrape(Signal& signal, double start, double length, double strength, Rng& rng) {
    const auto frames = static_cast<size_t>(length * signal.rate);
    std::vector<double> noise(frames);
    for (size_t i = 0; i < frames; ++i)
        noise[i] = strength * 0.05 * rng.Range(-1.0, 1.0) * std::sin(std::numbers::pi * i / frames);
    // Broad, quickly damped bands: wood grain under a fingertip, no pitch.
    const std::vector<Mode> bands{{800, 0.006, 1.0}, {1750, 0.005, 0.7}, {3200, 0.004, 0.4}};
    Place(signal, FrameAt(signal, start), RingModes(noise, bands, signal.rate, frames), Pan(0.0));
}

} // namespace kelani::sound
