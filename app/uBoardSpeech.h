#pragma once
// What a screen reader says about the board: the name of each place, the clocks, the counters,
// the notes and the move preview, the whole position on request, and after every turn what
// happened in it (the pit sown and its stones, what reached the head pits, a pass, whose turn it
// is, the end and the result). Everything in the window's language.
#include "game/uTFeld.h"
#include "view/uTSpielfeldLayers.h"

#include <QString>

namespace kelani {

class THistory;
class TSpielfeld;
struct TMove;

// The player's name in `history`, or "Spieler 1" when he has none.
QString SpokenName(const THistory& history, int player, const TTranslate& text);
// One record of `history` played on `feld`, which it changes: "Anna spielt Mulde 2 (4 Steine).
// Anna erbeutet 1, Stirnmulde 3." or "Anna muß aussetzen."
QString MoveSpeech(TFeld& feld, const TMove& move, const THistory& history, const TTranslate& text);

class TBoardSpeech {
public:
    TBoardSpeech(const TSpielfeld& game, TTranslate text);

    // "Ihre Mulde 3, 5 Steine", "Anna, Stirnmulde, 12 Steine": "your" is the human at the
    // keyboard (the human to move when two share it), any other place is named by its owner.
    QString PlaceName(int place) const;
    QString ClockName(int player) const;
    // The variant and the moves played, in total and per player.
    QString CountersName() const;
    QString NotesName() const;
    // The position after the move the preview shows, or that it shows none.
    QString PreviewName() const;
    // Both rows from pit 1 to 6 with the head pits, and whose turn it is.
    QString BoardText() const;
    QString ClocksText() const;
    // The last announcement of a turn.
    QString LastTurn() const { return lastTurn_; }

    // The turn has changed: what happened since the previous call, and who moves now (or the
    // result). A new or loaded game is announced by its note instead of its moves.
    QString TurnText();

private:
    QString Text(const char* key) const;
    QString Name(int player) const;
    // The player the screen reader speaks to as "you", 0 for none.
    int Self() const;
    QString Stones(int count) const;
    QString RowsText(const TFeld& feld) const;
    QString TurnOrResult() const;

    const TSpielfeld& game_;
    TTranslate text_;
    // The position and the number of recorded moves at the previous turn.
    TFeld before_;
    int recorded_ = 0;
    QString lastTurn_;
};

} // namespace kelani
