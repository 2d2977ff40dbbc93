#include "app/ufHistory.h"
#include "game/uTFeld.h"
#include "records/uGameReview.h"
#include "records/uTHistory.h"
#include "tests/app/RecordWindowTest.h"
#include "tests/app/ScreenGrab.h"
#include "view/uTCanvas.h"
#include "view/uTFeldSketch.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>

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

// A game of `records` moves, each the first legal pit of the player to move.
THistory LongGame(std::size_t records) {
    std::vector<int> places;
    TFeld board;
    Game({}).StartBoard(board);
    while (places.size() < records && !board.IsGameOver()) {
        int place = 0;
        for (int n = 1; n <= 6 && !place; ++n)
            if (board.IsLegalMove(7 * board.AktSpieler() + n - 7)) place = 7 * board.AktSpieler() + n - 7;
        places.push_back(place);
        if (place)
            board.DoMove(place);
        else
            board.Skip();
    }
    EXPECT_EQ(places.size(), records);
    return Game(places);
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

// Whatever width the style gives the scroll bar (here a wide one), the first row of sketches
// reaches the screen whole, from the numbers at its left edge to the right column's right edge,
// clear of the bar. The window can be resized: the sketches stay in its middle, a taller window
// shows more rows, and it never gets narrower than a row.
TEST_F(HistoryView, EveryRowShowsWholeBesideTheScrollBarAndTheWindowCanBeResized) {
    const struct TWideScrollBars {
        TWideScrollBars() {
            kelani::test::App().setStyleSheet(QStringLiteral("QScrollBar:vertical { width: 30px; }"));
        }
        ~TWideScrollBars() { kelani::test::App().setStyleSheet(QString()); }
    } wide;
    const THistory history = LongGame(14);
    const QImage picture = BuildHistoryPicture(history, SmallBoard());
    TfHistory dialog(nullptr, QStringLiteral("german"));
    dialog.ShowHistory(history, picture);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* area = dialog.findChild<QScrollArea*>(QStringLiteral("sbzug"));
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("iZug"));
    ASSERT_TRUE(area && label);
    const QScrollBar* bar = area->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
    const QRect row(label->mapTo(&dialog, QPoint(0, 0)), QSize(picture.width(), 62));
    EXPECT_LT(row.right(), bar->mapTo(&dialog, QPoint(0, 0)).x());
    EXPECT_GE(row.left(), area->viewport()->mapTo(&dialog, QPoint(0, 0)).x());
    EXPECT_EQ(kelani::testing::OnScreen(dialog).copy(row),
              picture.copy(0, 0, picture.width(), 62).convertToFormat(QImage::Format_RGB32));

    EXPECT_NE(dialog.minimumSize(), dialog.maximumSize()) << "the window can be resized";
    const int shown = area->viewport()->height();
    dialog.resize(dialog.size() + QSize(200, 200));
    QTest::qWait(30);
    EXPECT_GE(area->viewport()->height(), shown + 200);
    const QPoint at = label->mapTo(area->viewport(), QPoint(0, 0));
    EXPECT_NEAR(at.x(), (area->viewport()->width() - picture.width()) / 2, 1);
    dialog.resize(100, 100);
    QTest::qWait(30);
    EXPECT_GE(area->viewport()->width(), picture.width());
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
    const THistory history = LongGame(30);
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

// A screen reader hears every sketch as the move in the board's words, in the window's language,
// and a reviewed move with its mark.
TEST_F(HistoryView, ScreenReaderHearsEveryMoveInTheBoardsWords) {
    const THistory history = LongGame(14);
    for (const auto& [language, capture] :
         {std::pair{"german", "Zug 13: Anna spielt Mulde 1 (1 Stein). Anna erbeutet 3, Stirnmulde 3."},
          std::pair{"english", "Move 13: Anna plays pit 1 (1 stone). Anna captures 3, head pit 3."}}) {
        TfHistory dialog(nullptr, QLatin1String(language));
        dialog.ShowHistory(history, BuildHistoryPicture(history, SmallBoard()));
        QAccessibleInterface* moves =
            QAccessible::queryAccessibleInterface(dialog.findChild<QLabel*>(QStringLiteral("iZug")));
        ASSERT_EQ(moves->childCount(), 14);
        EXPECT_EQ(moves->child(12)->text(QAccessible::Name), QString::fromUtf8(capture));
        EXPECT_EQ(moves->child(12)->rect().size(), QSize(219, 62));
        std::vector<TReviewMove> review(14);
        review[12].Mark = TReviewMark::Mistake;
        dialog.ShowReview(review);
        EXPECT_TRUE(moves->child(12)->text(QAccessible::Name).endsWith(QStringLiteral(" (?).")));
        EXPECT_EQ(moves->child(11)->text(QAccessible::Name).count(QLatin1Char('?')), 0);
    }
}
