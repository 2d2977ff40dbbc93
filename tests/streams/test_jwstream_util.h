#pragma once
// Shared helpers of the stream, codec and cipher tests.
#include <cstdint>
#include <random>
#include <vector>

namespace kelani::test {

// Reproducible noise: incompressible data of n bytes.
inline std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

} // namespace kelani::test
