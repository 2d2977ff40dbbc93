// The analysis panel, the review of a game and the position editor in the main window: the panel
// shows what `kelanitool analyse` finds and reaches the screen, the review marks a planted blunder
// in the history window, and a set-up position goes through its text and a saved game unchanged.
#include "app/uReview.h"
#include "app/ufAnalyse.h"
#include "app/ufHistory.h"
#include "app/ufPositionEditor.h"
#include "app/ufSpielfeld.h"
#include "components/MultiLanguage.h"
#include "components/uPaintBox.h"
#include "control/uTAnalysis.h"
#include "control/uTSpielfeld.h"
#include "game/uEndgameBuild.h"
#include "records/uEndgameFile.h"
#include "records/uPositionText.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/app/ScreenGrab.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <set>

using namespace kelani;
using namespace kelani::testing;

namespace {

// Pit 1 or 6 wins by 6 stones, pit 3 or 5 loses by 4: a blunder of 10 (proven with the table of
// 4 stones).
constexpr const char* kBlunderPosition = "v4 h1 s4 p1 : 1 0 2 0 1 1 [20] 0 2 0 1 0 1 [19]";

class AnalysisWindows : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteQuietSettings();
        EnableMessageSeam();
        // A small table beside the program, as a package would ship one.
        WriteEndgameTable(FilePath(QString::fromStdString(EndgameFileName(4, true))).toStdString(),
                          BuildEndgameTable(4, true, 4));
        window_ = std::make_unique<TfSpielfeld>();
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        GuiTest::TearDown();
    }

    TSpielfeld& Game() { return *window_->Spielfeld; }

    // Starts a game of two humans from the position; `table`: wait for its endgame table.
    void StartFrom(const char* position, bool table = true) {
        const TFeld feld = ParsePosition(position);
        TNewGameSettings s;
        s.Name1 = QStringLiteral("Anna");
        s.Name2 = QStringLiteral("Bert");
        s.Variante = feld.Variante();
        s.UseStirnmulde = feld.UseStirnmulde();
        s.SteineProMulde = feld.SteineProMulde();
        s.FirstPlayer = feld.AktSpieler();
        s.Position = QString::fromLatin1(position);
        Game().NewGame(s);
        // The table is read in the background; the tests want it at hand.
        if (table) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return Game().Endgame() != nullptr; }, 20000));
        }
    }

    std::unique_ptr<TfSpielfeld> window_;
};

// What `kelanitool analyse` prints for each pit of the position, with the tables of `folder`.
std::vector<TMeisterLine> ToolLines(const QString& position, const QString& folder) {
    QProcess tool;
    tool.start(QStringLiteral(KELANITOOL),
               {QStringLiteral("analyse"), QStringLiteral("--position"), position, QStringLiteral("--depth"),
                QString::number(kMeisterMaxPly), QStringLiteral("--tables"), folder});
    EXPECT_TRUE(tool.waitForFinished(60000));
    std::vector<TMeisterLine> lines;
    for (const QByteArray& text : tool.readAllStandardOutput().split('\n')) {
        const QJsonObject line = QJsonDocument::fromJson(text).object();
        if (line.contains(QStringLiteral("pit")))
            lines.push_back({line[QStringLiteral("pit")].toInt(),
                             line[QStringLiteral("value")].toInt(),
                             {},
                             line[QStringLiteral("exact")].toBool()});
    }
    return lines;
}

} // namespace

TEST_F(AnalysisWindows, PanelShowsWhatKelanitoolAnalyseFindsOnTheScreenAndMakesATrainingGame) {
    const char* position = "v4 h1 s3 p1 : 0 0 1 0 0 1 [18] 0 1 1 2 1 0 [11]";
    StartFrom(position);
    EXPECT_FALSE(window_->Analyse->isVisible()) << "off at the start";
    EXPECT_FALSE(Game().Training());
    const QImage before = OnScreen(*window_);
    window_->aAnalyse->trigger();
    ASSERT_TRUE(window_->Analyse->isVisible());
    EXPECT_TRUE(Game().Training());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Analyse->Final(); }, 30000));

    const std::vector<TMeisterLine> tool = ToolLines(QString::fromLatin1(position), Folder());
    const QStringList rows = window_->Analyse->Rows();
    ASSERT_EQ(rows.size(), static_cast<qsizetype>(tool.size()));
    const auto text = [&](const char* key) { return window_->Analyse->lng->GetString(QLatin1String(key)); };
    for (size_t k = 0; k < tool.size(); ++k) {
        const QStringList cells = rows[static_cast<qsizetype>(k)].split(QLatin1Char('\t'));
        EXPECT_EQ(cells[0], QString::number(tool[k].Pit));
        EXPECT_EQ(cells[1], AnalysisValueText(tool[k], text))
            << rows[static_cast<qsizetype>(k)].toStdString();
        EXPECT_TRUE(cells[2].startsWith(QStringLiteral("1:%1").arg(tool[k].Pit)));
        EXPECT_TRUE(tool[k].Exact);
    }
    // The panel is on the screen: it took room from the board and shows its rows.
    const QImage panel = OnScreen(*window_->Analyse->sgAnalyse);
    std::set<QRgb> colours;
    for (int y = 0; y < panel.height(); y += 2)
        for (int x = 0; x < panel.width(); x += 2) colours.insert(panel.pixel(x, y));
    EXPECT_GT(colours.size(), 4u) << "text drawn in the panel";
    EXPECT_NE(OnScreen(*window_), before);
    // The board shrinks into the room beside the panel, whole.
    EXPECT_EQ(window_->pbSpielfeld->geometry(), window_->centralWidget()->rect());
    EXPECT_LE(window_->BoardRect().right(), window_->pbSpielfeld->width());
    if (const QByteArray folder = qgetenv("KELANI_SCREENS"); !folder.isEmpty())
        window_->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/analysis-panel.png"));

    // A move played: the panel thinks about the new position.
    const QStringList first = rows;
    Game().PlayPit(3);
    ASSERT_EQ(Game().Board().AktSpieler(), 2);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window_->Analyse->Final() && window_->Analyse->Rows() != first; }, 30000));
    window_->aAnalyse->trigger();
    EXPECT_FALSE(window_->Analyse->isVisible());
}

TEST_F(AnalysisWindows, ReviewMarksAPlantedBlunderInTheHistoryWindow) {
    StartFrom(kBlunderPosition);
    Game().PlayPit(3);
    ASSERT_EQ(Game().History().Count(), 1);
    QString description, boxTitle;
    QImage graph;
    // The history window opens modally once the review is done: read it, then close it.
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = window_->findChild<QProgressDialog*>(QStringLiteral("pdReview")))
            boxTitle = box->windowTitle();
        auto* history = qobject_cast<TfHistory*>(QApplication::activeModalWidget());
        if (!history) return;
        description = history->findChild<QLabel*>(QStringLiteral("lDesc"))->text();
        graph = history->findChild<QLabel*>(QStringLiteral("iGraph"))->pixmap().toImage();
        if (const QByteArray folder = qgetenv("KELANI_SCREENS"); !folder.isEmpty())
            history->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/review-history.png"));
        history->accept();
    });
    closer.start();
    window_->aReview->trigger();
    closer.stop();
    EXPECT_EQ(boxTitle, QStringLiteral("Partie analysieren")) << "the progress box names itself";
    EXPECT_TRUE(
        description.contains(QStringLiteral("Spieler 1: 0 Ungenauigkeiten (?!), 0 Fehler (?), 1 Patzer")))
        << description.toStdString();
    ASSERT_FALSE(graph.isNull());
    // The marked move shows as a red dot on the graph.
    bool red = false;
    for (int y = 0; y < graph.height() && !red; ++y)
        for (int x = 0; x < graph.width() && !red; ++x) red = graph.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(red);
}

TEST_F(AnalysisWindows, EditorPositionGoesThroughItsTextAndASavedGameUnchanged) {
    TfPositionEditor editor(window_.get(), QStringLiteral("german"), TFeld());
    editor.ePosition->setText(QStringLiteral("v5 h0 s3 p2 : 0 0 0 0 1 1 [14] 0 0 2 0 0 3 [15]"));
    ASSERT_TRUE(editor.ImportText());
    EXPECT_EQ(editor.sePlace[13]->value(), 3);
    EXPECT_EQ(editor.cbVariante->currentIndex(), 4);
    QString problem;
    std::optional<TFeld> position = editor.Position(problem);
    ASSERT_TRUE(position);
    EXPECT_EQ(PositionText(*position), "v5 h0 s3 p2 : 0 0 0 0 1 1 [14] 0 0 2 0 0 3 [15]");
    EXPECT_TRUE(editor.bbOK->isEnabled());
    // One stone too many: said in words, and OK waits.
    editor.sePlace[1]->setValue(1);
    EXPECT_FALSE(editor.Position(problem));
    EXPECT_EQ(problem,
              QStringLiteral("Die Steine ergeben zusammen 37. Bei 3 Steinen je Mulde müssen es 36 sein."));
    EXPECT_FALSE(editor.bbOK->isEnabled());
    editor.ePosition->setText(QStringLiteral("v5 h0 s3 p2 : 0 0 0 0 1 1 [14] 0 0 2 0 0 3"));
    EXPECT_FALSE(editor.ImportText());
    EXPECT_EQ(editor.lCheck->text(), editor.lng->GetString(QStringLiteral("msgnotext")));
    editor.sePlace[1]->setValue(0);
    position = editor.Position(problem);
    ASSERT_TRUE(position);
    if (const QByteArray folder = qgetenv("KELANI_SCREENS"); !folder.isEmpty()) {
        editor.show();
        editor.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/editor-dialog.png"));
    }

    StartFrom(PositionText(*position).c_str(), false);
    EXPECT_EQ(PositionText(Game().Board()), PositionText(*position));
    Game().PlayPit(13);
    const std::string after = PositionText(Game().Board());
    const QString file = FilePath(QStringLiteral("setup.kel"));
    QueueMessageAnswer(mrOk);
    Game().SaveGame(file);
    StartFrom(kBlunderPosition);
    Game().LoadGame(file);
    EXPECT_EQ(PositionText(Game().Board()), after);
    EXPECT_EQ(Game().History().StartPosition, PositionText(*position));
    EXPECT_TRUE(Game().Training()) << "a set-up game stays a training game";
}

TEST_F(AnalysisWindows, AGameWatchedByThePanelEntersNoHighscore) {
    StartFrom(kBlunderPosition);
    window_->aAnalyse->trigger();
    // The result box, then the highscore window (closed as it opens), then no other game.
    QueueMessageAnswer(mrOk);
    QueueMessageAnswer(mrNo);
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    closer.start();
    TFeld over = Game().Board();
    for (int place = 1; place <= kPlaces; ++place) over.SetMulde(place, 0);
    over.SetMulde(kStirnmulde1, 40);
    over.SetMulde(kStirnmulde2, 8);
    Game().SetPositionForTests(over);
    closer.stop();
    EXPECT_FALSE(Game().Running());
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs4.dat"))));
}
