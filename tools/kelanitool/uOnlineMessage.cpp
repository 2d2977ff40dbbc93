#include "tools/kelanitool/uOnlineMessage.h"

#include "base/uCodePage.h"
#include "tools/kelanitool/KelaniTool.h"

#include <charconv>

namespace kelani::tool {

// A small recursive-descent reader for the flat objects the service sends.
class TMessageReader {
public:
    explicit TMessageReader(std::string_view text) : text_(text) {}

    std::optional<TOnlineMessage> Object() {
        TOnlineMessage message;
        if (!Take('{')) return std::nullopt;
        if (Take('}')) return End(message);
        do {
            std::string name;
            if (!String(name) || !Take(':')) return std::nullopt;
            TOnlineMessage::Value value;
            if (!FieldValue(value)) return std::nullopt;
            message.fields_[name] = std::move(value);
        } while (Take(','));
        if (!Take('}')) return std::nullopt;
        return End(message);
    }

private:
    std::optional<TOnlineMessage> End(TOnlineMessage& message) {
        SkipSpace();
        if (at_ != text_.size()) return std::nullopt;
        return std::move(message);
    }

    void SkipSpace() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Take(char c) {
        SkipSpace();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

    bool FieldValue(TOnlineMessage::Value& value) {
        SkipSpace();
        if (Take('[')) {
            if (Take(']')) return true;
            do {
                std::string item;
                if (!Scalar(item)) return false;
                value.items.push_back(std::move(item));
            } while (Take(','));
            return Take(']');
        }
        value.isString = at_ < text_.size() && text_[at_] == '"';
        return Scalar(value.text);
    }

    // A string (decoded) or a bare token: number, true, false, null.
    bool Scalar(std::string& out) {
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == '"') return String(out);
        const size_t from = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                      text_[at_] == '-' || text_[at_] == '+' || text_[at_] == '.'))
            ++at_;
        out = std::string(text_.substr(from, at_ - from));
        return at_ > from;
    }

    bool String(std::string& out) {
        if (!Take('"')) return false;
        for (; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++at_ >= text_.size()) return false;
            if (!Escape(out)) return false;
        }
        return false;
    }

    bool Escape(std::string& out) {
        switch (text_[at_]) {
        case 'n':
            out += '\n';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'u':
            return Unicode(out);
        default:
            out += text_[at_];
            return true;
        }
    }

    // \uXXXX (and a surrogate pair) as UTF-8.
    bool Unicode(std::string& out) {
        unsigned code = 0;
        if (!Hex4(code)) return false;
        if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_ + 1, 2) == "\\u") {
            at_ += 2;
            unsigned low = 0;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, code);
        return true;
    }

    // The four hex digits after "\u"; `at_` ends on the last of them.
    bool Hex4(unsigned& code) {
        if (at_ + 4 >= text_.size()) return false;
        const auto [end, ec] = std::from_chars(text_.data() + at_ + 1, text_.data() + at_ + 5, code, 16);
        if (ec != std::errc() || end != text_.data() + at_ + 5) return false;
        at_ += 4;
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
};

namespace {

std::optional<long long> WholeNumber(const std::string& token) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || end != token.data() + token.size() || token.empty()) return std::nullopt;
    return value;
}

std::string PlayerFields(const TOnlinePlayer& player) {
    return ",\"name\":" + JsonString(player.name) + ",\"email\":" + JsonString(player.email) +
           ",\"country\":" + JsonString(player.country) + "}";
}

} // namespace

std::optional<TOnlineMessage> TOnlineMessage::Parse(std::string_view text) {
    return TMessageReader(text).Object();
}

std::string TOnlineMessage::Text(const std::string& name) const {
    const auto it = fields_.find(name);
    return it != fields_.end() && it->second.isString ? it->second.text : "";
}

long long TOnlineMessage::Number(const std::string& name, long long fallback) const {
    const auto it = fields_.find(name);
    if (it == fields_.end() || it->second.isString) return fallback;
    return WholeNumber(it->second.text).value_or(fallback);
}

std::vector<long long> TOnlineMessage::Numbers(const std::string& name) const {
    std::vector<long long> out;
    const auto it = fields_.find(name);
    if (it == fields_.end()) return out;
    for (const std::string& item : it->second.items)
        if (const auto value = WholeNumber(item)) out.push_back(*value);
    return out;
}

std::string CreateRequest(const TOnlineGameOptions& options, const TOnlinePlayer& player) {
    return "{\"type\":\"create\",\"variant\":" + std::to_string(options.variant) +
           ",\"stones\":" + std::to_string(options.stones) + ",\"head\":" + std::to_string(options.head) +
           ",\"clock\":" + JsonString(options.clock) + ",\"seconds\":" + std::to_string(options.seconds) +
           PlayerFields(player);
}

std::string JoinRequest(const std::string& code, const TOnlinePlayer& player) {
    return "{\"type\":\"join\",\"code\":" + JsonString(code) + PlayerFields(player);
}

std::string ResumeRequest(const std::string& game, const std::string& token, int last) {
    return "{\"type\":\"resume\",\"game\":" + JsonString(game) + ",\"token\":" + JsonString(token) +
           ",\"last\":" + std::to_string(last) + "}";
}

std::string MoveRequest(int n, int place) {
    return "{\"type\":\"move\",\"n\":" + std::to_string(n) + ",\"place\":" + std::to_string(place) + "}";
}

} // namespace kelani::tool
