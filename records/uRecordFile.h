#pragma once
// The saved-game and highscore files keep their record streams inside a compressed, enciphered
// stream container; these helpers pack and unpack that container.
#include "streams/JwStream.h"

#include <string>
#include <vector>

namespace kelani {

// One stream of a record container: its name and its data.
struct TRecordEntry {
    std::string Name;
    TStream* Data;
};

// One stream a reader looks for: its name and the most bytes it may hold.
struct TRecordLimit {
    std::string Name;
    std::int64_t MaxSize;
};

// The image of a compressed container enciphered with key, holding the entries' data.
TMemoryStream PackRecordStreams(const std::string& key, const std::vector<TRecordEntry>& entries);
// The same for one stream `data` under `name`.
TMemoryStream PackRecordStream(const std::string& key, const std::string& name, TStream& data);

// Loads a container enciphered with key from image and returns the streams named by `wanted`, in
// that order, rewound (empty for a stream the container does not hold; any stream not wanted is
// ignored). Damage raises ECorruptFile, and so does a container that would unpack to more than
// the wanted streams at their largest.
std::vector<TMemoryStream> UnpackRecordStreams(const std::string& key,
                                               const std::vector<TRecordLimit>& wanted, TStream& image);
// The same for the one stream `name` of at most maxSize bytes.
TMemoryStream UnpackRecordStream(const std::string& key, const std::string& name, TStream& image,
                                 std::int64_t maxSize = kLh5MaxSize);

} // namespace kelani
