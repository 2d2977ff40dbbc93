#include "app/WebPost.h"
#include "app/ufHighscore.h"
#include "components/SmallGrid.h"
#include "tests/app/RecordWindowTest.h"
#include "tests/server/LiveServer.h"

#include <QAccessible>
#include <QFile>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "components/uRadioGroup.h"

using namespace kelani;
using kelani::test::App;
using kelani::test::PdfPages;
using kelani::test::PdfTool;

namespace {

class HighscoreDialog : public kelani::test::RecordWindowTest {
protected:
    // A table of `count` entries with e-mail addresses, the i-th with a falling share.
    void WriteTable(int variant, int count, const std::string& email = "p@example.org") {
        THighscore table;
        for (int i = 0; i < count; ++i)
            table.AddEntry("Spieler " + std::to_string(i + 1), 100 + i, 40 - i, 8 + i, 12, false, email,
                           "europa");
        table.SaveToFile(THighscore::FileName(FilePath({}).toStdString(), variant));
    }
    QString Cell(TfHighscore& dialog, int col, int row) {
        QString text;
        dialog.Grid().OnGetCellStr(dialog.Grid(), col, row, text);
        return text;
    }
    QColor Background(TfHighscore& dialog, int col, int row) {
        QColor colour = Qt::black;
        dialog.Grid().OnGetCellColorBG(dialog.Grid(), col, row, colour);
        return colour;
    }
    QPushButton* Button(TfHighscore& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(QLatin1String(name));
    }
    TRadioGroup* Variants(TfHighscore& dialog) {
        return dialog.findChild<TRadioGroup*>(QStringLiteral("rgVariante"));
    }
};

} // namespace

TEST_F(HighscoreDialog, BeforeAnyGameShowsVariantFourEmptyAndUnmarked) {
    TfHighscore dialog(nullptr, QStringLiteral("german"));
    dialog.ShowGame(-1, -1);
    EXPECT_EQ(Variants(dialog)->ItemIndex(), 0);
    EXPECT_EQ(dialog.Grid().RowCount(), 2);
    EXPECT_EQ(Cell(dialog, 1, 1), QStringLiteral("- leer -"));
    EXPECT_EQ(Cell(dialog, 0, 0), QStringLiteral("Rang"));
    EXPECT_FALSE(dialog.Grid().IsSelected(0, 1));
    EXPECT_FALSE(Button(dialog, "bbPrint")->isEnabled());
    EXPECT_FALSE(Button(dialog, "bbnetHighscore")->isEnabled());
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs4.dat")))); // nothing written
}

TEST_F(HighscoreDialog, MarksTheNewRankOnlyInTheGamesVariant) {
    WriteTable(5, 8);
    WriteTable(4, 3);
    TfHighscore dialog(nullptr, QStringLiteral("english"));
    dialog.ShowGame(1, 3); // variant 5; the better of ranks 3 and 7
    EXPECT_EQ(Variants(dialog)->ItemIndex(), 1);
    EXPECT_TRUE(dialog.Grid().IsSelected(2, 3));
    EXPECT_EQ(Background(dialog, 2, 3), TfHighscore::MarkColor());
    EXPECT_NE(Background(dialog, 2, 4), TfHighscore::MarkColor());
    EXPECT_EQ(Cell(dialog, 0, 3), QStringLiteral("3"));
    EXPECT_EQ(Cell(dialog, 2, 1), QStringLiteral("00:01:40"));
    EXPECT_TRUE(Button(dialog, "bbPrint")->isEnabled());
    Variants(dialog)->ClickItem(0);
    EXPECT_EQ(dialog.Grid().RowCount(), 4);
    EXPECT_FALSE(dialog.Grid().IsSelected(2, 3));
    Variants(dialog)->ClickItem(1);
    EXPECT_TRUE(dialog.Grid().IsSelected(2, 3));

    TfHighscore reopened(nullptr, QStringLiteral("english"));
    reopened.ShowGame(1, -1);
    EXPECT_FALSE(reopened.Grid().IsSelected(2, 3));
}

TEST_F(HighscoreDialog, AFullTableHasTwentyOneRowsAndScrolls) {
    WriteTable(6, 25);
    TfHighscore dialog(nullptr, QStringLiteral("german"));
    dialog.ShowGame(2, -1);
    dialog.show();
    App().processEvents();
    EXPECT_EQ(dialog.Grid().RowCount(), 21);
    EXPECT_GT(dialog.findChild<QScrollArea*>(QStringLiteral("sbTable"))->verticalScrollBar()->maximum(), 0);
}

TEST_F(HighscoreDialog, ADamagedFileIsReportedByNameInTheDialogLanguageAndShownAsAnEmptyTable) {
    const QString file = FilePath(QStringLiteral("hs4.dat"));
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("this is no highscore table at all");
    damaged.close();
    const QString german =
        QStringLiteral("Die Datei \"%1\" ist besch\u00E4digt oder unvollst\u00E4ndig und kann nicht "
                       "gelesen werden.");
    const QString english = QStringLiteral("The file \"%1\" is damaged or incomplete and cannot be read.");
    for (const auto& [language, text] :
         {std::pair{QStringLiteral("german"), german}, {QStringLiteral("english"), english}}) {
        ResetMessageSeam();
        SetDialogLanguage(language);
        QueueMessageAnswer(mrOk);
        TfHighscore dialog(nullptr, language);
        dialog.ShowGame(0, 1);
        ASSERT_EQ(ShownMessages().size(), 1u);
        EXPECT_EQ(ShownMessages()[0].Type, mtError);
        EXPECT_EQ(ShownMessages()[0].Text, text.arg(file));
        EXPECT_TRUE(dialog.TableEmpty());
        EXPECT_EQ(dialog.Grid().RowCount(), 2);
        EXPECT_FALSE(Button(dialog, "bbPrint")->isEnabled());
    }
}

TEST_F(HighscoreDialog, PrintsTheTableWithHeaderTitleAndFooter) {
    WriteTable(5, 4);
    TfHighscore dialog(nullptr, QStringLiteral("german"));
    dialog.ShowGame(1, 2);
    const QString pdf = FilePath(QStringLiteral("highscore.pdf"));
    QueuePrintAnswer(pdf);
    dialog.bbPrintClick();
    ASSERT_TRUE(QFile::exists(pdf));
    kelani::test::KeepForReview(pdf, QStringLiteral("highscore-print.pdf"));
    const QString text = PdfTool(QStringLiteral("pdftotext"), pdf);
    if (text.isEmpty()) GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(PdfPages(pdf), 1);
    for (const char* expected :
         {"KELANI", "Version 1.0", "Variante 5", "Highscore:", "Spieler 4", "Kelani-Team"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
}

TEST_F(HighscoreDialog, CancelledPrintDialogPrintsNothing) {
    WriteTable(5, 1);
    TfHighscore dialog(nullptr, QStringLiteral("german"));
    dialog.ShowGame(1, -1);
    QueuePrintAnswer(QString());
    dialog.bbPrintClick();
    EXPECT_TRUE(QDir(FilePath({})).entryList({QStringLiteral("*.pdf")}).isEmpty());
}

namespace {

class WorldwideButton : public HighscoreDialog {
protected:
    // Points the game at `server`; the page shown afterwards is the server's first page.
    void PointAt(const std::string& server) {
        QFile settings(FilePath(QStringLiteral("settings.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(("[worldwide]\nserver=" + server + "\n").c_str());
        address_ = QString::fromStdString(server);
    }
    // A live highscore server in the test's folder, the game pointed at it.
    server::LiveServer& Serve() {
        server_ = std::make_unique<server::LiveServer>(FilePath(QStringLiteral("world.db")).toStdString());
        PointAt("127.0.0.1:" + std::to_string(server_->port()));
        return *server_;
    }
    void Send(const QString& language = QStringLiteral("german")) {
        TfHighscore dialog(nullptr, language);
        dialog.ShowGame(0, -1);
        QueueMessageAnswer(mrOk);
        dialog.bbnetHighscoreClick();
        EXPECT_TRUE(dialog.isEnabled());
        EXPECT_TRUE(Button(dialog, "bbOK")->isEnabled());
    }
    QString address_;
    std::unique_ptr<server::LiveServer> server_;
};

} // namespace

// Out of the box no worldwide server is configured: the button says so plainly, names the file
// and the line to add, in the player's language, and neither asks nor sends nor opens a page.
TEST_F(WorldwideButton, WithoutAConfiguredServerItSaysHowToSetOne) {
    WriteTable(4, 2);
    const QString settings = FilePath(QStringLiteral("settings.ini"));
    for (const char* language : {"german", "english"}) {
        ResetMessageSeam();
        SetDialogLanguage(QLatin1String(language));
        TfHighscore dialog(nullptr, QLatin1String(language));
        dialog.ShowGame(0, -1);
        ASSERT_TRUE(Button(dialog, "bbnetHighscore")->isEnabled());
        QueueMessageAnswer(mrOk);
        dialog.bbnetHighscoreClick();
        ASSERT_EQ(ShownMessages().size(), 1u) << language;
        const TShownMessage& shown = ShownMessages()[0];
        EXPECT_EQ(shown.Type, mtInformation);
        EXPECT_TRUE(
            shown.Text.startsWith(QLatin1String(language) == QLatin1String("german")
                                      ? QStringLiteral("Es ist noch keine weltweite Highscore eingerichtet")
                                      : QStringLiteral("No worldwide highscore is set up yet")))
            << shown.Text.toStdString();
        EXPECT_TRUE(shown.Text.contains(QLatin1Char('\n') + settings + QLatin1Char('\n')));
        EXPECT_TRUE(shown.Text.contains(QStringLiteral("[worldwide]\nserver=https://")));
        EXPECT_TRUE(ShellOpened().isEmpty());
        EXPECT_TRUE(dialog.isEnabled());
    }
}

// A send says what the server made of it: every entry with an e-mail address of the three tables,
// newly entered the first time, known the second; then the server's page opens.
TEST_F(WorldwideButton, SendsAllThreeTablesSumsUpAndOpensTheServersPage) {
    server::LiveServer& server = Serve();
    WriteTable(4, 2);
    WriteTable(5, 3);
    WriteTable(6, 1, ""); // no e-mail: never sent
    Send();
    EXPECT_EQ(server.store().Count(), 5);
    EXPECT_EQ(server.store().Top(6, 10).size(), 0u);
    ASSERT_EQ(ShownMessages().size(), 2u); // the confirmation, then the summary
    EXPECT_EQ(ShownMessages()[1].Type, mtInformation);
    EXPECT_EQ(ShownMessages()[1].Text,
              QStringLiteral("Die weltweite Highscore %1 hat 5 Eintr\u00E4ge erhalten.\nNeu aufgenommen: 5")
                  .arg(address_));
    ASSERT_EQ(ShellOpened().size(), 1);
    EXPECT_EQ(ShellOpened()[0], QUrl(QStringLiteral("http://%1/").arg(address_)));

    ResetMessageSeam();
    SetDialogLanguage(QStringLiteral("english"));
    Send(QStringLiteral("english"));
    ASSERT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(
        ShownMessages()[1].Text,
        QStringLiteral("The worldwide highscore %1 has received 5 entries.\nSent before: 5").arg(address_));
}

TEST_F(WorldwideButton, TablesWithoutEMailAddressesSendNothingAndSaySo) {
    server::LiveServer& server = Serve();
    WriteTable(5, 2, "");
    Send();
    EXPECT_EQ(server.store().Count(), 0);
    ASSERT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(
        ShownMessages()[1].Text,
        QStringLiteral("Kein Eintrag der drei Listen hat eine E-Mail-Adresse, darum wurde nichts an die "
                       "weltweite Highscore %1 gesendet.")
            .arg(address_));
    EXPECT_EQ(ShellOpened().size(), 1);
}

TEST_F(WorldwideButton, AWorldwidePageNoBrowserCanOpenIsReported) {
    server::LiveServer& server = Serve();
    WriteTable(4, 1);
    RecordShellOpens(true, false);
    QueueMessageAnswer(mrOk);
    QueueMessageAnswer(mrOk);
    Send();
    EXPECT_EQ(server.store().Count(), 1);
    ASSERT_EQ(ShellOpened().size(), 1);
    ASSERT_EQ(ShownMessages().size(), 3u); // the confirmation, the summary, the browser that did not start
    EXPECT_EQ(ShownMessages()[2].Type, mtWarning);
    EXPECT_EQ(
        ShownMessages()[2].Text,
        QStringLiteral("Der Browser konnte nicht gestartet werden, um http://%1/ zu zeigen.").arg(address_));
}

TEST_F(WorldwideButton, AnythingButOkSendsNothing) {
    server::LiveServer& server = Serve();
    WriteTable(4, 2);
    TfHighscore dialog(nullptr, QStringLiteral("german"));
    dialog.ShowGame(0, -1);
    QueueMessageAnswer(mrCancel);
    dialog.bbnetHighscoreClick();
    EXPECT_EQ(server.store().Count(), 0);
    EXPECT_TRUE(ShellOpened().isEmpty());
}

// The server refuses entries in two tables (no game ends before its players moved; points no board
// gives): the send goes on with the rest, and the one box at its end counts the refused entries and
// gives each reason once; only an unreachable server stops the send (below).
TEST_F(WorldwideButton, RefusedEntriesAreSummedUpInOneBoxAndTheSendGoesOn) {
    server::LiveServer& server = Serve();
    WriteTable(4, 2);
    THighscore refused;
    refused.AddEntry("Nobody", 10, 30, 18, 0, false, "x@example.org", "europa");
    refused.AddEntry("Noone", 10, 30, 18, 0, false, "y@example.org", "europa");
    refused.SaveToFile(THighscore::FileName(FilePath({}).toStdString(), 5));
    WriteTable(6, 2);
    THighscore six;
    six.LoadFromFile(THighscore::FileName(FilePath({}).toStdString(), 6));
    six.AddEntry("Cheater", 100, 99, 1, 12, false, "z@example.org", "europa");
    six.SaveToFile(THighscore::FileName(FilePath({}).toStdString(), 6));
    Send();
    EXPECT_EQ(server.store().Top(4, 10).size(), 2u);
    EXPECT_EQ(server.store().Top(5, 10).size(), 0u);
    EXPECT_EQ(server.store().Top(6, 10).size(), 2u);
    ASSERT_EQ(ShownMessages().size(), 2u); // the confirmation and the one summary, no "senderror"
    EXPECT_EQ(ShownMessages()[1].Type, mtWarning);
    EXPECT_EQ(
        ShownMessages()[1].Text,
        QStringLiteral("Die weltweite Highscore %1 hat 7 Eintr\u00E4ge erhalten.\nNeu aufgenommen: 4\n\n"
                       "Die weltweite Highscore hat nicht jeden Eintrag angenommen. Abgelehnt: 3, die "
                       "\u00FCbrigen wurden gesendet. Gr\u00FCnde:\n"
                       "2 \u00D7 Das Ergebnis ist nicht glaubw\u00FCrdig (implausible: no game ends "
                       "before its players moved)\n"
                       "Das Ergebnis ist nicht glaubw\u00FCrdig (implausible: points and opponent stones "
                       "fit no board of 3 to 8 stones per pit)")
            .arg(address_));
    EXPECT_EQ(ShellOpened().size(), 1);
}

// A server nobody answers on stops the send with one box, in the player's language, that names
// the server and the reason; no page opens.
TEST_F(WorldwideButton, AnUnreachableServerIsNamedWithTheReasonAndNoBrowserOpens) {
    PointAt("127.0.0.1:1");
    WriteTable(4, 1);
    SetDialogLanguage(QStringLiteral("english"));
    Send(QStringLiteral("english"));
    ASSERT_EQ(ShownMessages().size(), 2u); // the confirmation, then why nothing was sent
    EXPECT_EQ(ShownMessages()[1].Type, mtError);
    EXPECT_EQ(ShownMessages()[1].Text, QStringLiteral("The data could't be sent to the internet highscore.\n"
                                                      "The server 127.0.0.1:1 refuses the connection."));
    EXPECT_TRUE(ShellOpened().isEmpty());
}

// A screen reader reads the grid as a list of rows, each named by its cells with their heads and
// the new rank selected; after a switch of variant the rows read the other table.
TEST_F(HighscoreDialog, ScreenReaderReadsTheRowsAndFollowsTheVariant) {
    WriteTable(5, 3);
    TfHighscore dialog(nullptr, QStringLiteral("english"));
    dialog.ShowGame(1, 2);
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&dialog.Grid());
    EXPECT_EQ(grid->role(), QAccessible::List);
    ASSERT_EQ(grid->childCount(), 4);
    EXPECT_EQ(grid->child(0)->text(QAccessible::Name), QStringLiteral("Rank, name, time, moves, points"));
    QAccessibleInterface* second = grid->child(2);
    EXPECT_EQ(second->text(QAccessible::Name),
              QStringLiteral("Rank: 2, name: Spieler 2, time: 00:01:41, moves: 12, points: 81.25"));
    EXPECT_TRUE(second->state().selected);
    EXPECT_FALSE(grid->child(1)->state().selected);
    EXPECT_EQ(grid->indexOfChild(second), 2);
    EXPECT_EQ(grid->childAt(second->rect().center().x(), second->rect().center().y()), second);

    Variants(dialog)->ClickItem(0);
    ASSERT_EQ(grid->childCount(), 2);
    EXPECT_TRUE(
        grid->child(1)->text(QAccessible::Name).startsWith(QStringLiteral("Rank: 1, name: - empty -")));
    EXPECT_FALSE(grid->child(1)->state().selected);
    EXPECT_FALSE(second->isValid()) << "a row the table no longer has";
}
