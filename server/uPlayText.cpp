#include "server/uPlayText.h"

#include "base/uCodePage.h"

namespace kelani::server {

std::string FilterText(const std::string& utf8, size_t maxChars) {
    // Through the game's code page and back: what it cannot hold becomes "?", as in the game's
    // own texts; one byte is then one character.
    const std::string bytes = Utf8ToCp1252(utf8);
    std::string kept;
    for (const unsigned char c : bytes) {
        const bool control =
            c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
        if (!control && c != '<' && c != '>') kept += static_cast<char>(c);
    }
    const size_t first = kept.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    kept = kept.substr(first, kept.find_last_not_of(' ') - first + 1);
    if (kept.size() > maxChars) return {};
    return Cp1252ToUtf8(kept);
}

} // namespace kelani::server
