// Endgame tables: builds the tables of the rule sets into a folder, with a progress bar.
#include "game/uEndgameBuild.h"
#include "records/uEndgameFile.h"
#include "tools/kelanitool/KelaniTool.h"

#include <chrono>
#include <cstdio>
#include <iostream>

namespace kelani::tool {
namespace {

// The stones a table covers unless --stones says otherwise: built in about a minute on one core
// (rule set 3, twice the positions, in two), 2 to 21 MB a file, about 30 MB in memory (60 MB).
constexpr int kDefaultStones = 16;

// A bar on standard error, redrawn when its percentage changes.
class TProgressBar {
public:
    explicit TProgressBar(std::string label) : label_(std::move(label)) {}

    void Show(double done) {
        const int percent = static_cast<int>(done * 100);
        if (percent == shown_) return;
        shown_ = percent;
        constexpr int kWidth = 40;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%%", label_.c_str(), std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, '-').c_str(), percent);
        if (percent == 100) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    std::string label_;
    int shown_ = -1;
};

void BuildOne(int variante, bool head, int stones, const std::filesystem::path& folder) {
    TProgressBar bar("rule set " + std::to_string(variante) + (head ? " with" : " without") + " head pits, " +
                     std::to_string(stones) + " stones");
    const auto began = std::chrono::steady_clock::now();
    const TEndgameTable table =
        BuildEndgameTable(variante, head, stones, [&](double done) { bar.Show(done); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const std::filesystem::path path = folder / EndgameFileName(variante, head);
    WriteEndgameTable(path, table);
    char line[512];
    std::snprintf(
        line, sizeof line,
        "{\"variant\":%d,\"head\":%d,\"stones\":%d,\"positions\":%zu,\"bytes\":%jd,\"seconds\":%.1f,"
        "\"file\":%s}",
        variante, head ? 1 : 0, stones, table.Values().size(),
        static_cast<intmax_t>(std::filesystem::file_size(path)), seconds, JsonString(path.string()).c_str());
    std::cout << line << std::endl;
}

int RunTables(const Args& args) {
    const Args words = Positionals(args);
    if (words.size() != 1 || words[0] != "build") throw UsageError("the only subcommand is 'build'");
    const std::string* out = FindOption(args, "--out");
    const std::filesystem::path folder = out ? *out : ".";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder))
        throw UsageError("--out " + folder.string() + " is no folder");
    const bool oneVariant = FindOption(args, "--variant") != nullptr;
    const int first = oneVariant ? IntOption(args, "--variant", 1, 6) : 1;
    const int last = oneVariant ? first : 6;
    const bool oneHead = FindOption(args, "--head") != nullptr;
    const int head = oneHead ? IntOption(args, "--head", 0, 1) : 0;
    for (int variante = first; variante <= last; ++variante)
        for (int h = head; h <= (oneHead ? head : 1); ++h)
            BuildOne(variante, h == 1, IntOption(args, "--stones", 0, kEndgameMaxStones, kDefaultStones),
                     folder);
    return 0;
}

const bool registered = RegisterCommand(
    {"tables",
     "build [--variant V] [--head 0|1] [--stones N] [--out DIR]  endgame tables of every position with up to "
     "N "
     "stones in the pits (all rule sets and head-pit options unless given), one line per table",
     RunTables});

} // namespace
} // namespace kelani::tool
