#include "app/ufLanguage.h"

#include "app/lngDialogs.h"
#include "settings/uIniFile.h"

#include "tests/support/TempFolder.h"
#include "tests/support/TestApp.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

class LanguageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        ResetMessageSeam();
        SetDialogLanguage(QString()); // the first start, before any language is chosen
    }
    void TearDown() override { ResetMessageSeam(); }

    std::string Stored() const {
        return TIniFile(folder.File("settings.ini")).ReadString("settings", "language", "<none>");
    }

    test::TempFolder folder;
};

} // namespace

TEST_F(LanguageDialogTest, ShowsBilingualTextsAtTheDesignedSize) {
    TfLanguage dialog(folder.Path());
    EXPECT_EQ(dialog.windowTitle(), "KELANI (R)");
    EXPECT_EQ(dialog.size(), QSize(330, 193));
    EXPECT_EQ(dialog.findChild<QPushButton*>("bGerman")->text(), "Deutsch / German");
    EXPECT_EQ(dialog.findChild<QPushButton*>("bEnglish")->text(), "Englisch / English");
    EXPECT_EQ(dialog.findChild<QLabel*>("lDescHead")->text(), "Sprache / Language:");
    EXPECT_EQ(dialog.findChild<QLabel*>("lDesc")->text(),
              QString::fromUtf8("Wählen Sie Ihre Sprache.\nPlease choose your language."));
    EXPECT_TRUE(dialog.ChosenLanguage().isEmpty());
    // Set KELANI_SCREENS to a folder to keep a picture for review.
    const QString screens = qEnvironmentVariable("KELANI_SCREENS");
    const QPixmap picture = dialog.grab();
    EXPECT_EQ(picture.size(), QSize(330, 193));
    if (!screens.isEmpty()) {
        EXPECT_TRUE(picture.save(QDir(screens).filePath("language_dialog.png")));
    }
}

TEST_F(LanguageDialogTest, RefusesToCloseWithoutAChoiceButStoresTheEmptyValue) {
    TfLanguage dialog(folder.Path());
    dialog.open();
    EXPECT_FALSE(dialog.close());
    dialog.reject(); // Esc
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Stored(), "");
    dialog.findChild<QPushButton*>("bEnglish")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.ChosenLanguage(), "english");
    EXPECT_EQ(Stored(), "english");
}

TEST_F(LanguageDialogTest, GermanChoiceIsWrittenIntoSettings) {
    TfLanguage dialog(folder.Path());
    dialog.open();
    dialog.findChild<QPushButton*>("bGerman")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(), "german");
}

// The box names the file in the language just chosen.
TEST_F(LanguageDialogTest, RefusedWriteIsReportedAndTheChoiceStillCloses) {
    const QString file = QString::fromStdString(folder.File("missing/settings.ini"));
    for (const auto& [button, text] :
         {std::pair{"bGerman",
                    QStringLiteral("Die Datei \"%1\" kann nicht gespeichert werden: der Ordner fehlt, "
                                   "oder er nimmt keine neuen Dateien auf.")},
          std::pair{"bEnglish",
                    QStringLiteral("The file \"%1\" cannot be saved: its folder is missing or does "
                                   "not accept new files.")}}) {
        ResetMessageSeam();
        EnableMessageSeam();
        TfLanguage dialog(folder.File("missing"));
        dialog.open();
        dialog.findChild<QPushButton*>(button)->click();
        EXPECT_FALSE(dialog.isVisible());
        ASSERT_EQ(ShownMessages().size(), 1u);
        EXPECT_EQ(ShownMessages()[0].Type, mtError);
        EXPECT_EQ(ShownMessages()[0].Text, text.arg(file));
        EXPECT_FALSE(ShownMessages()[0].Standard) << "captions and buttons in that language too";
    }
}
