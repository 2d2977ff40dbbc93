#pragma once
// Text encoders of the worldwide highscore form post, and their inverses for the server that
// receives it. All texts are Windows-1252 bytes, as the game keeps them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelani {

// Bytes below 160 are copied; 160 becomes "&nbsp;" and 161..255 their HTML 4 Latin-1 entity
// names ("&iexcl;" .. "&yuml;").
std::string TextToHTML(std::string_view text);

// ASCII letters and digits are copied; every other byte becomes "%XX" (upper-case hex).
std::string URLEncode(std::string_view text);

// The inverse of a form field's encoding: "+" is a blank, "%XX" a byte. Returns nothing for a
// malformed escape ("%" not followed by two hex digits).
std::optional<std::string> URLDecode(std::string_view text);

// Replaces the Latin-1 entity names (and "&#NNN;" below 256) by their bytes; anything else,
// unknown entities included, is kept as it stands.
std::string HTMLToText(std::string_view html);

// Lower-cases Windows-1252 text the way the game's locale does: ASCII, Latin-1 capitals and the
// four Windows-1252 capitals (Š, Œ, Ž, Ÿ).
std::string LowerCp1252(std::string_view text);

// The check value that lets the server recognise a genuine submission; between 1 and
// modulus - 1 for a positive modulus.
int32_t CheckValue(std::string_view text, int32_t modulus, int32_t base);

} // namespace kelani
