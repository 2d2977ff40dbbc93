#include "settings/uIniFile.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>

namespace kelani {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hexadecimal as the toolkit reads it: up to 32 bits, wrapping into the sign ("$FFFFFFFF" is -1).
bool ParseHex(std::string_view digits, uint32_t& value) {
    if (digits.empty() || digits.size() > 8) return false;
    value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return true;
}

bool ParseDecimal(std::string_view digits, int64_t& value) {
    if (digits.empty() || digits.size() > 10) return false;
    value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// The section header's name, or false when the line is no header.
bool SectionName(std::string_view line, std::string_view& name) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    name = TrimBlanks(line.substr(0, line.find(']')));
    return true;
}

// The key of an entry line, or false when the line has no "=".
bool EntryKey(std::string_view line, std::string_view& key) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = TrimBlanks(line.substr(0, eq));
    return true;
}

// Index of the header line of `section`, or lines.size().
size_t FindSection(const std::vector<std::string>& lines, std::string_view section) {
    std::string_view name;
    for (size_t i = 0; i < lines.size(); ++i)
        if (SectionName(lines[i], name) && SameName(name, section)) return i;
    return lines.size();
}

// One past the last line belonging to the section that starts at `header`.
size_t SectionEnd(const std::vector<std::string>& lines, size_t header) {
    std::string_view name;
    size_t end = header + 1;
    while (end < lines.size() && !SectionName(lines[end], name)) ++end;
    return end;
}

// Index of the key's line inside [header + 1, end), or end.
size_t FindKey(const std::vector<std::string>& lines, size_t header, size_t end, std::string_view key) {
    std::string_view found;
    for (size_t i = header + 1; i < end; ++i)
        if (EntryKey(lines[i], found) && SameName(found, key)) return i;
    return end;
}

// A written value must stay on its line, or it would add keys and sections of its own.
std::string OneLine(std::string_view value) {
    std::string line(value);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

void CheckName(std::string_view name) {
    if (name.empty() || name.find_first_of("=[]\r\n") != std::string_view::npos)
        throw std::invalid_argument("invalid profile name: " + std::string(name));
}

} // namespace

bool TryStrToInt(std::string_view text, int& value) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t result = 0;
    if (!text.empty() && text.front() == '$') {
        uint32_t hex = 0;
        if (!ParseHex(text.substr(1), hex)) return false;
        result = static_cast<int32_t>(hex);
    } else if (text.size() > 1 && text[0] == '0' && LowerAscii(text[1]) == 'x') {
        uint32_t hex = 0;
        if (!ParseHex(text.substr(2), hex)) return false;
        result = static_cast<int32_t>(hex);
    } else if (!ParseDecimal(text, result)) {
        return false;
    }
    if (negative) result = -result;
    if (result < INT32_MIN || result > INT32_MAX) return false;
    value = static_cast<int>(result);
    return true;
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::vector<std::string> TIniFile::ReadLines() const {
    std::ifstream in(fileName_, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

// Lines end in CR LF, as profile files always have.
void TIniFile::WriteLines(const std::vector<std::string>& lines) const {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    try {
        SaveFileAtomically(fileName_, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    } catch (const EFileSaveError& failed) {
        throw EIniFileException(failed);
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const auto lines = ReadLines();
    const size_t header = FindSection(lines, section);
    if (header == lines.size()) return std::string(def);
    const size_t end = SectionEnd(lines, header);
    const size_t at = FindKey(lines, header, end, key);
    if (at == end) return std::string(def);
    const std::string_view line = lines[at];
    return std::string(TrimBlanks(line.substr(line.find('=') + 1)));
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    int value = 0;
    return TryStrToInt(ReadString(section, key, ""), value) ? value : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const {
    const auto lines = ReadLines();
    return FindSection(lines, section) != lines.size();
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    CheckName(section);
    CheckName(key);
    auto lines = ReadLines();
    const std::string entry = std::string(key) + "=" + OneLine(value);
    const size_t header = FindSection(lines, section);
    if (header == lines.size()) {
        lines.push_back(std::string(1, '[').append(section).append("]"));
        lines.push_back(entry);
    } else {
        const size_t end = SectionEnd(lines, header);
        size_t at = FindKey(lines, header, end, key);
        if (at != end) {
            std::string_view stored;
            EntryKey(lines[at], stored);
            lines[at] = std::string(stored) + "=" + OneLine(value);
        } else {
            // After the section's last non-empty line, so blank separator lines stay in place.
            while (at > header + 1 && TrimBlanks(lines[at - 1]).empty()) --at;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
        }
    }
    WriteLines(lines);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace kelani
