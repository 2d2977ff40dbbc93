// Renders review pictures of the playable game into a folder: the new-game dialog, the lot
// drawing, moves with hands and with the stone highlight, a result message, the highscore table
// with a fresh rank marked and the move history, in German and English. Run by hand: kelani_play_screens
// <program folder with the containers> <output folder>. With QT_SCALE_FACTOR=2 it shoots the
// maximised board at twice the pixels instead (mid-move with hands, and the final position). At
// either density it shoots a pit chosen by keyboard (keyboard_focus.png, keyboard_focus@2x.png).
#include "app/lngDialogs.h"
#include "app/ufHighscore.h"
#include "app/ufNewGame.h"
#include "app/ufSpielfeld.h"
#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "components/uFolders.h"
#include "components/uFormat.h"
#include "components/uPaintBox.h"
#include "components/uWait.h"
#include "control/uTSpielfeld.h"
#include "records/uTHighscore.h"
#include "view/uTCanvas.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

using namespace kelani;

namespace {

QString gOut;

void Save(QWidget& widget, const QString& name) {
    widget.grab().save(gOut + QStringLiteral("/play_") + name + ".png");
}

void PrepareFolder(const QTemporaryDir& folder, const QString& containers, const QString& language,
                   int animation) {
    for (const QString& name : QDir(containers).entryList({QStringLiteral("*.gfx")}))
        QFile::copy(containers + QLatin1Char('/') + name, folder.filePath(name));
    QFile ini(folder.filePath(QStringLiteral("settings.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[settings]\nlanguage=%1\nsound=0\nhandani=%2\nstoneani=%3\nnoani=0\n")
                  .arg(language)
                  .arg(animation == 2)
                  .arg(animation == 1)
                  .toLatin1());
    SetProgramFolderForTests(folder.path());
}

void ShootDialogs(const QString& language, const QString& suffix) {
    TfNewGame dialog;
    dialog.lng->SetLanguage(language);
    QTimer::singleShot(100, [&] {
        Save(dialog, "newgame_" + suffix);
        dialog.bbCancel->click();
    });
    dialog.ShowDialog();

    TfStreichholz lot;
    lot.lng->SetLanguage(language);
    lot.PlayerOneName = QStringLiteral("Anna");
    lot.PlayerTwoName = QStringLiteral("Bert");
    lot.lDesc->setText(FormatText(lot.lDesc->text(), {lot.PlayerTwoName, lot.PlayerOneName}));
    QTimer::singleShot(100, [&] {
        Save(lot, "lot_before_" + suffix);
        QTimer::singleShot(300, [&] { Save(lot, "lot_result_" + suffix); });
        lot.bLeft->click();
    });
    lot.exec();
}

// A game of variant 5 between Anna and Bert in the shown window.
TSpielfeld& StartGame(TfSpielfeld& window) {
    window.show();
    TSpielfeld& game = *window.Spielfeld;
    TNewGameSettings s;
    s.Name1 = QStringLiteral("Anna");
    s.Name2 = QStringLiteral("Bert");
    s.Variante = 5;
    game.NewGame(s);
    return game;
}

// Plays the beginner's choice for whoever is to move.
void PlayAsComputer(TSpielfeld& game) {
    const TFeld board = game.Board();
    TKI ki(board);
    const int pit = ki.ChooseMove();
    if (pit == 0)
        game.PlaySkip();
    else
        game.PlayPit(PitIndex(board.AktSpieler(), pit));
}

void ShootGame(const QString& suffix, int wantedFrame) {
    TfSpielfeld window;
    TSpielfeld& game = StartGame(window);
    game.PlayPit(3);
    game.PlayPit(10);
    int frame = 0;
    game.OnChanged = [&] {
        window.pbSpielfeld->repaint();
        if (++frame == wantedFrame) Save(window, "move_" + suffix);
    };
    window.pbSpielfeldMouseMove(PitCentre(4).x(), PitCentre(4).y());
    game.PlayPit(4);
    game.OnChanged = nullptr;
    ResetMessageSeam();
    QueueMessageAnswer(mrOk);
}

// Two moves in, Right twice: the chosen pit ringed on the board, its move in the preview.
void ShootKeyboardFocus(const QString& name) {
    TfSpielfeld window;
    TSpielfeld& game = StartGame(window);
    game.PlayPit(3);
    game.PlayPit(10);
    for (int press = 0; press < 2; ++press) {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&window, &right);
    }
    QApplication::processEvents();
    window.grab().save(gOut + QLatin1Char('/') + name + QStringLiteral(".png"));
    ResetMessageSeam();
    QueueMessageAnswer(mrYes); // the closing question
}

void ShootResult(const QString& language, const QString& suffix) {
    TfSpielfeld window;
    window.lng->SetLanguage(language);
    const QString text =
        FormatText(window.lng->GetString(QStringLiteral("msgplayerwon")), {QStringLiteral("Anna")}) +
        FormatText(window.lng->GetString(QStringLiteral("msgplayersummary")),
                   {QStringLiteral("Anna"), QStringLiteral("30"), QStringLiteral("62.50"),
                    QStringLiteral("62.50"), QStringLiteral("1")});
    std::unique_ptr<QDialog> box = CreateMessageDialog(text, mtInformation, mbOK);
    if (box) {
        box->show();
        Save(*box, "result_" + suffix);
    }
    ResetMessageSeam();
    QueueMessageAnswer(mrYes);
}

// Grabs the next modal dialog once it is open, then closes it.
void ShootNextModal(const QString& name) {
    QTimer::singleShot(300, [name] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Save(*dialog, name);
            dialog->reject();
        }
    });
}

// A table of variant 5 with a handful of players, the third of them fresh from the last game.
void WriteHighscore(const QTemporaryDir& folder) {
    THighscore table;
    const struct {
        const char* Name;
        int Zeit, Punkte, Gegner;
        const char* Land;
    } entries[] = {{"Mira", 412, 31, 17, "deutschland"}, {"Jonas", 655, 29, 19, "oesterreich"},
                   {"Anna", 538, 27, 21, "deutschland"}, {"Pedro", 901, 25, 23, "spanien"},
                   {"Lena", 377, 22, 26, "schweiz"},     {"Tomek", 1210, 20, 28, "polen"}};
    for (const auto& e : entries)
        table.AddEntry(e.Name, e.Zeit, e.Punkte, e.Gegner, 30, false, "player@example.org", e.Land);
    table.SaveToFile(folder.filePath(QStringLiteral("hs5.dat")).toStdString());
}

void ShootRecords(const QTemporaryDir& folder, const QString& suffix) {
    WriteHighscore(folder);
    TfSpielfeld window;
    TSpielfeld& game = StartGame(window);
    for (int move = 0; move < 11 && game.Running(); ++move) PlayAsComputer(game);
    {
        TfHighscore table(&window, window.lng->Language());
        table.ShowGame(1, 3);
        ShootNextModal("highscore_" + suffix);
        table.exec();
    }
    ShootNextModal("history_" + suffix);
    window.aGameHistory->trigger();
}

// On a high-density screen (run with QT_SCALE_FACTOR=2): the maximised window in the middle of a
// move with hands and at the end of a game, as the screen shows them (twice the pixels).
void ShootHighDensity(const QString& suffix) {
    TfSpielfeld window;
    // Without a window manager maximising does nothing: the window takes the whole screen itself.
    window.setGeometry(window.screen()->availableGeometry());
    TSpielfeld& game = StartGame(window);
    QApplication::processEvents();
    game.PlayPit(3);
    int frame = 0;
    game.OnChanged = [&] {
        window.pbSpielfeld->repaint();
        if (++frame == 40) Save(window, "move_hands_" + suffix + "@2x");
    };
    game.PlayPit(10);
    game.OnChanged = nullptr;
    game.SetAnimation(kNoAnimation);
    // The highscore table opens by itself at the end: closed at once, like a player would.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    closer.start(50);
    ResetMessageSeam();
    QueueMessageAnswer(mrOk); // the result
    QueueMessageAnswer(mrNo); // no other game
    while (game.Running()) PlayAsComputer(game);
    QApplication::processEvents();
    Save(window, "final_" + suffix + "@2x");
    QueueMessageAnswer(mrYes); // the closing question
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) return 2;
    RegisterFontSubstitutes();
    gOut = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(gOut);
    SetWaitSpeedUp(5);
    if (app.devicePixelRatio() >= 1.5) {
        QTemporaryDir folder;
        PrepareFolder(folder, QString::fromLocal8Bit(argv[1]), QStringLiteral("german"), 2);
        SetDialogLanguage(QStringLiteral("german"));
        ShootHighDensity(QStringLiteral("de"));
        ShootKeyboardFocus(QStringLiteral("keyboard_focus@2x"));
        return 0;
    }
    for (const QString& language : {QStringLiteral("german"), QStringLiteral("english")}) {
        const QString suffix =
            language == QLatin1String("english") ? QStringLiteral("en") : QStringLiteral("de");
        for (int animation : {1, 2}) {
            QTemporaryDir folder;
            PrepareFolder(folder, QString::fromLocal8Bit(argv[1]), language, animation);
            SetDialogLanguage(language);
            ResetMessageSeam();
            QueueMessageAnswer(mrYes); // the closing question of each window
            if (animation == 2) ShootDialogs(language, suffix);
            if (animation == 1) ShootRecords(folder, suffix);
            ShootGame((animation == 2 ? "hands_" : "stone_") + suffix, animation == 2 ? 40 : 7);
            ShootResult(language, suffix);
            if (animation == 1 && suffix == QLatin1String("de"))
                ShootKeyboardFocus(QStringLiteral("keyboard_focus"));
            SetProgramFolderForTests(QString());
        }
    }
    return 0;
}
