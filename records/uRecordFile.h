#pragma once
// The saved-game and highscore files both keep their one record stream inside a compressed,
// enciphered stream container; these two helpers pack and unpack that container.
#include "streams/JwStream.h"

#include <string>

namespace kelani {

// The image of a compressed container enciphered with key, holding data under name.
TMemoryStream PackRecordStream(const std::string& key, const std::string& name, TStream& data);

// Loads a container enciphered with key from image and returns its stream name, rewound (empty
// when the container has no such stream). Damage raises ECorruptFile, and so does a container
// that would unpack to more than one stream of maxSize bytes.
TMemoryStream UnpackRecordStream(const std::string& key, const std::string& name, TStream& image,
                                 std::int64_t maxSize = kLh5MaxSize);

} // namespace kelani
