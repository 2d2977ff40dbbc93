// kelani-play-server: holds online games between two players (protocol in docs/online.md).
#include "server/uCommandLine.h"
#include "server/uPlayNotify.h"
#include "server/uPlayService.h"

#include <boost/asio/signal_set.hpp>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <string>

namespace {

struct Options {
    std::string listen = "127.0.0.1";
    int port = 8090;
    std::string database = "highscores.db";
    kelani::server::PlayOptions play;
};

constexpr const char* kUsage =
    "usage: kelani-play-server [OPTIONS]   hold online games between two players\n"
    "options:\n"
    "  --listen ADDR          address to listen on (127.0.0.1)\n"
    "  --port N               port, 0 for any free one (8090)\n"
    "  --db DB                the highscore server's SQLite file (highscores.db) or\n"
    "                         postgresql://user@host/dbname, shared by several instances\n"
    "  --connections N        connections open at once; more are turned away (1000)\n"
    "  --behind-proxy         take the player's address from X-Real-IP of a loopback proxy\n"
    "  --ping-ms MS           ping every MS milliseconds (20000)\n"
    "  --idle-ms MS           close a connection silent this long (60000)\n"
    "  --hello-ms MS          time to send create, join or resume (10000)\n"
    "  --help, --version\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::cerr << "kelani-play-server: " << problem << "\n" << kUsage;
    std::exit(2);
}

int Number(const std::string& name, const char* text, int lo, int hi) {
    return kelani::server::NumberOption(name, text, lo, hi, Usage);
}

using Setter = std::function<void(Options&, const std::string& flag, const char* value)>;

// The options with a value, each with what it sets.
const std::map<std::string, Setter>& Setters() {
    using std::chrono::milliseconds;
    static const std::map<std::string, Setter> setters{
        {"--listen", [](Options& o, const std::string&, const char* v) { o.listen = v; }},
        {"--port", [](Options& o, const std::string& f, const char* v) { o.port = Number(f, v, 0, 65535); }},
        {"--db", [](Options& o, const std::string&, const char* v) { o.database = v; }},
        {"--connections", [](Options& o, const std::string& f,
                             const char* v) { o.play.connections = Number(f, v, 1, 100000); }},
        {"--ping-ms", [](Options& o, const std::string& f,
                         const char* v) { o.play.ping = milliseconds(Number(f, v, 10, 600000)); }},
        {"--idle-ms", [](Options& o, const std::string& f,
                         const char* v) { o.play.idle = milliseconds(Number(f, v, 10, 600000)); }},
        {"--hello-ms", [](Options& o, const std::string& f,
                          const char* v) { o.play.hello = milliseconds(Number(f, v, 10, 600000)); }},
    };
    return setters;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "--version") {
            std::cout << (flag == "--help" ? kUsage : "kelani-play-server " KELANI_VERSION "\n");
            std::exit(0);
        }
        if (flag == "--behind-proxy") {
            o.play.behindProxy = true;
            continue;
        }
        const auto setter = Setters().find(flag);
        if (setter == Setters().end()) Usage("unknown option " + flag);
        if (i + 1 >= argc) Usage(flag + " needs a value");
        setter->second(o, flag, argv[++i]);
    }
    return o;
}

int Serve(const Options& options) {
    using namespace kelani::server;
    // Left to the process's end: every change is committed when made, and the connections'
    // handlers in the loop refer to the service, so neither is taken apart before exit.
    auto* highscore = new HighscoreStore(options.database);
    auto* store = new PlayStore(options.database, *highscore);
    store->RecordResults();
    auto* io = new boost::asio::io_context(1);
    auto* service = new PlayService(*io, *store, options.play);
    const int port = service->Bind(options.listen, options.port);
    if (port < 0) {
        std::cerr << "kelani-play-server: cannot listen on " << options.listen << ":" << options.port
                  << " (is another server running there?)\n";
        return 1;
    }
    if (options.database.rfind("postgres", 0) == 0)
        new PlayNotify(
            *io, options.database,
            [service, store](const std::string& note) {
                if (const auto game = store->Foreign(note)) service->Relay(*game);
            },
            [service] { service->RelayAll(); });
    boost::asio::signal_set signals(*io, SIGINT, SIGTERM);
    signals.async_wait([io](boost::system::error_code, int) { io->stop(); });
    std::signal(SIGPIPE, SIG_IGN);
    service->Start();
    std::cout << "listening on ws://" << options.listen << ":" << port << "/play" << std::endl;
    io->run();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    try {
        return Serve(options);
    } catch (const std::exception& e) {
        std::cerr << "kelani-play-server: " << e.what() << "\n";
        return 1;
    }
}
