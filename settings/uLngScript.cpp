#include "settings/uLngScript.h"

#include "settings/uIniFile.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kelani {
namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

struct TIdent {
    const char* Name;
    int Value;
};

constexpr int SystemColor(int index) {
    return static_cast<int>(0xFF000000u | static_cast<uint32_t>(index));
}

// The toolkit's names for cursors, colours and character sets, with the toolkit's values.
constexpr std::array kIdents = {
    TIdent{"crDefault", 0},
    TIdent{"crNone", -1},
    TIdent{"crArrow", -2},
    TIdent{"crCross", -3},
    TIdent{"crIBeam", -4},
    TIdent{"crSize", -22},
    TIdent{"crSizeNESW", -6},
    TIdent{"crSizeNS", -7},
    TIdent{"crSizeNWSE", -8},
    TIdent{"crSizeWE", -9},
    TIdent{"crUpArrow", -10},
    TIdent{"crHourGlass", -11},
    TIdent{"crDrag", -12},
    TIdent{"crNoDrop", -13},
    TIdent{"crHSplit", -14},
    TIdent{"crVSplit", -15},
    TIdent{"crMultiDrag", -16},
    TIdent{"crSQLWait", -17},
    TIdent{"crNo", -18},
    TIdent{"crAppStart", -19},
    TIdent{"crHelp", -20},
    TIdent{"crHandPoint", -21},
    TIdent{"crSizeAll", -22},
    TIdent{"clBlack", 0x000000},
    TIdent{"clMaroon", 0x000080},
    TIdent{"clGreen", 0x008000},
    TIdent{"clOlive", 0x008080},
    TIdent{"clNavy", 0x800000},
    TIdent{"clPurple", 0x800080},
    TIdent{"clTeal", 0x808000},
    TIdent{"clGray", 0x808080},
    TIdent{"clSilver", 0xC0C0C0},
    TIdent{"clRed", 0x0000FF},
    TIdent{"clLime", 0x00FF00},
    TIdent{"clYellow", 0x00FFFF},
    TIdent{"clBlue", 0xFF0000},
    TIdent{"clFuchsia", 0xFF00FF},
    TIdent{"clAqua", 0xFFFF00},
    TIdent{"clWhite", 0xFFFFFF},
    TIdent{"clMoneyGreen", 0xC0DCC0},
    TIdent{"clSkyBlue", 0xF0CAA6},
    TIdent{"clCream", 0xF0FBFF},
    TIdent{"clMedGray", 0xA4A0A0},
    TIdent{"clNone", 0x1FFFFFFF},
    TIdent{"clDefault", 0x20000000},
    TIdent{"clScrollBar", SystemColor(0)},
    TIdent{"clBackground", SystemColor(1)},
    TIdent{"clActiveCaption", SystemColor(2)},
    TIdent{"clInactiveCaption", SystemColor(3)},
    TIdent{"clMenu", SystemColor(4)},
    TIdent{"clWindow", SystemColor(5)},
    TIdent{"clWindowFrame", SystemColor(6)},
    TIdent{"clMenuText", SystemColor(7)},
    TIdent{"clWindowText", SystemColor(8)},
    TIdent{"clCaptionText", SystemColor(9)},
    TIdent{"clActiveBorder", SystemColor(10)},
    TIdent{"clInactiveBorder", SystemColor(11)},
    TIdent{"clAppWorkSpace", SystemColor(12)},
    TIdent{"clHighlight", SystemColor(13)},
    TIdent{"clHighlightText", SystemColor(14)},
    TIdent{"clBtnFace", SystemColor(15)},
    TIdent{"clBtnShadow", SystemColor(16)},
    TIdent{"clGrayText", SystemColor(17)},
    TIdent{"clBtnText", SystemColor(18)},
    TIdent{"clInactiveCaptionText", SystemColor(19)},
    TIdent{"clBtnHighlight", SystemColor(20)},
    TIdent{"cl3DDkShadow", SystemColor(21)},
    TIdent{"cl3DLight", SystemColor(22)},
    TIdent{"clInfoText", SystemColor(23)},
    TIdent{"clInfoBk", SystemColor(24)},
    TIdent{"ANSI_CHARSET", 0},
    TIdent{"DEFAULT_CHARSET", 1},
    TIdent{"SYMBOL_CHARSET", 2},
    TIdent{"MAC_CHARSET", 77},
    TIdent{"SHIFTJIS_CHARSET", 128},
    TIdent{"HANGEUL_CHARSET", 129},
    TIdent{"JOHAB_CHARSET", 130},
    TIdent{"GB2312_CHARSET", 134},
    TIdent{"CHINESEBIG5_CHARSET", 136},
    TIdent{"GREEK_CHARSET", 161},
    TIdent{"TURKISH_CHARSET", 162},
    TIdent{"VIETNAMESE_CHARSET", 163},
    TIdent{"HEBREW_CHARSET", 177},
    TIdent{"ARABIC_CHARSET", 178},
    TIdent{"BALTIC_CHARSET", 186},
    TIdent{"RUSSIAN_CHARSET", 204},
    TIdent{"THAI_CHARSET", 222},
    TIdent{"EASTEUROPE_CHARSET", 238},
    TIdent{"OEM_CHARSET", 255},
};

bool IdentToInt(std::string_view name, int& value) {
    const std::string lower = LowerAscii(name);
    const auto it = std::find_if(kIdents.begin(), kIdents.end(),
                                 [&](const TIdent& ident) { return LowerAscii(ident.Name) == lower; });
    if (it == kIdents.end()) return false;
    value = it->Value;
    return true;
}

std::string ReplaceLineBreaks(std::string value) {
    for (size_t at = value.find("\\n"); at != std::string::npos; at = value.find("\\n", at + 2))
        value.replace(at, 2, "\r\n");
    return value;
}

} // namespace

std::string_view TrimScript(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

TStrings SplitScriptLines(std::string_view text) {
    TStrings lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

bool ParseScriptEntry(std::string_view line, TScriptEntry& entry) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    entry.Key = TrimScript(line.substr(0, eq));
    std::string_view value = TrimScript(line.substr(eq + 1));
    if (value.size() > 1 && value.front() == '\'' && value.back() == '\'')
        value = value.substr(1, value.size() - 2);
    entry.Value = ReplaceLineBreaks(std::string(value));
    return true;
}

TStrings ExtractScriptSection(const TStrings& script, std::string_view language) {
    const std::string wanted = LowerAscii(language);
    std::string section;
    TStrings lines;
    for (const auto& raw : script) {
        const std::string_view line = TrimScript(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            section = LowerAscii(line.substr(1, line.find(']') - 1));
            continue;
        }
        if (section == wanted) lines.emplace_back(line);
    }
    return lines;
}

std::string ScriptString(const TStrings& lines, std::string_view key) {
    TScriptEntry entry;
    for (const auto& line : lines)
        if (ParseScriptEntry(line, entry) && entry.Key == key) return entry.Value;
    return {};
}

bool ScriptValueToInt(std::string_view value, int& result) {
    if (TryStrToInt(value, result) || IdentToInt(value, result)) return true;
    if (value.empty() || value.front() != '#') return false;
    // "#RRGGBB"-style hexadecimal: up to 32 bits, read as one number.
    return TryStrToInt(std::string(1, '$').append(value.substr(1)), result);
}

} // namespace kelani
