#include "app/lngDialogs.h"

#include "base/uAtomicSave.h"
#include "components/MultiLanguage.h"
#include "components/uFileDialog.h"
#include "components/uFolders.h"
#include "components/uWait.h"
#include "streams/uJwStreamBase.h"

#include "tests/support/TestApp.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        ResetMessageSeam();
        SetDialogLanguage("german");
    }
    void TearDown() override {
        ResetMessageSeam();
        SetDialogLanguage({});
    }
};

// The buttons of a box from left to right.
std::vector<QPushButton*> ButtonsInRow(QDialog& dialog) {
    auto list = dialog.findChildren<QPushButton*>();
    std::vector<QPushButton*> buttons(list.begin(), list.end());
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    return buttons;
}

QStringList Names(const std::vector<QPushButton*>& buttons) {
    QStringList names;
    for (auto* button : buttons) names.append(button->objectName());
    return names;
}

QPushButton* DefaultOf(QDialog& dialog) {
    for (auto* button : dialog.findChildren<QPushButton*>())
        if (button->isDefault()) return button;
    return nullptr;
}

int EscapeResult(QDialog& dialog) {
    dialog.reject();
    return dialog.result();
}

} // namespace

TEST_F(MessageDialogTest, ButtonsKeepTheFixedOrderWithTranslatedTexts) {
    const TMsgDlgButtons all = mbHelp | mbYesToAll | mbNoToAll | mbAll | mbIgnore | mbRetry | mbAbort |
                               mbCancel | mbOK | mbNo | mbYes;
    auto dialog = CreateMessageDialog("Alles", mtInformation, all);
    ASSERT_TRUE(dialog);
    const auto buttons = ButtonsInRow(*dialog);
    EXPECT_EQ(Names(buttons), (QStringList{"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry",
                                           "mbIgnore", "mbAll", "mbNoToAll", "mbYesToAll", "mbHelp"}));
    QStringList texts;
    for (auto* button : buttons) texts.append(button->text());
    EXPECT_EQ(texts, (QStringList{"Ja", "Nein", "OK", "Abbrechen", "Abbrechen", "Wiederholen", "Ignorieren",
                                  "Alle", "Alle Nein", "Alle Ja", "Hilfe"}));
    EXPECT_EQ(dialog->windowTitle(), "Information");
}

TEST_F(MessageDialogTest, DefaultAndCancelButtonsFollowTheRules) {
    struct Case {
        TMsgDlgButtons Buttons;
        const char* Default;
        int Escape;
    };
    for (const Case& c :
         {Case{mbYesNo, "mbYes", mrNo}, Case{mbOKCancel, "mbOK", mrCancel}, Case{mbOK, "mbOK", mrOk},
          Case{mbYes | mbNo | mbCancel, "mbYes", mrCancel},
          Case{mbAbort | mbRetry | mbIgnore, "mbRetry", mrCancel}, Case{mbYes | mbOK | mbNo, "mbOK", mrNo}}) {
        auto dialog = CreateMessageDialog("?", mtConfirmation, c.Buttons);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(DefaultOf(*dialog));
        EXPECT_EQ(DefaultOf(*dialog)->objectName(), c.Default) << c.Buttons;
        EXPECT_EQ(EscapeResult(*dialog), c.Escape) << c.Buttons;
    }
}

TEST_F(MessageDialogTest, ButtonsCloseWithTheirResultAndHelpStaysOpen) {
    for (auto [name, result] : {std::pair{"mbYes", mrYes}, std::pair{"mbNo", mrNo}, std::pair{"mbAll", mrAll},
                                std::pair{"mbYesToAll", mrYesToAll}}) {
        auto dialog = CreateMessageDialog("?", mtWarning, mbYesNo | mbAll | mbYesToAll | mbHelp);
        dialog->open();
        dialog->findChild<QPushButton*>(name)->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), result);
    }
    auto dialog = CreateMessageDialog("?", mtWarning, mbOK | mbHelp);
    dialog->open();
    dialog->findChild<QPushButton*>("mbHelp")->click();
    EXPECT_TRUE(dialog->isVisible());
    dialog->reject();
}

TEST_F(MessageDialogTest, LayoutWrapsAtHalfTheScreenAndCentresTheButtons) {
    const QString longText = QString("Ein recht langer Satz, der umbrochen werden muss. ").repeated(20);
    auto dialog = CreateMessageDialog(longText, mtWarning, mbYesNo);
    const int halfScreen = QGuiApplication::primaryScreen()->availableGeometry().width() / 2;
    auto* message = dialog->findChild<QLabel*>("Message");
    auto* icon = dialog->findChild<QLabel*>("Image");
    ASSERT_TRUE(message && icon);
    EXPECT_LE(message->width(), halfScreen);
    EXPECT_GT(message->height(), 3 * message->fontMetrics().height()); // wrapped into several lines
    EXPECT_EQ(icon->size(), QSize(32, 32));
    EXPECT_GT(message->x(), icon->geometry().right());
    const auto buttons = ButtonsInRow(*dialog);
    const int left = buttons.front()->x();
    const int right = dialog->width() - buttons.back()->geometry().right() - 1;
    EXPECT_LE(std::abs(left - right), 1);
    EXPECT_GT(buttons.front()->y(), message->geometry().bottom());
    EXPECT_LE(buttons.front()->geometry().bottom(), dialog->height());
    EXPECT_EQ(buttons[0]->width(), buttons[1]->width());
}

TEST_F(MessageDialogTest, PlainBoxHasNoIconAndTheApplicationTitle) {
    SetApplicationTitle("Kelani Freeware 2");
    auto dialog = CreateMessageDialog("Hallo", mtCustom, mbOK);
    SetApplicationTitle({});
    EXPECT_EQ(dialog->findChild<QLabel*>("Image"), nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Kelani Freeware 2");
    EXPECT_LT(dialog->findChild<QLabel*>("Message")->x(), 32); // the text starts at the margin
}

TEST_F(MessageDialogTest, CaptionsPerTypeAndLanguage) {
    EnableMessageSeam();
    for (auto type : {mtWarning, mtError, mtInformation, mtConfirmation}) LngMessageDlg("x", type, mbOK);
    SetDialogLanguage("english");
    for (auto type : {mtWarning, mtError, mtInformation, mtConfirmation}) LngMessageDlg("x", type, mbOK);
    QStringList captions;
    for (const auto& shown : ShownMessages()) captions.append(shown.Caption);
    EXPECT_EQ(captions, (QStringList{"Warnung", "Fehler", "Information", "Bestätigen", "Warning", "Error",
                                     "Information", "Confirmation"}));
}

// Whoever catches a failed save, its box gives the reason in the dialog language and names the
// file; the error's own English text never shows.
TEST_F(MessageDialogTest, EveryFailedSaveIsNamedWithItsReasonInTheDialogLanguage) {
    const QString file = QStringLiteral("/home/j\u00F6rg/fest.kel");
    const std::string path = file.toStdString();
    EnableMessageSeam();
    for (const char* language : {"german", "english"}) {
        SetDialogLanguage(QLatin1String(language));
        for (auto failure : {TSaveFailure::ReadOnly, TSaveFailure::FolderRefuses, TSaveFailure::IsFolder,
                             TSaveFailure::WriteFailed, TSaveFailure::Other}) {
            LngErrorDlg(EFileSaveError(path, failure, "Cannot save file"));
            LngFileErrorDlg(EFileSaveError(path, failure, "Cannot save file"), QStringLiteral("elsewhere"));
        }
        LngFileErrorDlg(EWriteError("A game of 1000001 records cannot be saved"), file);
    }
    const auto& shown = ShownMessages();
    ASSERT_EQ(shown.size(), 22u);
    QStringList texts;
    for (const auto& box : shown) {
        EXPECT_TRUE(box.Text.contains(QLatin1Char('"') + file + QLatin1Char('"'))) << box.Text.toStdString();
        EXPECT_FALSE(box.Text.contains(QStringLiteral("annot save"))) << box.Text.toStdString();
        EXPECT_EQ(box.Type, mtError);
        texts.append(box.Text);
    }
    // Eleven boxes per language: each reason by both calls, then the plain write error.
    for (int first : {0, 11}) {
        for (int k = 0; k < 10; k += 2) EXPECT_EQ(texts[first + k], texts[first + k + 1]) << first + k;
        EXPECT_EQ(texts[first + 10], texts[first + 8]) << "a write error tells what an unknown failure tells";
    }
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), 10) << "five reasons, in two languages";
    EXPECT_TRUE(shown[0].Text.startsWith(QStringLiteral("Die Datei")));
    EXPECT_TRUE(shown[11].Text.startsWith(QStringLiteral("The file")));
}

TEST_F(MessageDialogTest, WithoutTextsTheStandardBoxIsUsed) {
    EnableMessageSeam();
    SetDialogLanguage({});
    LngMessageDlg("a", mtWarning, mbYesNo);
    SetDialogLanguage("french");
    EXPECT_EQ(CreateMessageDialog("b", mtWarning, mbYesNo), nullptr);
    LngMessageDlg("b", mtWarning, mbYesNo);
    SetDialogLanguage("german");
    LngMessageDlg("c", mtWarning, mbYesNo);
    const auto& shown = ShownMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(shown[0].Standard);
    EXPECT_TRUE(shown[1].Standard);
    EXPECT_EQ(shown[1].Buttons, (QStringList{"Yes", "No"}));
    EXPECT_FALSE(shown[2].Standard);
    EXPECT_EQ(shown[2].Buttons, (QStringList{"Ja", "Nein"}));
}

TEST_F(MessageDialogTest, QtsOwnDialogsSpeakTheDialogLanguage) {
    // The texts a player reads in a file dialog: its buttons and the label of the folder list.
    const auto fileDialogTexts = [] {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        return QStringList{dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
                           dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text()};
    };
    EXPECT_EQ(fileDialogTexts(), (QStringList{"Abbrechen", "Suchen in:"}));
    SetDialogLanguage("english");
    EXPECT_EQ(fileDialogTexts(), (QStringList{"Cancel", "Look in:"}));
    SetDialogLanguage("german");
    SetDialogLanguage("german"); // twice in a row changes nothing
    EXPECT_EQ(fileDialogTexts(), (QStringList{"Abbrechen", "Suchen in:"}));
}

// The game's file dialog writes a saved game's date and size in the game's language, whatever the
// desktop's, and shows every column whole, the date included. Set KELANI_SCREENS to a folder to
// keep a picture of each for review.
TEST_F(MessageDialogTest, TheFileDialogWritesDatesInTheGameLanguageAndCutsNoColumn) {
    QTemporaryDir folder;
    QFile game(folder.filePath(QStringLiteral("partie mit anna.kel")));
    ASSERT_TRUE(game.open(QIODevice::WriteOnly));
    game.write(QByteArray(1500, 'k'));
    game.close();
    ASSERT_TRUE(game.open(QIODevice::ReadOnly));
    ASSERT_TRUE(
        game.setFileTime(QDateTime(QDate(2023, 12, 24), QTime(9, 5)), QFileDevice::FileModificationTime));
    game.close();
    const struct {
        const char* language;
        const char* size;
        const char* date;
        const char* png;
    } languages[] = {{"german", "1,46 KiB", "24.12.23 09:05", "filedialog_de.png"},
                     {"english", "1.46 KiB", "24/12/2023 09:05", "filedialog_en.png"}};
    for (const auto& l : languages) {
        SetDialogLanguage(QLatin1String(l.language));
        TFileDialog dialog(TFileDialog::TKind::Open);
        dialog.Filter = QStringLiteral("Kelani (*.kel)|*.kel");
        dialog.InitialDir = folder.path();
        QStringList row;
        bool whole = false;
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            auto* list = shown->findChild<QTreeView*>(QStringLiteral("treeView"));
            ASSERT_NE(list, nullptr);
            QAbstractItemModel& files = *list->model();
            // The folder is read on a thread of its own; the columns fit once it is in.
            EXPECT_TRUE(QTest::qWaitFor([&] { return files.rowCount(list->rootIndex()) == 1; }));
            QTest::qWait(50);
            for (int column = 0; column < files.columnCount(list->rootIndex()); ++column)
                row << files.index(0, column, list->rootIndex()).data().toString();
            const QHeaderView& head = *list->header();
            whole = head.length() <= list->viewport()->width();
            for (int column = 0; column < head.count(); ++column)
                whole &= head.sectionSize(column) >= head.sectionSizeHint(column) &&
                         head.sectionSize(column) > list->fontMetrics().horizontalAdvance(row[column]);
            const QString screens = qEnvironmentVariable("KELANI_SCREENS");
            if (!screens.isEmpty()) shown->grab().save(QDir(screens).filePath(QLatin1String(l.png)));
            shown->reject();
        });
        EXPECT_FALSE(dialog.Execute(nullptr));
        ASSERT_EQ(row.size(), 4) << l.language;
        EXPECT_EQ(row[0], QStringLiteral("partie mit anna.kel"));
        EXPECT_EQ(row[1], QLatin1String(l.size));
        EXPECT_EQ(row[3], QLatin1String(l.date));
        EXPECT_TRUE(whole) << l.language << ": a column is cut";
    }
}

TEST_F(MessageDialogTest, SeamAnswersInOrderThenWithTheDefaultButton) {
    QueueMessageAnswer(mrNo);
    QueueMessageAnswer(mrCancel);
    EXPECT_EQ(LngMessageDlg("1", mtConfirmation, mbYesNo), mrNo);
    EXPECT_EQ(LngMessageDlg("2", mtConfirmation, mbOKCancel), mrCancel);
    EXPECT_EQ(LngMessageDlg("3", mtConfirmation, mbYesNo), mrYes);
    EXPECT_EQ(LngMessageDlg("4", mtError, mbOK), mrOk);
    EXPECT_EQ(LngMessageDlg("5", mtError, mbIgnore), mrCancel);
    ASSERT_EQ(ShownMessages().size(), 5u);
    EXPECT_EQ(ShownMessages()[1].DefaultButton, "OK");
    EXPECT_EQ(ShownMessages()[3].Text, "4");
    ResetMessageSeam();
    EXPECT_TRUE(ShownMessages().empty());
}

// Renders both languages for review; set KELANI_SCREENS to a folder to keep the pictures.
TEST_F(MessageDialogTest, RendersGermanAndEnglishBoxes) {
    const QString folder = qEnvironmentVariable("KELANI_SCREENS");
    for (auto [language, name] :
         {std::pair{"german", "messagebox_de.png"}, std::pair{"english", "messagebox_en.png"}}) {
        SetDialogLanguage(language);
        QObject owner;
        TMultiLanguage script(&owner);
        script.LoadScript("TfNewGame");
        script.SetLanguage(language);
        auto dialog = CreateMessageDialog(script.GetString("msgnoemail"), mtWarning, mbYesNo);
        const QPixmap picture = dialog->grab();
        EXPECT_EQ(picture.size(), dialog->size());
        if (!folder.isEmpty()) {
            EXPECT_TRUE(picture.save(QDir(folder).filePath(name)));
        }
    }
}
