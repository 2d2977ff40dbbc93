#pragma once
// The endgame tables of the game, one rule set and head-pit option at a time. The table of the
// game being played is read from the program folder when the package ships it, else from the data
// folder (of whatever stones it covers), else built there once on a thread of its own (at 16
// stones a minute or more), so the board never waits: until it is ready the Master and the
// analysis think without it.
#include "control/uTWorker.h"
#include "game/uTEndgameTable.h"

#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

namespace kelani {

// The stones in the pits the game's tables cover.
inline constexpr int kGameTableStones = 16;

// The stones of the tables the game builds: KELANI_TABLE_STONES when it names 0..20 (0: the game
// builds none and uses only tables it finds), else kGameTableStones.
int TableStonesFromEnvironment();

class TEndgameTables : public TWorker {
public:
    // Tables of `stones` stones, built into `dataFolder` when neither folder holds them (for 0
    // none are built: only tables found are used).
    TEndgameTables(QString programFolder, QString dataFolder, int stones = kGameTableStones,
                   QObject* parent = nullptr);
    ~TEndgameTables() override;

    // The table of the rule set and head-pit option once it is ready, else nullptr; asking starts
    // reading or building it (one table at a time: asking for another drops the work under way).
    // A table once ready stays for the object's life, since a search may still read it.
    const TEndgameSource* For(int variante, bool useStirnmulde);
    // Building: the share done (0..1) of the table under way, else a negative number.
    double Progress() const { return progress_; }

    // A table became ready (on this object's thread); `built` when it was made, not read.
    std::function<void(bool built)> OnReady;
    // A table could not be read, built or stored; the message names the file and the reason.
    std::function<void(const QString& message)> OnFailed;
    // The building made progress (called about every percent, on this object's thread).
    std::function<void()> OnProgress;

private:
    void Start(int variante, bool useStirnmulde);
    void Work(int variante, bool useStirnmulde, const TDeliver& deliver);

    QString programFolder_;
    QString dataFolder_;
    int stones_;
    int working_ = 0; // the key of the table last asked for while not ready, 0 for none
    std::map<int, std::shared_ptr<const TEndgameTable>> ready_;
    std::atomic<double> progress_{-1};
};

} // namespace kelani
