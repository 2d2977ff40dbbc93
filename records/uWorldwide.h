#pragma once
// Where the worldwide highscore lives and the check parameters it shares with its server.
// Players (and tests) point the game at a server with the keys "server" and "viewurl" of the
// section "worldwide" in settings.ini: "https://host[:port]" posts over TLS and verifies the
// server's certificate; a plain "host[:port]" (or "http://...") posts unencrypted.

namespace kelani {

// No worldwide server runs for the game yet: out of the box none is configured, and the game says
// how to set one rather than posting to an address that leads nowhere. Without "viewurl" the
// server's own first page shows the tables.
inline constexpr const char* kWorldwideServer = "";
inline constexpr const char* kWorldwideViewURL = "";
inline constexpr const char* kWorldwideAction = "/software/highscore.add.php4";
inline constexpr int kCheckModulus = 65521; // five digits, shared with the server
inline constexpr int kCheckBase = 733;      // three digits, shared with the server

} // namespace kelani

namespace kelani {

// The maker's address and mark, printed in the footers of the printouts.
inline constexpr const char* kMakerWebAddress = "www.kelani.example";
inline constexpr const char* kMakerMark = "Kelani-Team";

} // namespace kelani
