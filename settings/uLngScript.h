#pragma once
// The language-script format every window's texts are written in, without any window: one section
// per language ("[german]", "[english]"), comments after ";", and lines "key=value".
//   - lines are trimmed of blanks and control characters; empty lines are skipped;
//   - section names compare without letter case; lines before the first header form the section "";
//   - a value longer than one character that begins and ends with an apostrophe loses these two
//     (so '' is the empty text and a lone ' stays), inner apostrophes stay as they are;
//   - then every backslash-n in the value becomes a line break (CR LF); there are no other escapes;
//   - a line without "=" is no entry.
// Texts are Windows-1252 bytes.
#include <string>
#include <string_view>
#include <vector>

namespace kelani {

using TStrings = std::vector<std::string>;

struct TScriptEntry {
    std::string Key;
    std::string Value;
};

// Blanks and control characters (bytes up to 0x20) removed at both ends.
std::string_view TrimScript(std::string_view text);

// Splits a text at CR LF, CR or LF.
TStrings SplitScriptLines(std::string_view text);

// Key and value of an entry line; false when the line holds no "=".
bool ParseScriptEntry(std::string_view line, TScriptEntry& entry);

// The trimmed entry lines of one section (headers, comments and empty lines left out).
TStrings ExtractScriptSection(const TStrings& script, std::string_view language);

// The value of the first entry whose key equals `key` exactly (letter case counts); "" if none.
std::string ScriptString(const TStrings& lines, std::string_view key);

// A script value as an integer property: a number as TryStrToInt reads it, the name of one of the
// toolkit's cursors, colours or character sets ("crHandPoint", "clWhite", "DEFAULT_CHARSET",
// compared without letter case), or "#" followed by hexadecimal digits. False when none fits.
// Colours are the toolkit's 0x00BBGGRR values; system colours have the top byte 0xFF.
bool ScriptValueToInt(std::string_view value, int& result);

} // namespace kelani
