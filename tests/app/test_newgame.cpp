#include "app/ufNewGame.h"
#include "components/MultiLanguage.h"
#include "components/uRadioGroup.h"
#include "tests/app/GuiTestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace kelani;
using namespace kelani::testing;

namespace {

class NewGameDialog : public GuiTest {
protected:
    // Shows the dialog, lets `act` work on it while it is open, then presses `button`.
    bool Run(TfNewGame& dialog, const std::function<void()>& act, const char* button = "bbOK") {
        QTimer::singleShot(0, [&] {
            act();
            dialog.findChild<QPushButton*>(QLatin1String(button))->click();
            // A refused OK keeps the dialog open; cancel it so the test goes on.
            if (dialog.isVisible()) dialog.bbCancel->click();
        });
        return dialog.ShowDialog();
    }
    // Opens a fresh dialog in `language`, lets `look` work on it while it is open, then cancels it.
    void OpenAndCancel(const char* language, const std::function<void(TfNewGame&)>& look) {
        TfNewGame dialog;
        dialog.lng->SetLanguage(QLatin1String(language));
        Run(
            dialog, [&] { look(dialog); }, "bbCancel");
    }
};

// Types each character as a key press carrying that text, as a keyboard would deliver it.
void Type(QWidget* field, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

} // namespace

TEST_F(NewGameDialog, FreshInstallationShowsTheDefaults) {
    OpenAndCancel("german", [](TfNewGame& dialog) {
        EXPECT_EQ(dialog.rgDiff->ItemIndex(), 0);
        EXPECT_EQ(dialog.rgModus->ItemIndex(), 0);
        EXPECT_EQ(dialog.rgVarianten->ItemIndex(), 0);
        EXPECT_EQ(dialog.seStoneCount->value(), 4);
        EXPECT_TRUE(dialog.cbuseStrinmulde->isChecked());
        EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("Spieler1"));
        EXPECT_EQ(dialog.eSp2->text(), QStringLiteral("Spieler2"));
        EXPECT_EQ(dialog.cbLand1->count(), 114);
        EXPECT_EQ(dialog.cbLand1->currentText(), QStringLiteral("keine Angabe"));
        EXPECT_EQ(dialog.rgModus->title(), QStringLiteral(" Modus "));
    });
    EXPECT_TRUE(ReadSettings().isEmpty()) << "a cancelled dialog writes nothing";
}

TEST_F(NewGameDialog, ConfirmedChoicesAreStoredAndShownAgain) {
    {
        TfNewGame dialog;
        dialog.lng->SetLanguage(QStringLiteral("german"));
        QueueMessageAnswer(mrYes);
        EXPECT_TRUE(Run(dialog, [&] {
            dialog.rgModus->ClickItem(1);
            EXPECT_EQ(dialog.rgDiff->Items(),
                      QStringList({QStringLiteral("Anf\u00E4nger"), QStringLiteral("Mittelm\u00E4\u00DFig"),
                                   QStringLiteral("Profi"), QStringLiteral("Meister")}));
            dialog.rgDiff->ClickItem(3);
            dialog.rgVarianten->ClickItem(2);
            dialog.seStoneCount->setValue(7);
            dialog.cbuseStrinmulde->setChecked(false);
            dialog.eSp2->setText(QStringLiteral("J\u00F6rg"));
            dialog.eMail2->setText(QStringLiteral("j@example.org"));
            dialog.cbLand2->setCurrentIndex(22);
        }));
    }
    const QByteArray ini = ReadSettings();
    EXPECT_TRUE(ini.contains("variant=5")) << ini.constData();
    EXPECT_TRUE(ini.contains("difficulty=3")) << "the Master is stored as the fourth level";
    EXPECT_TRUE(ini.contains("name2=J\xF6rg")) << "names are stored in Windows-1252";
    EXPECT_LT(ini.indexOf("difficulty="), ini.indexOf("land2=")) << "written in the designed order";

    OpenAndCancel("english", [](TfNewGame& again) {
        EXPECT_EQ(again.rgModus->ItemIndex(), 1);
        EXPECT_EQ(again.rgDiff->ItemIndex(), 3);
        EXPECT_EQ(again.rgDiff->Items().value(3), QStringLiteral("Master"));
        EXPECT_EQ(again.rgVarianten->ItemIndex(), 2);
        EXPECT_EQ(again.seStoneCount->value(), 7);
        EXPECT_FALSE(again.cbuseStrinmulde->isChecked());
        EXPECT_EQ(again.eSp1->text(), QStringLiteral("Computer 1"));
        EXPECT_EQ(again.eSp2->text(), QStringLiteral("J\u00F6rg"));
        EXPECT_EQ(again.cbLand2->currentText(), QStringLiteral("Germany")) << "same index in either language";
        EXPECT_EQ(again.LandKey(22), QStringLiteral("deutschland"));
        EXPECT_EQ(again.LandKey(45), QStringLiteral("jordanien ")) << "the trailing blank is part of the key";
        EXPECT_EQ(again.LandKey(114), QString());
    });
}

TEST_F(NewGameDialog, StoredIndexesOutsideTheirListsFallBackToValidChoices) {
    WriteSettings("[newgame]\ndifficulty=-4\nmode=9\nvariant=6\nstones=12\nland1=500\nland2=-1\n");
    OpenAndCancel("german", [](TfNewGame& dialog) {
        EXPECT_EQ(dialog.rgDiff->ItemIndex(), 0);
        EXPECT_EQ(dialog.rgModus->ItemIndex(), 2);
        EXPECT_EQ(dialog.rgVarianten->ItemIndex(), 2);
        EXPECT_EQ(dialog.seStoneCount->value(), 8);
        EXPECT_EQ(dialog.cbLand1->currentIndex(), 0);
        EXPECT_EQ(dialog.cbLand2->currentIndex(), 0);
    });
}

TEST_F(NewGameDialog, VariantFiveNeedsFourStones) {
    WriteSettings("[newgame]\nvariant=4\nstones=7\n");
    OpenAndCancel("german", [](TfNewGame& dialog) {
        EXPECT_EQ(dialog.seStoneCount->value(), 4) << "a stored Variante 5 opens with 4 stones";
        dialog.seStoneCount->setValue(6);
        dialog.rgVarianten->ClickItem(2);
        EXPECT_EQ(dialog.seStoneCount->value(), 3);
        dialog.seStoneCount->setValue(6);
        dialog.rgVarianten->ClickItem(0);
        EXPECT_EQ(dialog.seStoneCount->value(), 6) << "between Variante 4 and 6 the count stays";
        dialog.rgVarianten->ClickItem(1);
        EXPECT_EQ(dialog.seStoneCount->value(), 4);
        EXPECT_EQ(dialog.seStoneCount->minimum(), 4);
    });
}

TEST_F(NewGameDialog, ModesSetComputerNamesAndLockTheirFields) {
    OpenAndCancel("german", [](TfNewGame& dialog) {
        dialog.rgModus->ClickItem(2);
        EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("Computer 1"));
        EXPECT_EQ(dialog.eSp2->text(), QStringLiteral("Computer 2"));
        for (QWidget* field : {(QWidget*)dialog.eSp1, (QWidget*)dialog.eMail1, (QWidget*)dialog.cbLand1,
                               (QWidget*)dialog.eSp2, (QWidget*)dialog.eMail2, (QWidget*)dialog.cbLand2})
            EXPECT_FALSE(field->isEnabled()) << field->objectName().toStdString();
        dialog.rgModus->ClickItem(0);
        EXPECT_TRUE(dialog.eSp1->isEnabled());
        EXPECT_EQ(dialog.eSp2->text(), QStringLiteral("Computer 2")) << "names stay when humans return";
    });
}

TEST_F(NewGameDialog, NameFieldAcceptsOnlyTypedLetters) {
    TfNewGame dialog;
    dialog.eSp1->clear();
    dialog.show();
    Type(dialog.eSp1, QStringLiteral("A1 b"));
    EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("Ab"));
    Type(dialog.eSp1, QStringLiteral("\u00E4\u00C4\u00DF-x"));
    EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("Ab\u00E4\u00DFx"));
    QTest::keyClick(dialog.eSp1, Qt::Key_Backspace);
    EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("Ab\u00E4\u00DF"));
    Type(dialog.eSp1, QStringLiteral("abcdefghij"));
    EXPECT_EQ(dialog.eSp1->text().size(), 10);
    EXPECT_FALSE(NameCharAllowed(QChar(0xD6)));
    EXPECT_TRUE(NameCharAllowed(QChar(0xFC)));
}

TEST_F(NewGameDialog, TabFollowsTheRowsAsTheyAreReadInBothLanguages) {
    const QStringList rows{"eSp1",    "eMail1", "cbLand1",     "eSp2",         "eMail2",          "cbLand2",
                           "rgModus", "rgDiff", "rgVarianten", "seStoneCount", "cbuseStrinmulde", "bbOK",
                           "bbCancel"};
    for (const char* language : {"german", "english"}) {
        TfNewGame dialog;
        dialog.lng->SetLanguage(QLatin1String(language));
        QStringList visited;
        Run(
            dialog,
            [&] {
                dialog.eSp1->setFocus();
                for (int presses = 0; presses < 40 && visited.size() < rows.size(); ++presses) {
                    // A radio button counts as its group, an inner field as its control.
                    QWidget* at = dialog.focusWidget();
                    while (at && !rows.contains(at->objectName())) at = at->parentWidget();
                    if (at && (visited.isEmpty() || visited.last() != at->objectName()))
                        visited << at->objectName();
                    QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                }
            },
            "bbCancel");
        EXPECT_EQ(visited, rows) << language;
    }
}

TEST_F(NewGameDialog, PastedAndInputMethodTextPassTheSameFilterAsTypedLetters) {
    TfNewGame dialog;
    dialog.show();
    dialog.eSp1->clear();
    QApplication::clipboard()->setText(QStringLiteral("12 Jo-e"));
    QTest::keyClick(dialog.eSp1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("Joe"));
    dialog.eSp1->setCursorPosition(1);
    dialog.eSp1->paste();
    EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("JJoeoe"));
    EXPECT_EQ(dialog.eSp1->cursorPosition(), 4);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ä 9ß"));
    QApplication::sendEvent(dialog.eSp1, &commit);
    EXPECT_EQ(dialog.eSp1->text(), QStringLiteral("JJoeäßoe"));
    // A stored name keeps its digit when letters are pasted into it; a paste of nothing but
    // refused characters changes nothing.
    dialog.eSp2->setText(QStringLiteral("Spieler2"));
    dialog.eSp2->setCursorPosition(7);
    QApplication::clipboard()->setText(QStringLiteral("x1"));
    dialog.eSp2->paste();
    EXPECT_EQ(dialog.eSp2->text(), QStringLiteral("Spielerx2"));
    QApplication::clipboard()->setText(QStringLiteral("7 8"));
    dialog.eSp2->paste();
    EXPECT_EQ(dialog.eSp2->text(), QStringLiteral("Spielerx2"));
}

TEST_F(NewGameDialog, ShortNameIsRefusedBeforeAnyOtherCheck) {
    TfNewGame dialog;
    dialog.lng->SetLanguage(QStringLiteral("german"));
    QueueMessageAnswer(mrOk);
    EXPECT_FALSE(Run(dialog, [&] {
        dialog.rgModus->ClickItem(2);
        dialog.eSp2->setText(QStringLiteral("Jo"));
    }));
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtError);
    EXPECT_TRUE(ShownMessages()[0].Text.contains(QStringLiteral("mindestens 3 Zeichen")));
    EXPECT_TRUE(ReadSettings().isEmpty());
}

TEST_F(NewGameDialog, MissingAddressWarningDependsOnMode) {
    TfNewGame dialog;
    dialog.lng->SetLanguage(QStringLiteral("german"));
    QueueMessageAnswer(mrNo);
    EXPECT_FALSE(Run(dialog, [&] {
        dialog.rgModus->ClickItem(1);
        dialog.eMail2->clear();
    })) << "No keeps the dialog open";
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtWarning);

    ResetMessageSeam();
    QueueMessageAnswer(mrNo);
    EXPECT_TRUE(Run(dialog, [&] {
        dialog.rgModus->ClickItem(1);
        dialog.eMail1->clear();
        dialog.eMail2->setText(QStringLiteral("b@example.org"));
    })) << "the computer's empty address is not asked about";
    EXPECT_TRUE(ShownMessages().empty());

    QueueMessageAnswer(mrNo);
    EXPECT_TRUE(Run(dialog, [&] { dialog.rgModus->ClickItem(2); }));
    EXPECT_TRUE(ShownMessages().empty());
}
