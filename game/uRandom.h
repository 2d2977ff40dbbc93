#pragma once
// The game's one random generator: a 32-bit linear congruential state, reseeded from the UTC
// time of day. The computer's tie-breaks and the lot drawing share it.
#include <cstdint>
#include <functional>

namespace kelani {

// Milliseconds since midnight UTC: ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds.
uint32_t TimeOfDayMs();

class TRandom {
public:
    // Source of the seed; the real one is TimeOfDayMs, tests and tools pass a fixed or simulated one.
    using Clock = std::function<uint32_t()>;

    TRandom();
    explicit TRandom(Clock clock);

    // state := clock().
    void Reseed();
    void SetState(uint32_t state) { state_ = state; }
    uint32_t State() const { return state_; }

    // state := state * 134775813 + 1 (mod 2^32); the result is the upper 32 bits of state * n,
    // a uniform integer 0 <= r < n. Any n <= 0 gives 0 (the state still advances).
    int Random(int n);

    void SetClock(Clock clock);

private:
    Clock clock_;
    uint32_t state_ = 0;
};

// The generator the whole program shares, driven by the real clock.
TRandom& SharedRandom();

} // namespace kelani
