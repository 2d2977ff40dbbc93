#pragma once
// Flat JSON objects, the play service's messages: one object per frame whose values are strings,
// whole numbers, true/false/null and, where the reader allows them, lists of those. The reader
// refuses anything else whole; the writer builds one object in the order of its calls.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelani {

using JsonScalar = std::variant<std::nullptr_t, bool, long long, std::string>;
using JsonValue = std::variant<std::nullptr_t, bool, long long, std::string, std::vector<JsonScalar>>;

// Whether a reader takes lists as values; the server takes none from its clients.
enum class JsonLists { Refused, Allowed };

class JsonObject {
public:
    // The object `text` holds, nothing when it is not exactly one flat object of valid UTF-8
    // with each key once.
    static std::optional<JsonObject> Parse(std::string_view text, JsonLists lists = JsonLists::Refused);

    // A field's value, nothing when it is missing or of another type.
    std::optional<std::string> Text(const std::string& key) const;
    std::optional<long long> Number(const std::string& key) const;
    // The whole numbers of a list field, empty when it is missing or no list.
    std::vector<long long> Numbers(const std::string& key) const;

    std::map<std::string, JsonValue> fields;
};

// Builds one object in the order of the calls.
class JsonWriter {
public:
    JsonWriter& Add(const std::string& key, const std::string& text);
    JsonWriter& Add(const std::string& key, const char* text) { return Add(key, std::string(text)); }
    JsonWriter& Add(const std::string& key, long long number);
    JsonWriter& Add(const std::string& key, int number) { return Add(key, static_cast<long long>(number)); }
    JsonWriter& Add(const std::string& key, bool flag);
    JsonWriter& Add(const std::string& key, const std::vector<long long>& numbers);
    JsonWriter& Add(const std::string& key, const std::vector<std::string>& texts);
    std::string Text() const { return text_ + "}"; }

private:
    JsonWriter& Raw(const std::string& key, const std::string& json);
    std::string text_ = "{";
};

// `text` as a JSON string literal, quotes included; control characters escaped.
std::string JsonQuote(const std::string& text);

} // namespace kelani
