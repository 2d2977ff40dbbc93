// libFuzzer target for the -lh5- decoder: the first four bytes are the announced length (kept
// below 4 MiB so a run stays short), the rest the bit stream. Round trips the encoder as well.
#include "streams/JwStream.h"
#include "streams/uLh5.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::int64_t length = (data[0] | data[1] << 8 | data[2] << 16) & 0x3FFFFF;
    const std::span<const std::uint8_t> stream(data + 4, size - 4);
    try {
        const auto out = kelani::Lh5Decode(stream, length);
        if (static_cast<std::int64_t>(out.size()) != length) std::abort();
    } catch (const kelani::ECorruptFile&) {
    }
    // Whatever the input, our own encoding of it must come back unchanged.
    const auto packed = kelani::Lh5Encode(stream);
    const auto back = kelani::Lh5Decode(packed, static_cast<std::int64_t>(stream.size()));
    if (!std::equal(back.begin(), back.end(), stream.begin(), stream.end())) std::abort();
    return 0;
}
