#include "server/uHighscoreHttp.h"

#include <httplib.h>

namespace kelani::server {
namespace {

void Refuse(httplib::Response& res, const std::string& reason) {
    res.status = 400;
    res.set_content(reason + "\n", "text/plain; charset=utf-8");
}

void HandlePost(const httplib::Request& req, httplib::Response& res, HighscoreStore& store,
                const ServerConfig& config) {
    auto parsed = ParseSubmission(req.body, config.check);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) return Refuse(res, refusal->reason);
    const bool added = store.Add(std::get<Submission>(parsed));
    res.set_content(added ? "stored\n" : "known\n", "text/plain; charset=utf-8");
}

void HandleJson(const httplib::Request& req, httplib::Response& res, const HighscoreStore& store,
                const ServerConfig& config) {
    const std::string variant = req.get_param_value("variant");
    if (variant != "4" && variant != "5" && variant != "6") return Refuse(res, "variant must be 4, 5 or 6");
    res.set_content(RenderJson(store, config.countries, variant[0] - '0'), "application/json");
}

} // namespace

void RegisterRoutes(httplib::Server& http, HighscoreStore& store, const ServerConfig& config) {
    http.Post("/software/highscore.add.php4",
              [&store, &config](const httplib::Request& req, httplib::Response& res) {
                  HandlePost(req, res, store, config);
              });
    http.Get("/", [&store, &config](const httplib::Request&, httplib::Response& res) {
        res.set_content(RenderPage(store, config.countries), "text/html; charset=utf-8");
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
    http.set_payload_max_length(64 * 1024);
    http.set_tcp_nodelay(true); // small answers: no waiting on delayed acknowledgements
}

} // namespace kelani::server
