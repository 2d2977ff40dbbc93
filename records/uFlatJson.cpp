#include "records/uFlatJson.h"

#include "base/uCodePage.h"

#include <charconv>

namespace kelani {
namespace {

class Reader {
public:
    Reader(std::string_view text, JsonLists lists) : text_(text), lists_(lists) {}

    std::optional<JsonObject> Object() {
        JsonObject object;
        Blank();
        if (!Take('{')) return std::nullopt;
        Blank();
        if (Take('}')) return End(object);
        do {
            Blank();
            auto key = String();
            Blank();
            if (!key || !Take(':')) return std::nullopt;
            Blank();
            // A repeated key could mean one thing to us and another to a proxy's log: refused.
            if (!key || object.fields.count(*key) || !Value(object.fields[*key])) return std::nullopt;
            Blank();
        } while (Take(','));
        if (!Take('}')) return std::nullopt;
        return End(object);
    }

private:
    std::optional<JsonObject> End(JsonObject& object) {
        Blank();
        if (at_ != text_.size()) return std::nullopt;
        return std::move(object);
    }
    bool Take(char c) {
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool Word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }
    void Blank() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Value(JsonValue& value) {
        if (lists_ == JsonLists::Allowed && Take('[')) return List(value);
        return Scalar(value);
    }
    bool List(JsonValue& value) {
        std::vector<JsonScalar> items;
        Blank();
        if (!Take(']')) {
            do {
                Blank();
                if (!Scalar(items.emplace_back())) return false;
                Blank();
            } while (Take(','));
            if (!Take(']')) return false;
        }
        value = std::move(items);
        return true;
    }
    template <class Into> bool Scalar(Into& value) {
        if (Word("null")) {
            value = nullptr;
        } else if (Word("true")) {
            value = true;
        } else if (Word("false")) {
            value = false;
        } else if (at_ < text_.size() && text_[at_] == '"') {
            auto text = String();
            if (!text) return false;
            value = std::move(*text);
        } else {
            long long number = 0;
            if (!Integer(number)) return false;
            value = number;
        }
        return true;
    }
    // Whole numbers only: no message has a fraction, and one that big is out of every range.
    bool Integer(long long& number) {
        const size_t start = at_;
        Take('-');
        const size_t digits = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
        if (at_ == digits || (at_ - digits > 1 && text_[digits] == '0')) return false;
        const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + at_, number);
        return error == std::errc() && end == text_.data() + at_;
    }
    std::optional<unsigned> Hex4() {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            if (at_ >= text_.size()) return std::nullopt;
            const char c = text_[at_];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return value;
    }
    // \uXXXX, a surrogate pair joined; a lone surrogate is refused.
    bool Escaped(std::string& out) {
        auto code = Hex4();
        if (!code || (*code >= 0xDC00 && *code < 0xE000)) return false;
        if (*code >= 0xD800 && *code < 0xDC00) {
            if (!Word("\\u")) return false;
            auto low = Hex4();
            if (!low || *low < 0xDC00 || *low >= 0xE000) return false;
            code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
        }
        AppendUtf8(out, *code);
        return true;
    }
    // One UTF-8 character starting at at_ (not ASCII): appended when well formed.
    bool Utf8(std::string& out) {
        const auto lead = static_cast<unsigned char>(text_[at_]);
        const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (length == 0 || at_ + length > text_.size()) return false;
        unsigned code = lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto c = static_cast<unsigned char>(text_[at_ + i]);
            if ((c & 0xC0) != 0x80) return false;
            code = (code << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are no characters.
        static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return false;
        out.append(text_.substr(at_, length));
        at_ += length;
        return true;
    }
    std::optional<std::string> String() {
        if (!Take('"')) return std::nullopt;
        std::string out;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (static_cast<unsigned char>(c) >= 0x80) {
                if (!Utf8(out)) return std::nullopt;
                continue;
            }
            ++at_;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return std::nullopt;
            const char e = text_[at_++];
            static const std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
            if (const size_t i = kFrom.find(e); i != std::string_view::npos)
                out += kTo[i];
            else if (e != 'u' || !Escaped(out))
                return std::nullopt;
        }
        return std::nullopt;
    }

    std::string_view text_;
    JsonLists lists_;
    size_t at_ = 0;
};

} // namespace

std::optional<JsonObject> JsonObject::Parse(std::string_view text, JsonLists lists) {
    return Reader(text, lists).Object();
}

std::optional<std::string> JsonObject::Text(const std::string& key) const {
    const auto it = fields.find(key);
    if (it == fields.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
    return std::get<std::string>(it->second);
}

std::optional<long long> JsonObject::Number(const std::string& key) const {
    const auto it = fields.find(key);
    if (it == fields.end() || !std::holds_alternative<long long>(it->second)) return std::nullopt;
    return std::get<long long>(it->second);
}

std::vector<long long> JsonObject::Numbers(const std::string& key) const {
    std::vector<long long> numbers;
    const auto it = fields.find(key);
    if (it == fields.end() || !std::holds_alternative<std::vector<JsonScalar>>(it->second)) return numbers;
    for (const auto& item : std::get<std::vector<JsonScalar>>(it->second))
        if (const auto* number = std::get_if<long long>(&item)) numbers.push_back(*number);
    return numbers;
}

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 15];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

JsonWriter& JsonWriter::Raw(const std::string& key, const std::string& json) {
    if (text_.size() > 1) text_ += ',';
    text_ += JsonQuote(key) + ":" + json;
    return *this;
}

JsonWriter& JsonWriter::Add(const std::string& key, const std::string& text) {
    return Raw(key, JsonQuote(text));
}

JsonWriter& JsonWriter::Add(const std::string& key, long long number) {
    return Raw(key, std::to_string(number));
}

JsonWriter& JsonWriter::Add(const std::string& key, bool flag) {
    return Raw(key, flag ? "true" : "false");
}

JsonWriter& JsonWriter::Add(const std::string& key, const std::vector<long long>& numbers) {
    std::string json = "[";
    for (const long long n : numbers) json += (json.size() > 1 ? "," : "") + std::to_string(n);
    return Raw(key, json + "]");
}

JsonWriter& JsonWriter::Add(const std::string& key, const std::vector<std::string>& texts) {
    std::string json = "[";
    for (const auto& t : texts) json += (json.size() > 1 ? "," : "") + JsonQuote(t);
    return Raw(key, json + "]");
}

} // namespace kelani
