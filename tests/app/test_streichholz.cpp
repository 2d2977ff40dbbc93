#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "components/uFormat.h"
#include "game/uRandom.h"
#include "tests/app/GuiTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <vector>

using namespace kelani;
using namespace kelani::testing;

namespace {

class LotDialog : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        SetWaitSpeedUp(1000); // the 5 s result pause becomes 5 ms
    }
    void TearDown() override {
        SharedRandom().SetClock(TimeOfDayMs);
        GuiTest::TearDown();
    }

    // One draw by pressing `button` in a dialog for Anna (player 1) and Bert (player 2).
    bool Draw(const char* button, const QString& language = QStringLiteral("german"),
              const QString& playerTwo = QStringLiteral("Bert")) {
        TfStreichholz dialog;
        dialog.lng->SetLanguage(language);
        dialog.PlayerOneName = QStringLiteral("Anna");
        dialog.PlayerTwoName = playerTwo;
        QTimer::singleShot(0, [&] { dialog.findChild<QPushButton*>(QLatin1String(button))->click(); });
        dialog.exec();
        EXPECT_TRUE(dialog.DrawDone);
        lastPicture_ = dialog.iStreichholz->pixmap().toImage();
        return dialog.GuessedRight;
    }

    QImage lastPicture_;
};

bool HasWhitePixelsAtTop(const QImage& picture) {
    int white = 0;
    for (int y = 5; y < 50; ++y)
        for (int x = 10; x < picture.width() - 10; ++x) white += picture.pixel(x, y) == qRgb(255, 255, 255);
    return white > 50;
}

// Rows of the picture holding white text: the matchstick pictures are dark where the message goes.
std::vector<int> TextRows(const QImage& picture) {
    std::vector<int> rows;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200) {
                rows.push_back(y);
                break;
            }
        }
    return rows;
}

} // namespace

TEST_F(LotDialog, TheWholeResultFitsTheDarkTopWithTheLongestNames) {
    SharedRandom().SetClock([] { return 0u; }); // the long matchstick: player 2 wins
    // The message area is rows 5 to 49; a clipped last line reaches its bottom row.
    for (const char* language : {"german", "english"})
        for (const char* name : {"Computer 1", "WWWWWWWWWW", "mmmmmmmmmm", "Anna"}) {
            Draw("bLeft", QLatin1String(language), QLatin1String(name));
            const std::vector<int> rows = TextRows(lastPicture_);
            ASSERT_FALSE(rows.empty()) << language << " " << name;
            EXPECT_GE(rows.front(), 5) << language << " " << name;
            EXPECT_LT(rows.back(), 49) << language << " " << name << ": the last line is cut off";
        }
}

TEST_F(LotDialog, TheDescriptionShowsAllItsLinesWithTheLongestNames) {
    for (const char* language : {"german", "english"}) {
        TfStreichholz dialog;
        dialog.lng->SetLanguage(QLatin1String(language));
        dialog.lDesc->setText(
            FormatText(dialog.lDesc->text(), {QStringLiteral("WWWWWWWWWW"), QStringLiteral("Computer 1")}));
        dialog.show();
        QApplication::processEvents();
        EXPECT_GE(dialog.lDesc->height(), dialog.lDesc->heightForWidth(dialog.lDesc->width())) << language;
        EXPECT_GE(dialog.height(), 431) << language;
        EXPECT_TRUE(dialog.rect().contains(dialog.bRight->geometry())) << language;
    }
}

TEST_F(LotDialog, OutcomeIsAFairCoinWhicheverButtonIsPressed) {
    uint32_t tick = 12345;
    SharedRandom().SetClock([&] { return tick += 1; });
    for (const char* button : {"bLeft", "bRight"}) {
        int guessed = 0;
        constexpr int draws = 60;
        for (int i = 0; i < draws; ++i) guessed += Draw(button);
        EXPECT_GT(guessed, draws / 4) << button;
        EXPECT_LT(guessed, draws * 3 / 4) << button;
    }
}

TEST_F(LotDialog, SameSeedGivesSameResultOnEitherButton) {
    for (uint32_t seed : {1u, 2u, 77u, 1000u}) {
        SharedRandom().SetClock([=] { return seed; });
        EXPECT_EQ(Draw("bLeft"), Draw("bRight")) << seed;
    }
}

TEST_F(LotDialog, DescriptionNamesTheGuesserFirstAndResultIsWrittenOnThePicture) {
    TfStreichholz dialog;
    dialog.lng->SetLanguage(QStringLiteral("german"));
    dialog.lDesc->setText(FormatText(dialog.lDesc->text(), {QStringLiteral("Bert"), QStringLiteral("Anna")}));
    const QStringList lines = dialog.lDesc->text().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("Bert")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("Anna")));

    SharedRandom().SetClock([] { return 0u; }); // seed 0 draws 0: the long matchstick
    EXPECT_TRUE(Draw("bRight"));
    EXPECT_TRUE(HasWhitePixelsAtTop(lastPicture_));
}

TEST_F(LotDialog, RefusesToCloseBeforeTheDraw) {
    TfStreichholz dialog;
    dialog.show();
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    dialog.done(QDialog::Accepted);
    EXPECT_TRUE(dialog.isVisible());
    dialog.DrawDone = true;
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(LotDialog, UnreadableMatchstickPicturesStillGiveAResult) {
    QFile::remove(FilePath(QStringLiteral("holz.gfx")));
    QueueMessageAnswer(mrOk);
    SharedRandom().SetClock([] { return 0u; });
    EXPECT_TRUE(Draw("bLeft"));
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtError);
    EXPECT_EQ(ShownMessages()[0].Text, QStringLiteral("Die Datei \"%1\" kann nicht ge\u00F6ffnet werden.")
                                           .arg(FilePath(QStringLiteral("holz.gfx"))));
    EXPECT_TRUE(HasWhitePixelsAtTop(lastPicture_)) << "the message is still shown";
}
