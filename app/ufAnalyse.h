#pragma once
// TfAnalyse: the analysis panel beside the board. For every pit the player to move may play it
// shows the pit's value as the game's final margin in stones, proven or estimated, and the line of
// play the Master expects; it follows the game as moves are played and thinks on a thread of its
// own, so the board never waits. A game played while it is open is a training game.
#include "game/uTMeister.h"

#include <QDockWidget>
#include <QString>
#include <QTimer>

class QLabel;
class QTreeWidget;

namespace kelani {

class TAnalysis;
class TMultiLanguage;
class TSpielfeld;

class TfAnalyse : public QDockWidget {
    Q_OBJECT
public:
    // Texts in `language` ("german", "english"); follows the game of `game`.
    TfAnalyse(QWidget* parent, TSpielfeld& game, const QString& language);
    ~TfAnalyse() override;

    void SetLanguage(const QString& language);
    // The position on the board may have changed: a new one is analysed afresh.
    void PositionChanged();
    // The pit values shown, one row per pit: pit, value, expected line.
    QStringList Rows() const;
    // The last result shown (its lines are the rows).
    const TMeisterResult& Result() const { return result_; }
    // The panel's text of `key` in its language; the hint's note words a pit's value in these too.
    QString Text(const char* key) const;
    bool Final() const { return final_; }

    TMultiLanguage* lng;
    QLabel* lState;
    QTreeWidget* sgAnalyse;

private:
    void Show(const TMeisterResult& result, bool final);
    void ShowState();
    // The expected line in the players' own pit numbers: "1:3 2:5 2:1" (player:pit, 0 a pass).
    QString LineText(const std::vector<int>& pv) const;

    TSpielfeld& game_;
    TAnalysis* analysis_;
    QTimer poll_;
    // What the analysis under way is about: the position and whether tables were at hand.
    QString analysed_;
    TMeisterResult result_;
    bool final_ = false;
};

} // namespace kelani
