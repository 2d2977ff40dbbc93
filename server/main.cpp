// kelani-highscore-server: receives the game's worldwide highscore posts and shows the tables.
#include "records/uWorldwide.h"
#include "server/uBoundedServer.h"
#include "server/uCommandLine.h"
#include "server/uHighscoreAdmin.h"
#include "server/uHighscoreHttp.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

httplib::Server* gServer = nullptr;

void Stop(int) {
    if (gServer) gServer->stop();
}

struct Options {
    std::string listen = "127.0.0.1";
    int port = 8080;
    std::string database = "highscores.db";
    std::string countries;
    bool behindProxy = false;
    kelani::server::ServerLimits limits;
    kelani::server::CheckParameters check{kelani::kCheckModulus, kelani::kCheckBase};
    std::vector<std::string> admin; // the words after "admin"; empty: serve
};

constexpr const char* kUsage =
    "usage: kelani-highscore-server [OPTIONS]            serve the worldwide highscore\n"
    "       kelani-highscore-server [--db DB] admin ...  look after its entries\n"
    "options:\n"
    "  --listen ADDR          address to listen on (127.0.0.1)\n"
    "  --port N               port, 0 for any free one (8080)\n"
    "  --db DB                SQLite file (highscores.db) or postgresql://user@host/dbname\n"
    "  --workers N            requests served at once (8)\n"
    "  --backlog N            connections waiting to be accepted (128)\n"
    "  --connections N        connections open at once; more are turned away (1000)\n"
    "  --request-timeout MS   time a client has to send one whole request (10000)\n"
    "  --behind-proxy         take the player's address from X-Real-IP of a loopback proxy\n"
    "  --countries FILE       country names from this new-game script instead of the built-in one\n"
    "  --check-modulus M, --check-base B   the check value's parameters (the game's by default)\n"
    "  --help, --version\n"
    "admin commands:\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::cerr << "kelani-highscore-server: " << problem << "\n" << kUsage << kelani::server::kAdminUsage;
    std::exit(2);
}

int Number(const std::string& name, const char* text, int lo, int hi) {
    return kelani::server::NumberOption(name, text, lo, hi, Usage);
}

// Options without a value; true when `flag` was one of them.
bool Switch(const std::string& flag, Options& o) {
    if (flag == "--help") {
        std::cout << kUsage << kelani::server::kAdminUsage;
        std::exit(0);
    }
    if (flag == "--version") {
        std::cout << "kelani-highscore-server " << KELANI_VERSION << "\n";
        std::exit(0);
    }
    if (flag == "--behind-proxy") o.behindProxy = true;
    return flag == "--behind-proxy";
}

void Value(const std::string& flag, const char* value, Options& o) {
    if (flag == "--listen")
        o.listen = value;
    else if (flag == "--port")
        o.port = Number(flag, value, 0, 65535);
    else if (flag == "--db")
        o.database = value;
    else if (flag == "--countries")
        o.countries = value;
    else if (flag == "--workers")
        o.limits.workers = Number(flag, value, 1, 1024);
    else if (flag == "--backlog")
        o.limits.backlog = Number(flag, value, 1, 65535);
    else if (flag == "--connections")
        o.limits.connections = Number(flag, value, 1, 100000);
    else if (flag == "--request-timeout")
        o.limits.requestTime = std::chrono::milliseconds(Number(flag, value, 100, 600000));
    else if (flag == "--check-modulus")
        o.check.modulus = Number(flag, value, 2, 1 << 30);
    else if (flag == "--check-base")
        o.check.base = Number(flag, value, 0, 1 << 30);
    else
        Usage("unknown option " + flag);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "admin") {
            o.admin.assign(argv + i + 1, argv + argc);
            if (o.admin.empty()) Usage("admin needs list, delete, ban, unban or bans");
            break;
        }
        if (Switch(flag, o)) continue;
        if (i + 1 >= argc) Usage(flag + " needs a value");
        Value(flag, argv[++i], o);
    }
    return o;
}

// The game's own new-game script, which names the countries: the one built in, or a newer one.
std::string CountryScript(const std::string& path) {
    if (path.empty()) return kelani::server::BuiltInCountryScript();
    std::ifstream in(path);
    if (!in) Usage("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int Serve(const Options& options, kelani::server::HighscoreStore& store) {
    const std::string script = CountryScript(options.countries);
    kelani::server::ServerConfig config{options.check, kelani::server::CountriesFromScript(script, "english"),
                                        kelani::server::CountriesFromScript(script, "german"),
                                        options.behindProxy};
    kelani::server::BoundedServer http(options.limits);
    kelani::server::RegisterRoutes(http, store, config);
    const int port = http.Bind(options.listen, options.port);
    if (port < 0) {
        std::cerr << "kelani-highscore-server: cannot listen on " << options.listen << ":" << options.port
                  << " (is another server running there?)\n";
        return 1;
    }
    gServer = &http;
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    std::cout << "listening on http://" << options.listen << ":" << port << "/" << std::endl;
    http.listen_after_bind();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    try {
        kelani::server::HighscoreStore store(options.database);
        if (!options.admin.empty())
            return kelani::server::RunAdmin(store, options.admin, std::cout, std::cerr);
        return Serve(options, store);
    } catch (const std::exception& e) {
        std::cerr << "kelani-highscore-server: " << e.what() << "\n";
        return 1;
    }
}
