#pragma once
// The requests kelanitool sends the play service, one flat JSON object per WebSocket text frame;
// the service's answers are read with JsonObject.
#include "records/uFlatJson.h"

#include <string>

namespace kelani::tool {

// The settings of a game to create, as the service takes them.
struct TOnlineGameOptions {
    int variant = 4;
    int stones = 4;
    int head = 1;
    std::string clock = "none"; // none, move or game
    int seconds = 0;
};

// Who sits at a seat, as the highscore tables name him.
struct TOnlinePlayer {
    std::string name = "kelanitool";
    std::string email;
    std::string country;
};

std::string CreateRequest(const TOnlineGameOptions& options, const TOnlinePlayer& player);
// `key` names this seat's joining: asked again with it, a join whose answer was lost answers again.
std::string JoinRequest(const std::string& code, const TOnlinePlayer& player, const std::string& key);
// A new join key, 128 random bits in hex.
std::string NewJoinKey();
std::string ResumeRequest(const std::string& game, const std::string& token, int last);
std::string MoveRequest(int n, int place);

} // namespace kelani::tool
