// libFuzzer target: any byte string handed to TJwStreams::LoadFromStream either loads or raises the
// designed errors; the first input byte picks the key (none, the saved-game key, a one-byte key).
#include "streams/JwStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const keys[] = {"", "Rv3mQ8wTz5JpLdHsYbNcE", "k"};
    kelani::TJwStreams container;
    container.SetKey(keys[data[0] % 3]);
    kelani::TMemoryStream image(std::span<const std::uint8_t>(data + 1, size - 1));
    try {
        container.LoadFromStream(image);
        for (int i = 0; i < container.Count(); ++i) {
            kelani::TMemoryStream out;
            container.GetStream(container.Names(i), out);
        }
        kelani::TMemoryStream again;
        container.SaveToStream(again);
    } catch (const kelani::ECorruptFile&) {
    }
    return 0;
}
