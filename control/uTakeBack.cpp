#include "control/uTakeBack.h"

#include "view/uTCanvas.h"

namespace kelani {

bool IsHumanMove(const THistory& history, const TMove& record) {
    return record.Mulde != 0 && !history.IsComputer(record.Spieler);
}

int RecordsToTakeBack(const THistory& history) {
    if (history.Modus == kModeComputers) return 0;
    for (int i = history.Count() - 1; i >= 0; --i)
        if (IsHumanMove(history, history.Moves(i))) return history.Count() - i;
    return 0;
}

int RecordsToRedo(const THistory& history) {
    if (history.Modus == kModeComputers || history.RedoCount() == 0) return 0;
    int count = 1;
    while (count < history.RedoCount() && !IsHumanMove(history, history.RedoMoves(count))) ++count;
    return count;
}

std::vector<TMoveStep> MoveSteps(const TFeld& board, int place) {
    TFeld copy(board);
    std::vector<TMoveStep> steps;
    const TFeldEvent note = [&](int at, int, int) { steps.push_back({at, copy}); };
    copy.OnBeforeSow = note;
    copy.OnBeforeTake = note;
    copy.OnBeforeStore = note;
    copy.DoMove(place);
    return steps;
}

QRect TrainingMarkRect() {
    return RectLTRB(563, 370, 683, 393);
}

void DrawTrainingMark(TCanvas& canvas, const QString& caption) {
    const QRect mark = TrainingMarkRect();
    // The cream and brown of the board's own panels, so the mark reads as one of them.
    canvas.Brush = {TBrushStyle::Solid, QColor(96, 56, 16)};
    canvas.FillRect(mark);
    canvas.Brush.Color = QColor(248, 238, 208);
    canvas.FillRect(mark.adjusted(1, 1, -1, -1));
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font.Name = QStringLiteral("Comic Sans MS");
    canvas.Font.Bold = true;
    canvas.Font.Size = 9;
    canvas.Font.Color = QColor(96, 56, 16);
    canvas.TextRect(mark, mark.left() + (mark.width() - canvas.TextWidth(caption)) / 2,
                    mark.top() + (mark.height() - canvas.TextHeight(caption)) / 2, caption);
}

} // namespace kelani
