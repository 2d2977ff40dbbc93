// libFuzzer target for the flat JSON reader: any frame is read or refused without failing, and
// what it reads survives the writer and a second reading unchanged.
#include "records/uFlatJson.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelani;
    const std::string_view frame(reinterpret_cast<const char*>(data), size);
    const auto read = JsonObject::Parse(frame);
    // Taking lists changes nothing about the objects without them.
    const auto withLists = JsonObject::Parse(frame, JsonLists::Allowed);
    Check(!read || (withLists && withLists->fields == read->fields));
    if (!read) return 0;
    JsonWriter writer;
    for (const auto& [key, value] : read->fields) {
        if (const auto* text = std::get_if<std::string>(&value)) writer.Add(key, *text);
        if (const auto* number = std::get_if<long long>(&value)) writer.Add(key, *number);
        if (const auto* flag = std::get_if<bool>(&value)) writer.Add(key, *flag);
        if (std::holds_alternative<std::nullptr_t>(value)) writer.Add(key, std::vector<long long>{});
    }
    const auto again = JsonObject::Parse(writer.Text());
    // Nulls come back as empty lists, which the reader refuses: only objects without them return.
    bool hasNull = false;
    for (const auto& field : read->fields)
        hasNull = hasNull || std::holds_alternative<std::nullptr_t>(field.second);
    Check(hasNull ? !again : again && again->fields == read->fields);
    return 0;
}
