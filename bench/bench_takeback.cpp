// Taking back and redoing a whole game of 60 moves between humans, without animation: the time of
// every single step (the board, clocks, counters and notes following it), its mean and its worst.
// Runs offscreen in a scratch program folder that links the painted containers of this build.
#include "components/uFolders.h"
#include "control/uTSpielfeld.h"
#include "settings/uTSettings.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

using namespace kelani;

namespace {

constexpr int kMoves = 60;
constexpr double kStepLimitMs = 50;

bool PrepareFolder(const QTemporaryDir& folder) {
    for (const char* stem : {"game", "steine", "mulden", "hands"}) {
        const QString name = QLatin1String(stem) + QStringLiteral(".gfx");
        if (!QFile::link(QStringLiteral(KELANI_PROGRAM_DIR "/") + name, folder.filePath(name))) return false;
    }
    QFile settings(folder.filePath(QStringLiteral("settings.ini")));
    if (!settings.open(QIODevice::WriteOnly)) return false;
    settings.write("[settings]\nlanguage=german\nsound=0\nhandani=0\nstoneani=0\nnoani=1\n");
    SetProgramFolderForTests(folder.path());
    return true;
}

// Plays the first (or last) legal pit of the player to move until 60 moves are played or the game
// ends; true when the game still runs after 60 moves.
bool PlayGame(TSpielfeld& game, int variante, int steine, bool last) {
    TNewGameSettings s;
    s.Name1 = QStringLiteral("Anna");
    s.Name2 = QStringLiteral("Bert");
    s.Variante = variante;
    s.SteineProMulde = steine;
    game.NewGame(s);
    while (game.Running() && game.History().MoveCount() < kMoves) {
        const TFeld& board = game.Board();
        int place = -1;
        for (int n = 1; n <= 6; ++n)
            if (board.IsLegalMove(PitIndex(board.AktSpieler(), n)) && (place < 0 || last))
                place = PitIndex(board.AktSpieler(), n);
        game.PlayPit(place);
        game.Tick();
    }
    return game.Running();
}

// The first rule set, stone count and choice whose game lasts 60 moves.
bool PlayLongGame(TSpielfeld& game) {
    for (int variante : {4, 5, 6})
        for (int steine = 8; steine >= 3; --steine)
            for (bool last : {false, true})
                if (PlayGame(game, variante, steine, last)) return true;
    return false;
}

// Runs `step` while `more` holds and prints the time of each.
std::vector<double> TimeSteps(const char* name, const std::function<bool()>& more,
                              const std::function<void()>& step) {
    std::vector<double> ms;
    while (more()) {
        const auto start = std::chrono::steady_clock::now();
        step();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        std::printf("%s %3zu: %7.3f ms\n", name, ms.size(), ms.back());
    }
    return ms;
}

bool Report(const char* name, const std::vector<double>& ms) {
    if (ms.empty()) return false;
    const double worst = *std::max_element(ms.begin(), ms.end());
    std::printf("%s: %zu steps, mean %.3f ms, worst %.3f ms (limit %.0f ms)\n", name, ms.size(),
                std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size()), worst, kStepLimitMs);
    return worst < kStepLimitMs;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    if (!PrepareFolder(folder)) {
        std::fprintf(stderr, "the containers have not been painted in this build\n");
        return 2;
    }
    bool fast = false;
    {
        TSpielfeld game([](const QString& key) { return key; }, QStringLiteral("german"));
        if (!PlayLongGame(game)) std::printf("no game of %d moves found\n", kMoves);
        std::printf("game of variant %d, %d stones: %d moves, %d records\n", game.History().Variante,
                    game.History().SteineProMulde, game.History().MoveCount(), game.History().Count());
        const auto takeBacks = TimeSteps(
            "take back", [&] { return game.MayTakeBack(); }, [&] { game.TakeBack(); });
        const auto redos = TimeSteps(
            "redo", [&] { return game.MayRedo(); }, [&] { game.Redo(); });
        const bool takeBacksFast = Report("take back", takeBacks);
        fast = Report("redo", redos) && takeBacksFast;
    }
    SetProgramFolderForTests(QString());
    std::printf("every step under %.0f ms: %s\n", kStepLimitMs, fast ? "yes" : "no");
    // A figure, not a verdict: the benchmarks after this one run too.
    return 0;
}
