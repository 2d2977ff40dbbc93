#include "records/uRecordFile.h"

#include <algorithm>

namespace kelani {
namespace {

TJwStreams RecordContainer(const std::string& key) {
    TJwStreams container;
    container.SetCompressed(true);
    container.SetEncrypted(true);
    container.SetKey(key);
    return container;
}

} // namespace

TMemoryStream PackRecordStream(const std::string& key, const std::string& name, TStream& data) {
    TJwStreams container = RecordContainer(key);
    container.Clear();
    container.AddStream(name, data);
    TMemoryStream image;
    container.SaveToStream(image);
    return image;
}

TMemoryStream UnpackRecordStream(const std::string& key, const std::string& name, TStream& image,
                                 std::int64_t maxSize) {
    TJwStreams container = RecordContainer(key);
    container.SetMaxBodySize(std::min(SingleEntryBodySize(name, maxSize), kLh5MaxSize));
    container.LoadFromStream(image);
    TMemoryStream data;
    container.GetStream(name, data);
    return data;
}

} // namespace kelani
