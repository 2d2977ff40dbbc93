// kelani-highscore-server: receives the game's worldwide highscore posts and shows the tables.
#include "records/uWorldwide.h"
#include "server/uHighscoreHttp.h"

#include <httplib.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

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
    kelani::server::CheckParameters check{kelani::kCheckModulus, kelani::kCheckBase};
};

[[noreturn]] void Usage(const std::string& problem) {
    std::cerr << "kelani-highscore-server: " << problem << "\n"
              << "usage: kelani-highscore-server [--listen ADDR] [--port N] [--db FILE]\n"
                 "       [--check-modulus M] [--check-base B] [--countries FILE]\n";
    std::exit(2);
}

int Number(const std::string& name, const char* text, int lo, int hi) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < lo || value > hi)
        Usage(name + " must be a number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<int>(value);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) Usage(flag + " needs a value");
        const char* value = argv[++i];
        if (flag == "--listen")
            o.listen = value;
        else if (flag == "--port")
            o.port = Number(flag, value, 0, 65535);
        else if (flag == "--db")
            o.database = value;
        else if (flag == "--countries")
            o.countries = value;
        else if (flag == "--check-modulus")
            o.check.modulus = Number(flag, value, 2, 1 << 30);
        else if (flag == "--check-base")
            o.check.base = Number(flag, value, 0, 1 << 30);
        else
            Usage("unknown option " + flag);
    }
    return o;
}

// The country names come from the game's own new-game script: the one built in, or a newer one.
kelani::server::CountryNames LoadCountries(const std::string& path) {
    if (path.empty()) return kelani::server::CountriesFromScript(kelani::server::BuiltInCountryScript());
    std::ifstream in(path);
    if (!in) Usage("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return kelani::server::CountriesFromScript(text.str());
}

} // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    try {
        kelani::server::HighscoreStore store(options.database);
        kelani::server::ServerConfig config{options.check, LoadCountries(options.countries)};
        httplib::Server http;
        kelani::server::RegisterRoutes(http, store, config);
        gServer = &http;
        std::signal(SIGINT, Stop);
        std::signal(SIGTERM, Stop);
        int port = options.port;
        if (port == 0) {
            port = http.bind_to_any_port(options.listen);
        } else if (!http.bind_to_port(options.listen, port)) {
            port = -1;
        }
        if (port < 0) {
            std::cerr << "kelani-highscore-server: cannot listen on " << options.listen << ":" << options.port
                      << "\n";
            return 1;
        }
        std::cout << "listening on http://" << options.listen << ":" << port << "/" << std::endl;
        http.listen_after_bind();
    } catch (const std::exception& e) {
        std::cerr << "kelani-highscore-server: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
