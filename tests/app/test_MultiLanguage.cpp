#include "components/MultiLanguage.h"

#include "app/lngDialogs.h"

#include "tests/support/TestApp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

// Stands for a component with a published language and a published sub-object.
class TAboutLike : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString language MEMBER language)
    Q_PROPERTY(QObject* details READ Details)
    Q_PROPERTY(QString caption MEMBER caption)
public:
    explicit TAboutLike(QObject* parent) : QObject(parent), details_(new QLabel) {
        details_->setObjectName("inner");
    }
    ~TAboutLike() override { delete details_; }
    QObject* Details() const { return details_; }
    QString language;
    QString caption;

private:
    QLabel* details_;
};

// A window with one component of each kind the scripts address.
class TTestWindow : public QMainWindow {
public:
    TTestWindow() {
        setObjectName("TfTest");
        miSpiel = menuBar()->addMenu("x");
        miSpiel->setObjectName("miSpiel");
        aEmail = new QAction("x", this);
        aEmail->setObjectName("aEmail");
        miSpiel->addAction(aEmail);
        auto* central = new QWidget(this);
        setCentralWidget(central);
        lDesc = Make<QLabel>(central, "lDesc");
        rgModus = Make<QGroupBox>(central, "rgModus");
        cbLand1 = Make<QComboBox>(central, "cbLand1");
        cbLand1->addItems({"a", "b", "c"});
        cbLand1->setCurrentIndex(1);
        seStoneCount = Make<QSpinBox>(central, "seStoneCount");
        seStoneCount->setRange(3, 8);
        cbuseStrinmulde = Make<QCheckBox>(central, "cbuseStrinmulde");
        cbuseStrinmulde->setChecked(true);
        id = new TAboutLike(this);
        id->setObjectName("id");
        lng = new TMultiLanguage(this);
        lng->setObjectName("lng");
    }

    template <class T> static T* Make(QWidget* parent, const char* name) {
        auto* widget = new T(parent);
        widget->setObjectName(name);
        return widget;
    }

    QMenu* miSpiel;
    QAction* aEmail;
    QLabel* lDesc;
    QGroupBox* rgModus;
    QComboBox* cbLand1;
    QSpinBox* seStoneCount;
    QCheckBox* cbuseStrinmulde;
    TAboutLike* id;
    TMultiLanguage* lng;
};

QStringList RadioTexts(QGroupBox* box) {
    QStringList texts;
    for (auto* button : box->findChildren<QRadioButton*>())
        if (!button->isHidden()) texts.append(button->text());
    return texts;
}

class MultiLanguageTest : public ::testing::Test {
protected:
    QApplication& app = test::App(); // before any widget
    TTestWindow window;
};

} // namespace

TEST_F(MultiLanguageTest, CaptionsReachWindowMenuLabelGroupAndActionWithoutLetterCase) {
    window.lng->SetScript({"[german]", "Caption=Fenster", "MISPIEL.Caption=Spiel", "aEMail.Caption=E-Mail",
                           "ldesc.caption='Zeile 1\\nZeile 2'", "rgModus.Caption=' Modus '",
                           "lDesc.Hint=Tipp"});
    window.lng->SetLanguage("german");
    EXPECT_EQ(window.windowTitle(), "Fenster");
    EXPECT_EQ(window.miSpiel->title(), "Spiel");
    EXPECT_EQ(window.aEmail->text(), "E-Mail");
    EXPECT_EQ(window.lDesc->text(), "Zeile 1\nZeile 2");
    EXPECT_EQ(window.rgModus->title(), " Modus ");
    EXPECT_EQ(window.lDesc->toolTip(), "Tipp");
}

TEST_F(MultiLanguageTest, ItemsFillRadioGroupsAndCombos) {
    window.lng->SetScript({"[german]",
                           "rgModus.Items=Mensch - Mensch\\nComputer - Mensch\\nComputer - Computer",
                           "cbLand1.Items=x\\ny\\nz\\nw"});
    window.lng->SetLanguage("german");
    EXPECT_EQ(RadioTexts(window.rgModus),
              (QStringList{"Mensch - Mensch", "Computer - Mensch", "Computer - Computer"}));
    EXPECT_EQ(window.cbLand1->count(), 4);
    EXPECT_EQ(window.cbLand1->currentIndex(), 1); // the choice survives a change of language

    window.lng->SetScript({"[german]", "rgModus.Items=eins\\nzwei"});
    EXPECT_EQ(RadioTexts(window.rgModus), (QStringList{"eins", "zwei"}));
}

TEST_F(MultiLanguageTest, NumbersNamesBooleansAndNestedObjects) {
    window.lng->SetScript({"[german]", "seStoneCount.Value=$6", "cbuseStrinmulde.Checked=False",
                           "id.language=german", "lDesc.Font.Color=clRed", "lDesc.Cursor=crHandPoint",
                           "id.details.text=innen", "lDesc.Font.Style=[fsBold]", "id.Caption=Info"});
    window.lng->SetLanguage("german");
    EXPECT_EQ(window.seStoneCount->value(), 6);
    EXPECT_FALSE(window.cbuseStrinmulde->isChecked());
    EXPECT_EQ(window.id->language, "german");
    EXPECT_EQ(window.lDesc->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window.lDesc->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(qobject_cast<QLabel*>(window.id->Details())->text(), "innen");
    EXPECT_TRUE(window.lDesc->font().bold());
    EXPECT_EQ(window.id->caption, "Info"); // a component's own caption property
}

TEST_F(MultiLanguageTest, UnknownNamesAndBadValuesAreIgnored) {
    window.lDesc->setText("bleibt");
    window.seStoneCount->setValue(4);
    window.lng->SetScript({"[german]", "lDesc", "nothere.Caption=x", "lDesc.NoSuchProperty=x",
                           "seStoneCount.Value=abc", "cbuseStrinmulde.Checked=vielleicht",
                           "lDesc.Font.Color=clNoColour", "msgquit=Beenden?", "lDesc.Font.Size=0",
                           "id.details=x", "seStoneCount.Value=5"});
    window.lng->SetLanguage("german");
    EXPECT_EQ(window.lDesc->text(), "bleibt");
    EXPECT_EQ(window.seStoneCount->value(), 5);
    EXPECT_TRUE(window.cbuseStrinmulde->isChecked());
    EXPECT_EQ(window.lng->GetString("msgquit"), "Beenden?");
}

TEST_F(MultiLanguageTest, GetStringIsExactAndFollowsTheLanguage) {
    int translations = 0;
    TMultiLanguage* sender = nullptr;
    window.lng->OnTranslate = [&](TMultiLanguage* s) {
        ++translations;
        sender = s;
    };
    window.lng->SetScript({"[German]", "msgquit=Beenden?", "two='a\\nb'", "[english]", "msgquit=Quit?"});
    window.lng->SetLanguage("GERMAN");
    EXPECT_EQ(window.lng->GetString("msgquit"), "Beenden?");
    EXPECT_EQ(window.lng->GetString("MsgQuit"), "");
    EXPECT_EQ(window.lng->GetString("two"), "a\nb");
    window.lng->SetLanguage("english");
    EXPECT_EQ(window.lng->GetString("msgquit"), "Quit?");
    window.lng->SetLanguage("french");
    EXPECT_EQ(window.lng->GetString("msgquit"), "");
    EXPECT_TRUE(window.lng->Lines().empty());
    EXPECT_EQ(translations, 4); // the script assignment and three languages
    EXPECT_EQ(sender, window.lng);
}

TEST_F(MultiLanguageTest, UmlautsSurviveTheSingleByteScript) {
    window.lng->SetScript({"[german]", "lDesc.Caption=Über Mittelmäßig ß ®"});
    window.lng->SetLanguage("german");
    EXPECT_EQ(window.lDesc->text(), QString::fromUtf8("Über Mittelmäßig ß ®"));
    EXPECT_EQ(window.lng->Script().at(1), QString::fromUtf8("lDesc.Caption=Über Mittelmäßig ß ®"));
}

TEST_F(MultiLanguageTest, SwitchingToEnglishRecaptionsTheMainWindowAndTheMessageBoxes) {
    auto* aNewGame = new QAction(&window);
    aNewGame->setObjectName("aNewGame");
    auto* miEnglish = new QAction(&window);
    miEnglish->setObjectName("miEnglish");
    window.lng->OnTranslate = [](TMultiLanguage* lng) { SetDialogLanguage(lng->Language()); };
    window.lng->LoadScript("TfSpielfeld");
    window.lng->SetLanguage("german");
    EXPECT_EQ(window.windowTitle(), "KELANI (R) Freeware Nr. 2");
    // The underlined letters of the menus survive the script loader.
    EXPECT_EQ(window.miSpiel->title(), "&Spiel");
    EXPECT_EQ(aNewGame->text(), "&neues Spiel");
    EXPECT_EQ(window.aEmail->text(), "&E-Mail");
    EXPECT_EQ(window.id->language, "german");
    EnableMessageSeam();
    LngMessageDlg(window.lng->GetString("msgquit"), mtConfirmation, mbYesNo);

    window.lng->SetLanguage("english");
    EXPECT_EQ(window.windowTitle(), "KELANI (R) Freeware No. 2");
    EXPECT_EQ(window.miSpiel->title(), "&Game");
    EXPECT_EQ(aNewGame->text(), "&new game");
    EXPECT_EQ(window.aEmail->text(), "&eMail");
    EXPECT_EQ(miEnglish->text(), "&English");
    EXPECT_EQ(window.id->language, "english");
    LngMessageDlg(window.lng->GetString("msgquit"), mtConfirmation, mbYesNo);

    const auto& shown = ShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Buttons, (QStringList{"Ja", "Nein"}));
    EXPECT_EQ(shown[0].Text, "Wollen Sie KELANI (R) wirklich beenden?");
    EXPECT_EQ(shown[1].Buttons, (QStringList{"Yes", "No"}));
    EXPECT_EQ(shown[1].Caption, "Confirmation");
    EXPECT_EQ(shown[1].Text, "Do you want to quit KELANI (R) ?");
    ResetMessageSeam();
    SetDialogLanguage({});
}

#include "test_MultiLanguage.moc"
