// libFuzzer target for the -lh5- decoder, fed as the containers feed it: the first four bytes are
// the announced length, whatever it is, the rest the bit stream. Round trips the encoder as well.
// Seeds: tests/fuzz/seeds (bomb.lh5 is tests/data/damaged/bomb.gfx without its two marker bytes).
#include "view/JwStream.h"
#include "view/uLh5.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    try {
        const auto out = kelani::Lh5Unpack(input);
        if (static_cast<std::int64_t>(out.size()) > kelani::kLh5MaxSize) std::abort();
    } catch (const kelani::ECorruptFile&) {
    }
    // Whatever the input, our own encoding of it must come back unchanged.
    const auto packed = kelani::Lh5Encode(input);
    const auto back = kelani::Lh5Decode(packed, static_cast<std::int64_t>(size));
    if (!std::equal(back.begin(), back.end(), input.begin(), input.end())) std::abort();
    return 0;
}
