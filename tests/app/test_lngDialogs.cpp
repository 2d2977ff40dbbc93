#include "app/lngDialogs.h"

#include "app/MultiLanguage.h"
#include "base/uAtomicSave.h"
#include "components/uPlatform.h"
#include "streams/uJwStreamBase.h"

#include "tests/support/TestApp.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
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
