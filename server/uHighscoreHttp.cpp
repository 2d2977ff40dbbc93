#include "server/uHighscoreHttp.h"

#include "server/uAddress.h"

#include <httplib.h>

#include <optional>

namespace kelani::server {
namespace {

void Answer(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain; charset=utf-8");
}

// The player's address: the peer's, or behind our proxy the one it names in a single "X-Real-IP",
// as its canonical text. Nothing when the proxy's header is not one address.
std::optional<std::string> ClientAddress(const httplib::Request& req, const ServerConfig& config) {
    if (!config.behindProxy || !IsLoopback(req.remote_addr) || !req.has_header("X-Real-IP"))
        return req.remote_addr;
    if (req.get_header_value_count("X-Real-IP") != 1) return std::nullopt;
    return CanonicalAddress(req.get_header_value("X-Real-IP"));
}

void HandlePost(const httplib::Request& req, const std::string& body, httplib::Response& res,
                HighscoreStore& store, const ServerConfig& config) {
    const auto address = ClientAddress(req, config);
    if (!address) return Answer(res, 400, "X-Real-IP is not one address");
    auto parsed = ParseSubmission(body, config.check);
    if (const auto* refusal = std::get_if<Refusal>(&parsed))
        return Answer(res, refusal->status, refusal->reason);
    switch (store.Add(std::get<Submission>(parsed), *address)) {
    case AddOutcome::Stored:
        return Answer(res, 200, "stored");
    case AddOutcome::Known:
        return Answer(res, 200, "known");
    case AddOutcome::Outranked:
        return Answer(res, 200,
                      "not kept: better entries of the same name, e-mail address or network fill its places");
    case AddOutcome::Banned:
        return Answer(res, 403, "banned");
    }
}

// Reads the body through a content reader: cpp-httplib refuses ordinary form bodies over 8 KiB,
// and the game's longest names need far more. False when the form is larger than any the game
// sends. The body is always read (or skipped) whole: bytes left unread would be taken for the
// next request on the connection.
bool ReadForm(const httplib::ContentReader& reader, std::string& body) {
    const bool whole = reader([&body](const char* data, size_t length) {
        body.append(data, length);
        return body.size() <= kMaxBody;
    });
    return whole && body.size() <= kMaxBody;
}

void HandleJson(const httplib::Request& req, httplib::Response& res, const HighscoreStore& store,
                const ServerConfig& config) {
    const std::string variant = req.get_param_value("variant");
    if (!variant.empty() && variant != "4" && variant != "5" && variant != "6")
        return Answer(res, 400, "variant must be 4, 5 or 6");
    res.set_content(RenderJson(store, config.countries, variant.empty() ? 0 : variant[0] - '0'),
                    "application/json");
}

} // namespace

void RegisterRoutes(httplib::Server& http, HighscoreStore& store, const ServerConfig& config) {
    http.Post("/software/highscore.add.php4",
              [&store, &config](const httplib::Request& req, httplib::Response& res,
                                const httplib::ContentReader& reader) {
                  std::string body;
                  if (ReadForm(reader, body))
                      HandlePost(req, body, res, store, config);
                  else
                      Answer(res, 413, "form too large");
              });
    http.Get("/", [&store, &config](const httplib::Request& req, httplib::Response& res) {
        const PageLanguage language = PreferredLanguage(req.get_header_value("Accept-Language"));
        const bool german = language == PageLanguage::German;
        res.set_content(RenderPage(store, german ? config.germanCountries : config.countries, language),
                        "text/html; charset=utf-8");
        res.set_header("Content-Language", german ? "de" : "en");
        res.set_header("Vary", "Accept-Language");
    });
    http.Get("/api/highscores", [&store, &config](const httplib::Request& req, httplib::Response& res) {
        HandleJson(req, res, store, config);
    });
    http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
        res.status = 500;
        try {
            std::rethrow_exception(ep);
        } catch (const std::exception& e) {
            res.set_content(std::string("server error: ") + e.what() + "\n", "text/plain");
        } catch (...) {
            res.set_content("server error\n", "text/plain");
        }
    });
    http.set_payload_max_length(kMaxBody);
    http.set_tcp_nodelay(true); // small answers: no waiting on delayed acknowledgements
}

} // namespace kelani::server
