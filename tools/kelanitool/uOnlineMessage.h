#pragma once
// The play service's messages: one flat JSON object per WebSocket text frame. Reading keeps each
// field's value (strings decoded, numbers and lists as they are); writing builds the client's
// requests.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelani::tool {

class TOnlineMessage {
public:
    // The object in `text`, or nothing when it is not one flat JSON object (values: strings,
    // numbers, true/false/null, lists of those).
    static std::optional<TOnlineMessage> Parse(std::string_view text);

    bool Has(const std::string& name) const { return fields_.count(name) != 0; }
    // A string field's text, "" when absent or no string.
    std::string Text(const std::string& name) const;
    // A whole-number field, `fallback` when absent or no whole number.
    long long Number(const std::string& name, long long fallback = -1) const;
    // A list of whole numbers; empty when absent.
    std::vector<long long> Numbers(const std::string& name) const;
    std::string Type() const { return Text("type"); }

private:
    struct Value {
        bool isString = false;
        std::string text;               // decoded string, or the raw token
        std::vector<std::string> items; // a list's raw items
    };
    std::map<std::string, Value> fields_;
    friend class TMessageReader;
};

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
std::string JoinRequest(const std::string& code, const TOnlinePlayer& player);
std::string ResumeRequest(const std::string& game, const std::string& token, int last);
std::string MoveRequest(int n, int place);

} // namespace kelani::tool
