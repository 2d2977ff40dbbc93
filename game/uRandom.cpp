#include "game/uRandom.h"

#include <chrono>

namespace kelani {

uint32_t TimeOfDayMs() {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    return static_cast<uint32_t>(sinceEpoch.count() % (24LL * 60 * 60 * 1000));
}

TRandom::TRandom() : clock_(TimeOfDayMs) {}

TRandom::TRandom(Clock clock) : clock_(std::move(clock)) {}

void TRandom::SetClock(Clock clock) {
    clock_ = std::move(clock);
}

void TRandom::Reseed() {
    state_ = clock_ ? clock_() : TimeOfDayMs();
}

int TRandom::Random(int n) {
    state_ = state_ * 134775813u + 1u;
    if (n <= 0) return 0;
    return static_cast<int>((static_cast<uint64_t>(state_) * static_cast<uint32_t>(n)) >> 32);
}

TRandom& SharedRandom() {
    static TRandom random;
    return random;
}

} // namespace kelani
