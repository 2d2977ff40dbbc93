#pragma once
// The secrets of an online game: invite codes a player reads out to a friend, seat tokens that
// prove a seat, game ids. All come from the system's cryptographic generator.
#include <optional>
#include <string>

namespace kelani::server {

// 50 random bits as ten characters of Crockford's base 32, shown "XXXXX-XXXXX".
std::string NewInviteCode();
// A code as typed: case, dashes and blanks do not matter, and O/I/L read as 0/1/1 as Crockford's
// alphabet says. The ten characters without the dash, nothing when it cannot be a code.
std::optional<std::string> NormalInviteCode(const std::string& typed);
// "7KQ2MXW4HT" → "7KQ2M-XW4HT".
std::string ShownInviteCode(const std::string& normal);

// 128 random bits as 32 hex digits.
std::string NewToken();
// 64 random bits as 16 hex digits: a game's id, which proves nothing.
std::string NewGameId();
// What is stored of a token: its SHA-256 in hex.
std::string TokenHash(const std::string& token);

} // namespace kelani::server
