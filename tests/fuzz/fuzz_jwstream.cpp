// libFuzzer target: any byte string handed to TJwStreams::LoadFromStream either loads or raises the
// designed errors, under each key the game reads containers with (none for the graphics
// containers, the saved-game key, the highscore key), so a stored file is a seed as it is.
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "view/JwStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const char* key : {"", kelani::THistory::ContainerKey, kelani::THighscore::FileKey}) {
        kelani::TJwStreams container;
        container.SetKey(key);
        kelani::TMemoryStream image(std::span<const std::uint8_t>(data, size));
        try {
            container.LoadFromStream(image);
            // A sample of the entries: a container may hold hundreds of thousands.
            for (int i = 0; i < container.Count(); i += 1 + container.Count() / 64) {
                kelani::TMemoryStream out;
                container.GetStream(container.Names(i), out);
            }
            // Saving compresses the whole body again, which the instrumented encoder takes
            // seconds for on the big seeds; small containers show what saving needs to.
            if (container.Count() > 1000) continue;
            kelani::TMemoryStream again;
            container.SaveToStream(again);
        } catch (const kelani::ECorruptFile&) {
        }
    }
    return 0;
}
