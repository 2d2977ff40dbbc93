#pragma once
// Texts players send each other (names, chat lines): reduced to what the game can show and no
// browser or log can take for markup or control.
#include <string>

namespace kelani::server {

// `utf8` without control characters and without "<" and ">", characters the game's Windows-1252
// texts cannot hold as "?"; blanks at either end dropped. Empty when nothing is left or
// more than `maxChars` characters are.
std::string FilterText(const std::string& utf8, size_t maxChars);

} // namespace kelani::server
