// kelani-play-load: many online games at once on one event loop, every seat a computer client
// (a random legal pit, or the computer's level 1). Measures for every relayed move the time from
// the mover's send to the other seat's receipt, and prints the figures as one JSON line.
//   kelani-play-load --servers ws://127.0.0.1:P/play[,ws://...] [--games N (100)] [--level 0|1 (0)]
//                    [--think-ms D (0)] [--ramp-ms R (2)] [--duration-s S (120)] [--verify]
//                    [--kill-pid PID --kill-at-moves M]
// Seat 1 of game k goes to server k mod count, seat 2 to the next one. --verify reads every
// finished game once more from the server (a resume from its start) and compares the three move
// lists. --kill-pid sends SIGKILL to a process of the caller's once M moves were relayed.
#include "tools/kelanitool/KelaniTool.h"
#include "tools/kelanitool/uOnlineSeat.h"

// (Boost 1.74 uses std::exchange without including <utility>.)
#include <utility>

#include <boost/asio.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <random>
#include <sstream>
#include <sys/resource.h>

namespace asio = boost::asio;
using namespace kelani;
using namespace kelani::tool;
using Clock = std::chrono::steady_clock;

namespace {

struct TLoadOptions {
    std::vector<TOnlineUrl> urls;
    int games = 100;
    int level = 0;
    std::chrono::milliseconds think{0};
    std::chrono::milliseconds ramp{2};
    std::chrono::seconds duration{120};
    bool verify = false;
    int killPid = 0;
    long killAtMoves = 0;
};

struct TFigures {
    std::vector<double> relayMs;
    long moves = 0;
    int connections = 0;
    int openGames = 0;
    int peakGames = 0;
    int finished = 0;
    int errors = 0;
    int mismatches = 0;
    int reconnects = 0;
    int verified = 0;
};

std::vector<TOnlineUrl> Urls(const std::string& list) {
    std::vector<TOnlineUrl> urls;
    std::stringstream in(list);
    for (std::string url; std::getline(in, url, ',');) {
        const TOnlineUrl parsed = ParseOnlineUrl(url);
        // Load goes to this machine only.
        if (parsed.host != "127.0.0.1" && parsed.host != "localhost")
            throw UsageError("--servers: only 127.0.0.1 is loaded, not " + parsed.host);
        urls.push_back(parsed);
    }
    if (urls.empty()) throw UsageError("--servers needs at least one address");
    return urls;
}

TLoadOptions Options(const Args& args) {
    TLoadOptions options;
    const std::string* servers = FindOption(args, "--servers");
    if (!servers) throw UsageError("--servers is required");
    options.urls = Urls(*servers);
    options.games = IntOption(args, "--games", 1, 5000, 100);
    options.level = IntOption(args, "--level", 0, 1, 0);
    options.think = std::chrono::milliseconds(IntOption(args, "--think-ms", 0, 60'000, 0));
    options.ramp = std::chrono::milliseconds(IntOption(args, "--ramp-ms", 0, 10'000, 2));
    options.duration = std::chrono::seconds(IntOption(args, "--duration-s", 1, 3600, 120));
    options.verify = HasFlag(args, "--verify");
    options.killPid = IntOption(args, "--kill-pid", 2, INT_MAX, 0);
    options.killAtMoves = IntOption(args, "--kill-at-moves", 1, INT_MAX, 0);
    if ((options.killPid == 0) != (options.killAtMoves == 0))
        throw UsageError("--kill-pid and --kill-at-moves go together");
    return options;
}

// A random legal pit, or level 1 of the computer.
std::function<int(const TFeld&)> Chooser(int level, std::mt19937& random) {
    if (level == 0)
        return [&random](const TFeld& feld) {
            std::vector<int> legal;
            for (int place = 1; place <= kPlaces; ++place)
                if (feld.IsLegalMove(place)) legal.push_back(place);
            return legal[std::uniform_int_distribution<size_t>(0, legal.size() - 1)(random)];
        };
    auto computer = std::make_shared<TComputerPlayer>(1, kMeisterDefaultMs, TRandom());
    return [computer](const TFeld& feld) { return computer->Place(feld); };
}

// One game: the creator, then the joiner once the code is known, then the reader with --verify.
class TLoadGame {
public:
    TLoadGame(asio::io_context& io, const TLoadOptions& options, int index, TFigures& figures,
              std::mt19937& random, std::function<void()> onMove)
        : io_(io), options_(options), index_(index), figures_(figures), random_(random),
          onMove_(std::move(onMove)) {}

    void Start() {
        TOnlineSeatConfig config = SeatConfig(index_, 1);
        config.create = TOnlineGameOptions{};
        config.onCreated = [this](const TOnlineSummary& summary) { Join(summary.code); };
        seats_[0] = std::make_unique<TOnlineSeat>(io_, std::move(config));
        ++figures_.connections;
        seats_[0]->Start();
    }

    bool Done() const { return done_; }

    // Where an unfinished game stands, for the report of a run that ran out of time.
    std::string Standing() const {
        std::string out = "game " + std::to_string(index_) + " unfinished:";
        for (const auto& seat : seats_)
            if (seat)
                out += " seat " + std::to_string(seat->Summary().seat) + " has " +
                       std::to_string(seat->Summary().moves.size()) + " moves (" +
                       std::to_string(seat->Summary().reconnects) + " reconnects" + Ended(seat->Summary()) +
                       ")";
        return out;
    }

private:
    // A seat that ended while the other still waits (its error is counted once both are done).
    static std::string Ended(const TOnlineSummary& summary) {
        if (summary.outcome == TSeatOutcome::Playing) return "";
        return summary.problem.empty() ? ", finished" : ", ended: " + summary.problem;
    }

    TOnlineSeatConfig SeatConfig(int server, int seat) {
        TOnlineSeatConfig config;
        config.url = options_.urls[static_cast<size_t>(server) % options_.urls.size()];
        config.player.name = "load" + std::to_string(index_);
        config.choose = Chooser(options_.level, random_);
        config.think = options_.think;
        config.onSent = [this](int n) {
            sentAt_.resize(std::max<size_t>(sentAt_.size(), static_cast<size_t>(n) + 1));
            sentAt_[static_cast<size_t>(n)] = Clock::now();
        };
        config.onMove = [this, seat](int n, int mover) { Received(n, seat, mover); };
        config.onDone = [this](const TOnlineSummary& summary) { SeatDone(summary); };
        return config;
    }

    void Join(const std::string& code) {
        TOnlineSeatConfig config = SeatConfig(index_ + 1, 2);
        config.code = code;
        seats_[1] = std::make_unique<TOnlineSeat>(io_, std::move(config));
        ++figures_.connections;
        figures_.peakGames = std::max(figures_.peakGames, ++figures_.openGames);
        seats_[1]->Start();
    }

    // Every move is timed and counted once, at the seat that did not send it.
    void Received(int n, int seat, int mover) {
        if (seat == mover) return;
        ++figures_.moves;
        const auto at = static_cast<size_t>(n);
        if (at < sentAt_.size() && sentAt_[at] != Clock::time_point{})
            figures_.relayMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sentAt_[at]).count());
        onMove_();
    }

    void SeatDone(const TOnlineSummary& done) {
        const bool joined = seats_[1] != nullptr;
        const bool failed = done.outcome != TSeatOutcome::Finished;
        // The other seat would wait for this one's moves until the run's time bound.
        if (failed)
            for (const auto& seat : seats_)
                if (seat) seat->Stop();
        if (++seatsDone_ < 2 && joined && !failed) return;
        const TOnlineSummary& a = seats_[0]->Summary();
        if (!joined) {
            ++figures_.errors;
            std::cerr << "game " << index_ << ": " << a.problem << "\n";
            return Close();
        }
        const TOnlineSummary& b = seats_[1]->Summary();
        figures_.reconnects += a.reconnects + b.reconnects;
        if (a.outcome != TSeatOutcome::Finished || b.outcome != TSeatOutcome::Finished) {
            ++figures_.errors;
            std::cerr << "game " << index_ << ": " << done.problem << "\n";
            return Close();
        }
        if (a.moves != b.moves) ++figures_.mismatches;
        if (!options_.verify) return Close();
        Reread(a);
    }

    // The server's own list of the finished game, read through a resume from its start.
    void Reread(const TOnlineSummary& seat) {
        TOnlineSeatConfig config;
        config.url = options_.urls[static_cast<size_t>(index_) % options_.urls.size()];
        config.reread = std::make_pair(seat.game, seat.token);
        config.onDone = [this](const TOnlineSummary& summary) {
            if (summary.outcome != TSeatOutcome::Finished) {
                ++figures_.errors;
                std::cerr << "game " << index_ << " reread: " << summary.problem << "\n";
            } else if (summary.moves != seats_[0]->Summary().moves) {
                ++figures_.mismatches;
            } else {
                ++figures_.verified;
            }
            Close();
        };
        reader_ = std::make_unique<TOnlineSeat>(io_, std::move(config));
        reader_->Start();
    }

    void Close() {
        if (done_) return;
        done_ = true;
        if (seats_[1]) --figures_.openGames;
        if (seats_[0]->Summary().outcome == TSeatOutcome::Finished && seats_[1] &&
            seats_[1]->Summary().outcome == TSeatOutcome::Finished)
            ++figures_.finished;
    }

    asio::io_context& io_;
    const TLoadOptions& options_;
    int index_;
    TFigures& figures_;
    std::mt19937& random_;
    std::function<void()> onMove_;
    std::unique_ptr<TOnlineSeat> seats_[2];
    std::unique_ptr<TOnlineSeat> reader_;
    std::vector<Clock::time_point> sentAt_;
    int seatsDone_ = 0;
    bool done_ = false;
};

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    const size_t at =
        std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
    return values[at];
}

void PrintFigures(const TLoadOptions& options, const TFigures& figures, double seconds, bool timedOut) {
    const double max =
        figures.relayMs.empty() ? 0 : *std::max_element(figures.relayMs.begin(), figures.relayMs.end());
    char line[512];
    std::snprintf(line, sizeof line,
                  "{\"games\":%d,\"finished\":%d,\"peak_games\":%d,\"connections\":%d,\"moves\":%ld,"
                  "\"relay_ms\":{\"p50\":%.2f,\"p99\":%.2f,\"max\":%.2f},\"reconnects\":%d,\"errors\":%d,"
                  "\"mismatches\":%d,\"verified\":%d,\"timed_out\":%s,\"seconds\":%.1f}",
                  options.games, figures.finished, figures.peakGames, figures.connections, figures.moves,
                  Percentile(figures.relayMs, 0.5), Percentile(figures.relayMs, 0.99), max,
                  figures.reconnects, figures.errors, figures.mismatches, figures.verified,
                  timedOut ? "true" : "false", seconds);
    std::cout << line << std::endl;
}

// Thousands of connections need more descriptors than a shell gives by default.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

int Run(const TLoadOptions& options) {
    RaiseDescriptorLimit();
    asio::io_context io;
    TFigures figures;
    std::mt19937 random(12345);
    bool killed = false;
    const auto onMove = [&] {
        if (options.killPid == 0 || killed || figures.moves < options.killAtMoves) return;
        killed = true;
        std::cerr << "kelani-play-load: killing " << options.killPid << " after " << figures.moves
                  << " moves\n";
        kill(options.killPid, SIGKILL);
    };
    std::vector<std::unique_ptr<TLoadGame>> games;
    for (int k = 0; k < options.games; ++k)
        games.push_back(std::make_unique<TLoadGame>(io, options, k, figures, random, onMove));

    // Games start one after the other, --ramp-ms apart; the run ends when all are done.
    asio::steady_timer ramp(io), deadline(io), watch(io);
    size_t next = 0;
    std::function<void()> startNext = [&] {
        if (next >= games.size()) return;
        games[next++]->Start();
        ramp.expires_after(options.ramp);
        ramp.async_wait([&](boost::system::error_code ec) {
            if (!ec) startNext();
        });
    };
    bool timedOut = false;
    deadline.expires_after(options.duration);
    deadline.async_wait([&](boost::system::error_code ec) {
        if (ec) return;
        timedOut = true;
        io.stop();
    });
    std::function<void()> check = [&] {
        const bool all = next == games.size() &&
                         std::all_of(games.begin(), games.end(), [](const auto& g) { return g->Done(); });
        if (all) return io.stop();
        watch.expires_after(std::chrono::milliseconds(100));
        watch.async_wait([&](boost::system::error_code ec) {
            if (!ec) check();
        });
    };
    const auto began = Clock::now();
    startNext();
    check();
    io.run();
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    for (const auto& game : games)
        if (timedOut && !game->Done()) {
            ++figures.errors;
            std::cerr << game->Standing() << "\n";
        }
    PrintFigures(options, figures, seconds, timedOut);
    games.clear();
    return figures.errors == 0 && figures.mismatches == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(Options(Args(argv + 1, argv + argc)));
    } catch (const std::exception& e) {
        std::cerr << "kelani-play-load: " << e.what() << "\n";
        return 2;
    }
}
