#pragma once
// The review of a game as the history window shows and prints it: a mark beside each move that
// gave away a clear margin ("?!" inaccuracy, "?" mistake, "??" blunder) and a small graph of the
// game's value for player 1 over the moves; and the review itself, run with a progress box.
#include "records/uGameReview.h"

#include <QImage>
#include <QString>
#include <vector>

class QWidget;

namespace kelani {

class TSpielfeld;

// "?!", "?", "??", or nothing for an unmarked move.
QString ReviewMarkText(TReviewMark mark);

// Writes each move's mark into its cell of the history picture (BuildHistoryPicture).
void DrawReviewMarks(QImage& picture, const std::vector<TReviewMove>& review);

// The value graph: player 1's expected margin after each move, above the middle line when he
// leads, marked moves as red dots; `width` pixels wide at the picture's scale.
QImage BuildReviewGraph(const std::vector<TReviewMove>& review, int width, int scale = 1);

// Reviews the game on the board with the Master while a progress box (`title`, `text` and the
// `cancel` button, in the player's language) waits and may cancel it. The review, or nothing when
// it was cancelled.
std::vector<TReviewMove> RunReview(QWidget* parent, TSpielfeld& game, const QString& title,
                                   const QString& text, const QString& cancel, bool& completed);

} // namespace kelani
