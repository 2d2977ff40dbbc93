#include "records/uJwHTMLUtils.h"

#include <array>
#include <cstdio>

namespace kelani {
namespace {

// Entity names of the bytes 160..255, in order (HTML 4, ISO 8859-1 block).
constexpr std::array<std::string_view, 96> kEntities = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte an entity body ("ouml", "#246") stands for, or -1.
int EntityByte(std::string_view body) {
    if (body.size() >= 2 && body[0] == '#') {
        int value = 0;
        for (char c : body.substr(1)) {
            if (c < '0' || c > '9' || value > 255) return -1;
            value = value * 10 + (c - '0');
        }
        return value <= 255 ? value : -1;
    }
    for (size_t i = 0; i < kEntities.size(); ++i)
        if (kEntities[i] == body) return static_cast<int>(160 + i);
    return -1;
}

} // namespace

std::string TextToHTML(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 160) {
            out += ch;
        } else {
            out += '&';
            out += kEntities[c - 160];
            out += ';';
        }
    }
    return out;
}

std::string URLEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsAsciiAlnum(c)) {
            out += ch;
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

std::optional<std::string> URLDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int hi = HexDigit(text[i + 1]);
            const int lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string HTMLToText(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] == '&') {
            const size_t semi = html.find(';', i + 1);
            if (semi != std::string_view::npos && semi - i <= 8) {
                const int byte = EntityByte(html.substr(i + 1, semi - i - 1));
                if (byte >= 0) {
                    out += static_cast<char>(byte);
                    i = semi + 1;
                    continue;
                }
            }
        }
        out += html[i++];
    }
    return out;
}

std::string LowerCp1252(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
            ch = static_cast<char>(c + 0x20);
        } else if (c == 0x8A || c == 0x8C || c == 0x8E) { // Š Œ Ž
            ch = static_cast<char>(c + 0x10);
        } else if (c == 0x9F) { // Ÿ
            ch = static_cast<char>(0xFF);
        }
    }
    return out;
}

int32_t CheckValue(std::string_view text, int32_t modulus, int32_t base) {
    int32_t n = 1;
    int32_t i = 0;
    for (char ch : text) {
        const int32_t x = static_cast<unsigned char>(ch) ^ (base - i);
        // The product wraps like the 32-bit multiplication the check was defined with.
        n = static_cast<int32_t>(static_cast<uint32_t>(x) * static_cast<uint32_t>(n));
        n %= modulus;
        if (n <= 0) n = 1;
        ++i;
    }
    return n;
}

} // namespace kelani
