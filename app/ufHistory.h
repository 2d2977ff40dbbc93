#pragma once
// TfHistory: the course of a game as small board sketches, one per record (the position after it,
// the played pit ringed in the mover's colour, a pass without ring), and its printout. A screen
// reader hears each sketch as the move in the board's words, with its review mark.
#include "records/uGameReview.h"

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <vector>

class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace kelani {

class TAccessibleParts;
class THistory;
class TMultiLanguage;
struct THistoryPrintLayout;

// Width of one sketch cell in the history picture: the small board plus the number margin.
inline constexpr int kHistoryNumberMargin = 20;

// The history picture: two cells per row, each "smbrett" with the position after the record
// drawn on it and the record's number to its left. Null for an empty history.
QImage BuildHistoryPicture(const THistory& history, const QImage& smbrett);

class TfHistory : public QDialog {
    Q_OBJECT
public:
    // Texts in `language` ("german", "english").
    TfHistory(QWidget* parent, const QString& language);

    // Takes the picture of `history` and the names for the description.
    void ShowHistory(const THistory& history, const QImage& picture);

    // Adds the review of the game shown: each move's mark beside its sketch, the value graph
    // above them and a count of the marks per player; the printout shows them too.
    void ShowReview(const std::vector<TReviewMove>& review);

    // Prints the sketches four per row on as many pages as needed, after the print dialog.
    void bbPrintClick();
    // Prints to an already set-up printer (the printout behind bbPrintClick).
    void Print(QPrinter& printer);

    int RecordCount() const { return count_; }
    // What a screen reader hears for record i (from 0).
    QString MoveName(int i) const;
    const QImage& Picture() const { return picture_; }

private:
    void FitSketches(QSize row);
    void PrintPage(QPainter& canvas, const THistoryPrintLayout& layout, int page, int pages);

    TMultiLanguage* lng;
    QScrollArea* sbzug;
    QLabel* iZug;
    QLabel* lDesc;
    QLabel* iGraph;
    QImage graph_;
    QPushButton* bbOK;
    QPushButton* bbPrint;
    QImage picture_;
    TAccessibleParts* moves_;
    QStringList moveNames_;
    std::vector<TReviewMark> marks_;
    int count_ = 0;
    int variant_ = 0;
};

} // namespace kelani
