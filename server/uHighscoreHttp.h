#pragma once
// The HTTP face of the worldwide highscore: the form the game posts, the page the browser shows
// and the same tables as JSON.
#include "server/uHighscoreService.h"

namespace httplib {
class Server;
}

namespace kelani::server {

struct ServerConfig {
    CheckParameters check;
    CountryNames countries;       // English names: the English page and the JSON
    CountryNames germanCountries; // the German page
    // Behind our nginx front every connection comes from the proxy: the player's address is then
    // taken from its "X-Real-IP" header (only from a loopback peer).
    bool behindProxy = false;
};

// Registers POST /software/highscore.add.php4, GET / and GET /api/highscores[?variant=N].
// The store and the config must outlive the server.
void RegisterRoutes(httplib::Server& http, HighscoreStore& store, const ServerConfig& config);

} // namespace kelani::server
