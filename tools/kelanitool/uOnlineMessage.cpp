#include "tools/kelanitool/uOnlineMessage.h"

#include <random>

namespace kelani::tool {
namespace {

std::string WithPlayer(JsonWriter& request, const TOnlinePlayer& player) {
    return request.Add("name", player.name).Add("email", player.email).Add("country", player.country).Text();
}

} // namespace

std::string CreateRequest(const TOnlineGameOptions& options, const TOnlinePlayer& player) {
    JsonWriter request;
    request.Add("type", "create")
        .Add("variant", options.variant)
        .Add("stones", options.stones)
        .Add("head", options.head)
        .Add("clock", options.clock)
        .Add("seconds", options.seconds);
    return WithPlayer(request, player);
}

std::string JoinRequest(const std::string& code, const TOnlinePlayer& player, const std::string& key) {
    JsonWriter request;
    request.Add("type", "join").Add("code", code).Add("key", key);
    return WithPlayer(request, player);
}

std::string NewJoinKey() {
    static const char kHex[] = "0123456789abcdef";
    std::random_device random;
    std::string key;
    for (int part = 0; part < 4; ++part)
        for (unsigned bits = random(), i = 0; i < 8; ++i, bits >>= 4) key += kHex[bits & 15];
    return key;
}

std::string ResumeRequest(const std::string& game, const std::string& token, int last) {
    return JsonWriter().Add("type", "resume").Add("game", game).Add("token", token).Add("last", last).Text();
}

std::string MoveRequest(int n, int place) {
    return JsonWriter().Add("type", "move").Add("n", n).Add("place", place).Text();
}

} // namespace kelani::tool
