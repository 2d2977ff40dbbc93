#pragma once
// The analysis of the position on the board: the Master values every legal pit of the player to
// move, on a thread of his own, ever deeper until every value is proven or the time is spent.
// Each finished round reaches the owner's thread; a new position drops the thinking about the old
// one, so a stale result is never shown.
#include "control/uTWorker.h"
#include "game/uTFeld.h"
#include "game/uTMeister.h"

#include <QString>
#include <functional>

namespace kelani {

// The analysis thinks this long about one position at most, in rounds of growing length.
inline constexpr int kAnalysisFirstMs = 200;
inline constexpr int kAnalysisMostMs = 12800;

class TAnalysis : public TWorker {
public:
    using TDone = std::function<void(const TMeisterResult& result, bool final)>;

    explicit TAnalysis(QObject* parent = nullptr) : TWorker(parent) {}
    ~TAnalysis() override { Stop(); }

    // Drops the analysis under way and analyses a copy of `feld` with the tables (which must
    // outlive the analysis, or be nullptr). `done` gets each round's result; `final` with the
    // last one. A position in which no pit may be played gives no result at all.
    void Start(const TFeld& feld, const TEndgameSource* tables, TDone done);

private:
    TFeld board_;
    TMeister meister_{18};
};

// A pit's value in the player's words, for the player to move: "gewinnt mit 4", "remis",
// "verliert mit 2" when proven, "etwa +3" when estimated; `text` gives the script's texts of the
// keys "anawins", "anadraw", "analoses", "anawon", "analost" and "anaabout".
QString AnalysisValueText(const TMeisterLine& line, const std::function<QString(const char*)>& text);

} // namespace kelani
