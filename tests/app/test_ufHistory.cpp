#include "app/ufHistory.h"
#include "game/uTFeld.h"
#include "records/uTHistory.h"
#include "tests/app/RecordWindowTest.h"
#include "view/uTCanvas.h"
#include "view/uTFeldSketch.h"

#include <QFile>
#include <QLabel>
#include <QPageSize>
#include <QPrinter>

using namespace kelani;
using kelani::test::PdfPages;
using kelani::test::PdfPicturesPerPage;
using kelani::test::PdfTool;

namespace {

QImage SmallBoard(int scale = 1) {
    QImage board(QSize(199, 62) * scale, QImage::Format_RGB32);
    board.setDevicePixelRatio(scale);
    board.fill(QColor(200, 160, 110));
    return board;
}

// A game of variant 4 with the given places played in turn from the start (0 = pass).
THistory Game(const std::vector<int>& places) {
    THistory history;
    history.Init("Anna", "Ben", "", "", "europa", "europa", 4, false, 4, 1, 1, 0);
    TFeld board;
    history.StartBoard(board);
    for (int place : places) {
        history.AddMove(5, static_cast<std::uint8_t>(place), board.AktSpieler());
        if (place)
            board.DoMove(place);
        else
            board.Skip();
    }
    return history;
}

bool SameCell(const QImage& a, const QImage& b, const QRect& cell) {
    return a.copy(cell) == b.copy(cell);
}

class HistoryView : public kelani::test::RecordWindowTest {};

} // namespace

TEST_F(HistoryView, FiveRecordsMakeThreeRowsWithTheLastSketchOnTheLeft) {
    // An @2x small board gives the same cells in twice the pixels.
    for (const int scale : {1, 2}) {
        const QImage picture = BuildHistoryPicture(Game({1, 8, 2, 9, 3}), SmallBoard(scale));
        EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(2 * 199 + 40, 3 * 62));
        EXPECT_EQ(picture.size(), QSize(2 * 199 + 40, 3 * 62) * scale);
        // The right half of the third row stays empty; the left holds the small board.
        EXPECT_EQ(picture.pixelColor(QPoint(219 + 20 + 100, 2 * 62 + 30) * scale), QColor(Qt::white));
        EXPECT_EQ(picture.pixelColor(QPoint(20 + 2, 2 * 62 + 2) * scale), QColor(200, 160, 110));
    }
    EXPECT_TRUE(BuildHistoryPicture(Game({}), SmallBoard()).isNull());
}

TEST_F(HistoryView, APassShowsTheUnchangedPositionWithoutRingButKeepsItsNumber) {
    // Player 1 plays, then a pass record: the second sketch is the same position, unringed.
    const QImage picture = BuildHistoryPicture(Game({1, 0}), SmallBoard());
    QImage expected = picture.copy();
    TCanvas canvas(expected);
    canvas.CopyRect(QRect(219 + 20, 0, 199, 62), SmallBoard(), SmallBoard().rect());
    TFeld board;
    Game({}).StartBoard(board);
    board.DoMove(1);
    DrawFeldSketch(canvas, board, 219 + 28, 9, 0);
    EXPECT_TRUE(SameCell(picture, expected, QRect(219 + 20, 0, 199, 62)));
    // The number margin of the pass is written on.
    bool numbered = false;
    for (int x = 219; x < 219 + 19; ++x)
        for (int y = 0; y < 20; ++y) numbered |= qGray(picture.pixel(x, y)) < 100;
    EXPECT_TRUE(numbered);
}

TEST_F(HistoryView, DescriptionNamesBothPlayers) {
    TfHistory dialog(nullptr, QStringLiteral("german"));
    const THistory history = Game({1, 8});
    dialog.ShowHistory(history, BuildHistoryPicture(history, SmallBoard()));
    const QString text = dialog.findChild<QLabel*>(QStringLiteral("lDesc"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral("das Anna und")));
    EXPECT_TRUE(text.contains(QStringLiteral("dass Ben den Zug")));
    EXPECT_EQ(dialog.RecordCount(), 2);
}

namespace {

// Prints `history` to a PDF whose page holds `rows` rows of sketches; returns the PDF's path.
QString PrintHistory(TfHistory& dialog, const QString& pdf, QSizeF pageMillimetres) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(pageMillimetres, QPageSize::Millimeter));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    dialog.Print(printer);
    return pdf;
}

} // namespace

TEST_F(HistoryView, ThirtyRecordsOnSixRowsAPagePrintOnTwoPages) {
    std::vector<int> places;
    TFeld board;
    THistory probe = Game({});
    probe.StartBoard(board);
    while (places.size() < 30 && !board.IsGameOver()) {
        int place = 0;
        for (int n = 1; n <= 6 && !place; ++n)
            if (board.IsLegalMove(7 * board.AktSpieler() + n - 7)) place = 7 * board.AktSpieler() + n - 7;
        places.push_back(place);
        if (place)
            board.DoMove(place);
        else
            board.Skip();
    }
    ASSERT_EQ(places.size(), 30u);
    const THistory history = Game(places);
    TfHistory dialog(nullptr, QStringLiteral("german"));
    dialog.ShowHistory(history, BuildHistoryPicture(history, SmallBoard()));
    // A4 width; the height is chosen so that six rows of sketches fit and a seventh does not.
    const QString pdf = PrintHistory(dialog, FilePath(QStringLiteral("history.pdf")), {210, 144});
    kelani::test::KeepForReview(pdf, QStringLiteral("history-print.pdf"));
    const QString text = PdfTool(QStringLiteral("pdftotext"), pdf);
    if (text.isEmpty()) GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(PdfPages(pdf), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("Seite 1/2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Seite 2/2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Historie:")));
    EXPECT_EQ(PdfPicturesPerPage(pdf), (std::vector<int>{24, 6})) << "four sketches a row, six rows a page";
}

TEST_F(HistoryView, AnEmptyHistoryPrintsOnePageWithHeaderTitleAndFooter) {
    TfHistory dialog(nullptr, QStringLiteral("english"));
    dialog.ShowHistory(Game({}), QImage());
    const QString pdf = FilePath(QStringLiteral("empty.pdf"));
    QueuePrintAnswer(pdf);
    dialog.bbPrintClick();
    const QString text = PdfTool(QStringLiteral("pdftotext"), pdf);
    if (text.isEmpty()) GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(PdfPages(pdf), 1);
    for (const char* expected : {"KELANI", "variante 4", "History:", "page 1/1"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
}
