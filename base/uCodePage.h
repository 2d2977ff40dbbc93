#pragma once
// Texts in the game's files are single-byte Windows-1252 strings; the core keeps them as bytes
// and converts only where they meet UTF-8 (JSON output, the window boundary, the web server).
#include <string>
#include <string_view>

namespace kelani {

// Every byte maps to a code point; the five bytes Windows-1252 leaves undefined map to U+0081 etc.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters Windows-1252 cannot hold become '?'. Malformed UTF-8 sequences become '?' too.
std::string Utf8ToCp1252(std::string_view utf8);

// One code point appended as UTF-8 (1 to 4 bytes).
void AppendUtf8(std::string& out, char32_t cp);

// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or -1 when Windows-1252 has none.
int UnicodeToCp1252(char32_t cp);

} // namespace kelani
