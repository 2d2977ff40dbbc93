#pragma once
// The headless companion: each command lives in a source file of its own and registers itself
// here. Output is one JSON object per line on stdout; errors go to stderr with exit code 2.
#include "game/uTKI.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelani::tool {

using Args = std::vector<std::string>;

// Thrown for a bad command line; main prints the message and exits with code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string name;                    // first word on the command line ("replay", "container", ...)
    std::string summary;                 // one line for the usage text
    std::function<int(const Args&)> run; // receives the words after the name
};

// Registers a command at static-initialisation time:
//   static const bool registered = RegisterCommand({"replay", "...", RunReplay});
bool RegisterCommand(Command command);

// Option helpers for "--name value" style arguments.
// Value of --name, or nullptr when absent. Throws UsageError when the value is missing.
const std::string* FindOption(const Args& args, const std::string& name);
// Integer value of --name within [lo, hi]; throws UsageError when absent (and no fallback),
// not a number, or out of range.
int IntOption(const Args& args, const std::string& name, int lo, int hi);
int IntOption(const Args& args, const std::string& name, int lo, int hi, int fallback);
// The words that are not options or option values (options are assumed to take one value each,
// except the flags listed).
Args Positionals(const Args& args, const std::vector<std::string>& flags = {});
bool HasFlag(const Args& args, const std::string& name);

// JSON string literal (with quotes) of UTF-8 text.
std::string JsonString(const std::string& utf8);

// The Master's thinking time from --time-ms (1..10000 ms, default 1000).
int MasterTime(const Args& args);
// A generator that sees the fixed time of day --seed: every reseed gives the same state; without
// the option the real clock.
TRandom FixedRandom(const Args& args);

// The computer at one level, choosing for whatever position it is shown.
class TComputerPlayer {
public:
    TComputerPlayer(int level, int masterMs, TRandom random);
    TComputerPlayer(const TComputerPlayer&) = delete;
    TComputerPlayer& operator=(const TComputerPlayer&) = delete;
    // The place (1..14) the player to move sows, 0 when he must pass.
    int Place(const TFeld& feld);

private:
    TFeld board_; // the computer looks at this copy, so callers keep their own board
    TRandom random_;
    TKI ki_;
};

} // namespace kelani::tool
