#pragma once
// The analysis of the position on the board: the Master values every legal pit of the player to
// move, on a thread of his own, ever deeper until every value is proven or the time is spent.
// Each finished round reaches this object's thread as a queued call; a new position drops the
// thinking about the old one, so a stale result is never shown.
#include "game/uTFeld.h"
#include "game/uTMeister.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <thread>

namespace kelani {

// The analysis thinks this long about one position at most, in rounds of growing length.
inline constexpr int kAnalysisFirstMs = 200;
inline constexpr int kAnalysisMostMs = 12800;

class TAnalysis : public QObject {
public:
    using TDone = std::function<void(const TMeisterResult& result, bool final)>;

    explicit TAnalysis(QObject* parent = nullptr);
    ~TAnalysis() override;

    // Drops the analysis under way and analyses a copy of `feld` with the tables (which must
    // outlive the analysis, or be nullptr). `done` gets each round's result; `final` with the
    // last one. A position in which no pit may be played gives no result at all.
    void Start(const TFeld& feld, const TEndgameSource* tables, TDone done);
    // Ends the analysis and drops what it would still deliver.
    void Stop();
    bool Thinking() const { return thinking_; }

private:
    void Join();

    TFeld board_;
    TMeister meister_{18};
    std::atomic<bool> stop_{false};
    std::thread worker_;
    unsigned generation_ = 0;
    bool thinking_ = false;
};

// A pit's value in the player's words, for the player to move: "gewinnt mit 4", "remis",
// "verliert mit 2" when proven, "etwa +3" when estimated; `text` gives the script's texts of the
// keys "anawins", "anadraw", "analoses", "anawon", "analost" and "anaabout".
QString AnalysisValueText(const TMeisterLine& line, const std::function<QString(const char*)>& text);

} // namespace kelani
