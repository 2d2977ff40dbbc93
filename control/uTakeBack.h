#pragma once
// Taking moves back and redoing them: which records one step moves, the steps of a move to show
// it backwards, and the mark of a training game on the board.
#include "game/uTFeld.h"
#include "records/uTHistory.h"

#include <QRect>
#include <QString>
#include <vector>

namespace kelani {

class TCanvas;

// A move of a human player (a pass is no move; both players are humans in a game of humans).
bool IsHumanMove(const THistory& history, const TMove& record);
// How many of the last records one take-back removes: every record back to and with the last
// move of a human, so that a human is to move where he moved last (against a human that is the
// last move with the passes after it). 0 when no human has moved, or both players are computers.
int RecordsToTakeBack(const THistory& history);
// How many of the moves taken back one redo plays again: the next one and every record after it
// up to the next move of a human. 0 when none was taken back, or both players are computers.
int RecordsToRedo(const THistory& history);

// One step of a move as the rules engine reports it: the place it concerns and the board just
// before it.
struct TMoveStep {
    int Place = 0;
    TFeld Before;
};
// The steps of playing `place` on a silent copy of `board`, in the order they happen.
std::vector<TMoveStep> MoveSteps(const TFeld& board, int place);

// Where the training mark stands on the board: on the table above the notes, clear of every layer.
QRect TrainingMarkRect();
// The mark with its caption ("Trainingspartie") on the board's background.
void DrawTrainingMark(TCanvas& canvas, const QString& caption);

} // namespace kelani
