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

// The body of a container holding every wanted stream at its largest (counting the container's
// head once per stream: a few bytes generous, never short).
std::int64_t LargestBody(const std::vector<TRecordLimit>& wanted) {
    std::int64_t body = 0;
    for (const TRecordLimit& stream : wanted) body += SingleEntryBodySize(stream.Name, stream.MaxSize);
    return std::min(body, kLh5MaxSize);
}

} // namespace

TMemoryStream PackRecordStreams(const std::string& key, const std::vector<TRecordEntry>& entries) {
    TJwStreams container = RecordContainer(key);
    container.Clear();
    for (const TRecordEntry& entry : entries) container.AddStream(entry.Name, *entry.Data);
    TMemoryStream image;
    container.SaveToStream(image);
    return image;
}

TMemoryStream PackRecordStream(const std::string& key, const std::string& name, TStream& data) {
    return PackRecordStreams(key, {{name, &data}});
}

std::vector<TMemoryStream> UnpackRecordStreams(const std::string& key,
                                               const std::vector<TRecordLimit>& wanted, TStream& image) {
    TJwStreams container = RecordContainer(key);
    container.SetMaxBodySize(LargestBody(wanted));
    container.LoadFromStream(image);
    std::vector<TMemoryStream> streams(wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) container.GetStream(wanted[i].Name, streams[i]);
    return streams;
}

TMemoryStream UnpackRecordStream(const std::string& key, const std::string& name, TStream& image,
                                 std::int64_t maxSize) {
    return std::move(UnpackRecordStreams(key, {{name, maxSize}}, image).front());
}

} // namespace kelani
