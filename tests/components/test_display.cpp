#include "components/uAboutBox.h"
#include "components/uDialogHeader.h"
#include "components/uFileDialog.h"
#include "components/uFolders.h"
#include "components/uFormat.h"
#include "components/uHtmlHint.h"
#include "components/uRadioGroup.h"
#include "components/uSplash.h"
#include "components/uTextConversion.h"
#include "components/uWait.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

int argc = 1;
char arg0[] = "test_display";
char* argv[] = {arg0, nullptr};
QApplication app(argc, argv);

QImage RedSquare() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

int CountRedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == qRgb(255, 0, 0);
    return n;
}

} // namespace

TEST(HtmlLabel, IndexedPictureIsDrawnAndTakesRoom) {
    THtmlLabel label;
    label.SetImages({RedSquare()});
    label.SetHtml(QStringLiteral("<IMG src=\"idx:0\" align=\"middle\"> <b>7</b> Steine"));
    const QImage withPicture = label.grab().toImage();
    EXPECT_EQ(CountRedPixels(withPicture), 16 * 16);

    THtmlLabel plain;
    plain.SetHtml(QStringLiteral("<b>7</b> Steine"));
    EXPECT_GT(label.sizeHint().width(), plain.sizeHint().width() + 15);
    EXPECT_GE(label.sizeHint().height(), 16);
}

TEST(HtmlLabel, UnknownPictureIndexShowsOnlyTheText) {
    THtmlLabel label;
    label.SetImages({RedSquare()});
    label.SetHtml(QStringLiteral("<IMG src=\"idx:3\"> <b>1</b> Stein"));
    EXPECT_EQ(CountRedPixels(label.grab().toImage()), 0);
}

TEST(HtmlHintWindow, ShowsBesideThePointerAndHides) {
    THtmlHintWindow hint;
    hint.ShowHint(QPoint(100, 100), QStringLiteral("<b>0</b> Steine"));
    EXPECT_TRUE(hint.isVisible());
    EXPECT_GT(hint.x(), 100);
    EXPECT_GT(hint.y(), 100);
    EXPECT_EQ(hint.Html(), QStringLiteral("<b>0</b> Steine"));
    hint.HideHint();
    EXPECT_FALSE(hint.isVisible());
}

TEST(FileDialog, PreparedAnswersAreUsedInOrderAndEmptyCancels) {
    TFileDialog dialog(TFileDialog::TKind::Save);
    dialog.InitialDir = QStringLiteral("/tmp/somewhere");
    TFileDialog::SetNextFileForTests(QStringLiteral("/tmp/a.kel"));
    TFileDialog::SetNextFileForTests(QString());
    const int before = TFileDialog::AnsweredForTests();
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/a.kel"));
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/a.kel")) << "a cancel keeps the last choice";
    EXPECT_EQ(TFileDialog::AnsweredForTests(), before + 2);
    EXPECT_EQ(TFileDialog::LastInitialDirForTests(), QStringLiteral("/tmp/somewhere"));
}

TEST(FileDialog, ANameTypedWithoutExtensionAsksBeforeReplacingAndADeclineOpensTheDialogOnIt) {
    QTemporaryDir folder;
    QFile existing(folder.filePath(QStringLiteral("partie.kel")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    TFileDialog dialog(TFileDialog::TKind::Save);
    dialog.Filter = QStringLiteral("Kelani (*.kel)|*.kel");
    dialog.DefaultExt = QStringLiteral("kel");
    dialog.InitialDir = folder.path();
    // The question is asked once, about the name with its extension, and declined.
    QStringList asked;
    dialog.ConfirmOverwrite = [&](const QString& file) {
        asked << file;
        return false;
    };
    // The player types "partie" and confirms; the dialog opens again on the name asked about,
    // and he cancels there.
    QStringList opened;
    QTimer player;
    QObject::connect(&player, &QTimer::timeout, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!files || !files->isVisible() || files->property("seen").toBool()) return;
        files->setProperty("seen", true);
        opened << files->selectedFiles().value(0);
        if (opened.size() == 1) {
            files->selectFile(QStringLiteral("partie"));
            QTimer::singleShot(0, files, [files] { static_cast<QDialog*>(files)->accept(); });
        } else {
            player.stop();
            QTimer::singleShot(0, files, [files] { static_cast<QDialog*>(files)->reject(); });
        }
    });
    player.start(5);
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(asked, QStringList{folder.filePath(QStringLiteral("partie.kel"))});
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1], folder.filePath(QStringLiteral("partie.kel")));
}

TEST(ErrorText, PathsInUtf8AndTextsFromTheFilesInWindows1252BothReadRight) {
    EXPECT_EQ(ErrorText("nach /home/j\xC3\xB6rg/settings.ini kann nicht geschrieben werden"),
              QStringLiteral("nach /home/j\u00F6rg/settings.ini kann nicht geschrieben werden"));
    EXPECT_EQ(ErrorText("J\xF6rg"), QStringLiteral("J\u00F6rg"));
    EXPECT_EQ(ErrorText("File is corrupt."), QStringLiteral("File is corrupt."));
}

TEST(SplashScreen, ClosesItselfAfterItsTicks) {
    SetWaitSpeedUp(20);
    TSplashScreen splash;
    splash.SetCaption(QStringLiteral("KELANI (R) Freeware Nr. 2"));
    QElapsedTimer clock;
    clock.start();
    splash.Execute();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_GE(clock.elapsed(), TSplashScreen::kTicks * 1000 / 20 - 20);
    EXPECT_LT(clock.elapsed(), 2000);
    SetWaitSpeedUp(1);
}

TEST(AboutBox, ShowsProductVersionAndSwitchesLanguage) {
    TInfoDialogTarvik about;
    auto* product = about.findChild<QLabel*>(QStringLiteral("lProduct"));
    auto* version = about.findChild<QLabel*>(QStringLiteral("lVersion"));
    auto* maker = about.findChild<QLabel*>(QStringLiteral("lMaker"));
    ASSERT_TRUE(product && version && maker);
    EXPECT_EQ(product->text(), QStringLiteral("Kelani \u00AE"));
    EXPECT_EQ(version->text(), QStringLiteral("Freeware 2"));
    EXPECT_TRUE(maker->text().startsWith(QStringLiteral("Hergestellt")));
    EXPECT_TRUE(about.setProperty("language", QStringLiteral("English")));
    EXPECT_TRUE(maker->text().startsWith(QStringLiteral("Made by")));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
}

TEST(FormatText, FillsPlaceholdersInOrderAndKeepsSurplusOnes) {
    EXPECT_EQ(FormatText(QStringLiteral("%s hat %d Steine, %.2f%%"), {"Anna", "30", "62.50"}),
              QStringLiteral("Anna hat 30 Steine, 62.50%"));
    EXPECT_EQ(FormatText(QStringLiteral("<b>%u</b> %s"), {"1", "Stein"}), QStringLiteral("<b>1</b> Stein"));
    EXPECT_EQ(FormatText(QStringLiteral("%s und %s"), {"Anna"}), QStringLiteral("Anna und %s"));
    EXPECT_EQ(FormatText(QStringLiteral("100%"), {}), QStringLiteral("100%"));
}

TEST(DialogHeader, BreaksInsideASentenceJoinAndBreaksBeforeASentenceStay) {
    EXPECT_EQ(JoinBrokenSentences(QStringLiteral("um diese Spielposition\nzu erreichen.\nWenn nicht,\n")),
              QStringLiteral("um diese Spielposition zu erreichen.\nWenn nicht,\n"));
    EXPECT_EQ(JoinBrokenSentences(QStringLiteral("Sprache.\nPlease choose.")),
              QStringLiteral("Sprache.\nPlease choose."));
}

TEST(RadioGroup, KeepsIndexWithinItemsAndAcrossNewTextsAndHearsEveryPick) {
    TRadioGroup group(QStringLiteral("rgTest"));
    group.SetItems({"a", "b", "c"});
    group.SetItemIndex(7);
    EXPECT_EQ(group.ItemIndex(), 2);
    group.SetItemIndex(-3);
    EXPECT_EQ(group.ItemIndex(), 0);
    group.SetItemIndex(1);
    EXPECT_TRUE(group.setProperty("items", QStringList{"x", "y", "z"}));
    EXPECT_EQ(group.ItemIndex(), 1);
    auto buttons = group.findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons[1]->isChecked());
    EXPECT_EQ(buttons[2]->text(), QStringLiteral("z"));
    int clicks = 0;
    QObject::connect(&group, &TRadioGroup::Click, [&] { ++clicks; });
    group.ClickItem(2);
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    // A screen reader toggles a button without clicking it: a pick as well, once.
    QAccessible::queryAccessibleInterface(buttons[0])
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(clicks, 2);
    group.SetItemIndex(1);
    EXPECT_EQ(clicks, 2) << "the program's own choice is no pick";
}

// A portable copy keeps its data beside it; an installed one never writes into its program folder,
// even when root, who may write anywhere, runs it.
TEST(DataFolder, OnlyAWritableFolderOutsideTheSystemsProgramFoldersKeepsTheData) {
    const QTemporaryDir portable;
    EXPECT_TRUE(KeepsDataBeside(portable.path()));
    EXPECT_TRUE(KeepsDataBeside(portable.path() + QStringLiteral("/../") + QDir(portable.path()).dirName()));
    EXPECT_FALSE(KeepsDataBeside(portable.path() + QStringLiteral("/missing")));
    for (const char* installed :
         {"/usr/lib/kelani", "/usr/local/games/kelani", "/opt/kelani", "/usr/../opt/k"})
        EXPECT_FALSE(KeepsDataBeside(QLatin1String(installed))) << installed;
}
