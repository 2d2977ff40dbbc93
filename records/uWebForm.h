#pragma once
// The form of one worldwide highscore submission and the post that carries it. The core builds
// the fields; the Qt layer (WebPost) sends them.
#include <string>
#include <utility>
#include <vector>

namespace kelani {

struct TWebPostItem {
    std::string Name;
    std::string Value;
};
using TWebPostItems = std::vector<TWebPostItem>;

// A form post: the fields in order, sent to Server ("host[:port]", "http://..." or
// "https://...") at path Action.
class TCustomWebPost {
public:
    virtual ~TCustomWebPost() = default;
    std::string Server;
    std::string Action;
    TWebPostItems Items;
    // True when the request was sent and its response read; false after reporting the error.
    virtual bool Post() = 0;
    // After a failed Post: true when the server answered and refused this one form (HTTP 4xx),
    // false when it could not be reached or failed itself.
    bool Refused = false;

    // Every form the server refused since the caller last cleared the list: its HTTP status and
    // the reason it gave. A send of many entries reports them together at its end.
    struct TRefusal {
        int Status = 0;
        std::string Reason;
    };
    std::vector<TRefusal> Refusals;
    // The server's answer to every form it took since the caller last cleared the list.
    std::vector<std::string> Answers;
};

// The request body: "name=value" pairs joined by "&", blanks in values as "+", names as they are.
std::string FormBody(const TWebPostItems& items);

// The eleven fields of one table entry: the entry's display texts in template order (entity-
// encoded), "hs_name" and "hs_index", then "check" over the lower-cased joined values; finally
// every value URL-encoded.
TWebPostItems HighscoreFormItems(const std::vector<std::pair<std::string, std::string>>& displayTexts,
                                 const std::string& gameName, const std::string& gameIndex, int checkModulus,
                                 int checkBase);

} // namespace kelani
