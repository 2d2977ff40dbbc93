// Playing a friend online: the game's window against a raw client of the real play server, both
// talking the protocol over real WebSockets.
#include "app/lngDialogs.h"
#include "app/uOnlinePlay.h"
#include "app/ufOnline.h"
#include "app/ufSpielfeld.h"
#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "control/uTOnlineClient.h"
#include "control/uTSpielfeld.h"
#include "records/uTHistory.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/app/ScreenGrab.h"
#include "view/uTGFXFile.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <functional>
#include <memory>

using namespace kelani;
using namespace kelani::testing;

namespace {

bool RunUntil(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QTest::qWait(5);
    return done();
}

// The real kelani-play-server on a loopback port, its SQLite database in a scratch folder; it
// can be stopped and started again on the same port and database.
class PlayServer {
public:
    PlayServer() { Start(0); }
    ~PlayServer() { Stop(); }

    void Start(int port) {
        process_.setProgram(QStringLiteral(KELANI_PLAY_SERVER_EXE));
        process_.setArguments({QStringLiteral("--port"), QString::number(port), QStringLiteral("--db"),
                               folder_.filePath(QStringLiteral("play.db"))});
        process_.start();
        ASSERT_TRUE(process_.waitForStarted());
        // "listening on ws://127.0.0.1:PORT/play"
        QByteArray line;
        ASSERT_TRUE(RunUntil([&] {
            line += process_.readAllStandardOutput();
            return line.contains('\n');
        }));
        url_ = QString::fromUtf8(line.mid(line.indexOf("ws://")).trimmed());
        port_ = QUrl(url_).port();
    }
    void Stop() {
        process_.kill();
        process_.waitForFinished();
    }
    void Restart() {
        Stop();
        Start(port_);
    }
    const QString& Url() const { return url_; }

private:
    QTemporaryDir folder_;
    QProcess process_;
    QString url_;
    int port_ = 0;
};

// The friend: a bare WebSocket client of the protocol that keeps its own board from the moves
// the server relays and plays the first legal pit when it is his turn.
class Friend {
public:
    void Open(const QString& url, const QJsonObject& hello) {
        socket_ = std::make_unique<QWebSocket>();
        QObject::connect(socket_.get(), &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            Got.push_back(message);
            if (message[QStringLiteral("type")] == QStringLiteral("move")) Apply(message);
            if (message[QStringLiteral("type")] == QStringLiteral("start") ||
                message[QStringLiteral("type")] == QStringLiteral("resumed"))
                Begin(message);
            if (message[QStringLiteral("type")] == QStringLiteral("joined")) {
                Game = message[QStringLiteral("game")].toString();
                Token = message[QStringLiteral("token")].toString();
            }
        });
        QObject::connect(socket_.get(), &QWebSocket::connected, [this, hello] { Send(hello); });
        socket_->open(QUrl(url));
    }
    void Send(const QJsonObject& message) {
        socket_->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    }
    // The first message of this type, empty when none came.
    QJsonObject First(const QString& type) const {
        for (const QJsonObject& m : Got)
            if (m[QStringLiteral("type")] == type) return m;
        return {};
    }
    bool Has(const QString& type) const { return !First(type).isEmpty(); }
    bool ToMove() const { return Started && !Board.IsGameOver() && Board.AktSpieler() == 2; }
    void PlayFirstLegal() {
        for (int n = 1; n <= 6; ++n) {
            const int place = PitIndex(2, n);
            if (!Board.IsLegalMove(place)) continue;
            Send({{QStringLiteral("type"), QStringLiteral("move")},
                  {QStringLiteral("n"), Moves + 1},
                  {QStringLiteral("place"), place}});
            Waiting = true;
            return;
        }
    }
    void Resume(const QString& url) {
        Started = false;
        Open(url, {{QStringLiteral("type"), QStringLiteral("resume")},
                   {QStringLiteral("game"), Game},
                   {QStringLiteral("token"), Token},
                   {QStringLiteral("last"), 0}});
    }

    std::vector<QJsonObject> Got;
    TFeld Board;
    int Moves = 0;
    bool Started = false;
    bool Waiting = false;
    QString Game, Token;

private:
    void Begin(const QJsonObject& start) {
        Board = TFeld();
        Board.SetSteineProMulde(start[QStringLiteral("stones")].toInt());
        Board.SetUseStirnmulde(start[QStringLiteral("head")].toInt() != 0);
        Board.Reset();
        Board.SetAktSpieler(start[QStringLiteral("first")].toInt());
        Board.SetVariante(start[QStringLiteral("variant")].toInt());
        Moves = 0;
        Started = true;
    }
    void Apply(const QJsonObject& move) {
        if (move[QStringLiteral("n")].toInt() != Moves + 1) return;
        Board.DoMove(move[QStringLiteral("place")].toInt());
        ++Moves;
        Waiting = false;
        // The server passes for a player without a move, as the game's controller does.
        while (!Board.IsGameOver() && Board.HasNoLegalMove()) Board.Skip();
    }

    std::unique_ptr<QWebSocket> socket_;
};

class OnlineGame : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        server_ = std::make_unique<PlayServer>();
        WriteQuietSettings("german", "\n[online]\nserver=" + server_->Url().toUtf8() + "\n");
        EnableMessageSeam();
        // Dialogs are modal: the player's hand at them is a timer. The highscore table after a
        // game and the new game wanted after it are closed.
        closer_.setInterval(5);
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && (modal->objectName() == QLatin1String("TfHighscore") ||
                          modal->objectName() == QLatin1String("TfNewGame")))
                modal->close();
            if (hand_) hand_();
        });
        closer_.start();
    }
    void TearDown() override {
        closer_.stop();
        window_.reset();
        server_.reset();
        GuiTest::TearDown();
    }

    TSpielfeld& Game() { return *window_->Spielfeld; }

    template <class T> T* Modal() { return qobject_cast<T*>(QApplication::activeModalWidget()); }

    // The window creates a game in its dialog, the friend joins it by the code shown there; both
    // sit at the board once the lot has shown the server's draw.
    void CreateAndJoin(int stones = 6) {
        window_ = std::make_unique<TfSpielfeld>();
        window_->show();
        bool created = false;
        hand_ = [&, stones] {
            if (TfOnline* dialog = Modal<TfOnline>(); dialog && !created) {
                dialog->cbVariant->setCurrentIndex(1);
                dialog->seStones->setValue(stones);
                dialog->bCreate->click();
                created = true;
            } else if (dialog && invite_.isNull() && !dialog->eLink->text().isEmpty()) {
                invite_ = ScreenNow(*dialog);
                friend_.Open(server_->Url(),
                             {{QStringLiteral("type"), QStringLiteral("join")},
                              {QStringLiteral("code"), InviteCode(dialog->eLink->text()).toLower()},
                              {QStringLiteral("name"), QStringLiteral("Ben")},
                              {QStringLiteral("email"), QString()},
                              {QStringLiteral("country"), QStringLiteral("at")}});
            }
            // The drawn matchstick shows while the dialog pauses before it closes.
            if (TfStreichholz* lot = Modal<TfStreichholz>();
                lot && !lot->bLeft->isEnabled() && lotPicture_.isNull()) {
                lotPicture_ = ScreenNow(*lot->iStreichholz);
                lotLongOne_ = lot->GuessedRight;
            }
        };
        QTimer::singleShot(0, [this] { window_->Online->aOnline->trigger(); });
        ASSERT_TRUE(RunUntil([&] { return Game().Running() && friend_.Started; }));
        hand_ = nullptr;
    }

    // Plays until `moves` moves are on the board or the game ends: the window's player and the
    // friend each play their first legal pit.
    void PlayUntil(int moves) {
        while (Game().Running() && Game().History().MoveCount() < moves) {
            if (Game().MayChoose()) {
                for (int n = 1; n <= 6; ++n)
                    if (Game().MayPlay(PitIndex(1, n))) {
                        Game().PlayPit(PitIndex(1, n));
                        break;
                    }
            } else if (friend_.ToMove() && !friend_.Waiting &&
                       friend_.Moves == Game().History().MoveCount()) {
                friend_.PlayFirstLegal();
            }
            QTest::qWait(5);
        }
    }

    // The friend plays until the window's player is to move.
    void FriendPlaysUntilOurTurn() {
        QElapsedTimer clock;
        clock.start();
        while (Game().Running() && !Game().MayChoose() && clock.elapsed() < 20000) {
            if (friend_.ToMove() && !friend_.Waiting && friend_.Moves == Game().History().MoveCount())
                friend_.PlayFirstLegal();
            QTest::qWait(5);
        }
    }

    std::unique_ptr<PlayServer> server_;
    std::unique_ptr<TfSpielfeld> window_;
    Friend friend_;
    QTimer closer_;
    std::function<void()> hand_;
    QImage invite_, lotPicture_;
    bool lotLongOne_ = false;
};

} // namespace

TEST(OnlineCodes, CodesLinksAndTextsFromTheOtherSide) {
    EXPECT_EQ(InviteCode(QStringLiteral("7kq2mxw4ht")), QStringLiteral("7KQ2M-XW4HT"));
    EXPECT_EQ(InviteCode(QStringLiteral(" kelani://join/7KQ2M-XW4HT/ ")), QStringLiteral("7KQ2M-XW4HT"));
    EXPECT_EQ(InviteCode(QStringLiteral("KELANI://JOIN/7kq2m-xw4ht")), QStringLiteral("7KQ2M-XW4HT"));
    // Crockford's reading of O, I and L; U is no digit of his, nor is a code of another length.
    EXPECT_EQ(InviteCode(QStringLiteral("OIL2M-XW4HT")), QStringLiteral("0112M-XW4HT"));
    EXPECT_EQ(InviteCode(QStringLiteral("7KQ2M-XW4HU")), QString());
    EXPECT_EQ(InviteCode(QStringLiteral("7KQ2M-XW4H")), QString());
    EXPECT_EQ(InviteCode(QStringLiteral("http://join/7KQ2M-XW4HT")), QString());
    EXPECT_EQ(CleanText(QStringLiteral("<b>Hallo</b>\x01 &amp; <script>x</script>du<")),
              QStringLiteral("Hallo &amp; xdu"));
    EXPECT_EQ(CleanText(QString(300, QLatin1Char('a'))).size(), 200);
}

// Every refusal the play server can send (its protocol's list) reads as a sentence of its own in
// both languages, naming the server, never as the general text that shows the raw code.
TEST(OnlineCodes, EveryErrorOfTheServerHasItsOwnTextInGermanAndEnglish) {
    QFile doc(QStringLiteral(KELANI_ONLINE_DOC));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const QString list =
        text.mid(text.indexOf(QStringLiteral("Error codes:"))).section(QStringLiteral("\n\n"), 0, 0);
    QStringList codes;
    static const QRegularExpression quoted(QStringLiteral("`([a-z-]+)`"));
    for (auto match = quoted.globalMatch(list); match.hasNext();) codes << match.next().captured(1);
    codes.removeDuplicates(); // the paragraph names those that close the connection again
    ASSERT_EQ(codes.size(), 13) << list.toStdString();
    QObject owner;
    TMultiLanguage lng(&owner);
    lng.LoadScript(QStringLiteral("TfSpielfeld"));
    for (const char* language : {"german", "english"}) {
        lng.SetLanguage(QLatin1String(language));
        const QString general = lng.GetString(QStringLiteral("onlineerr"));
        for (const QString& code : codes) {
            const QString said = lng.GetString(OnlineErrorKey(code));
            EXPECT_TRUE(said.contains(QStringLiteral("%s")) && said != general)
                << language << " " << code.toStdString();
        }
    }
}

TEST_F(OnlineGame, FriendsPlayAWholeGameWithTheServersLotChatAndTheGameSaved) {
    CreateAndJoin(3);
    // The invite shows the code and the link to copy.
    EXPECT_FALSE(invite_.isNull());
    // The lot showed the server's draw: the long matchstick when the friend (player 2) begins.
    const QJsonObject start = friend_.First(QStringLiteral("start"));
    const int first = start[QStringLiteral("first")].toInt();
    EXPECT_EQ(lotLongOne_, first == 2);
    EXPECT_EQ(Game().Board().AktSpieler(), first);
    const QImage longOne = LoadGfxJPEG(QStringLiteral("holz.gfx"), "holzw", 1);
    const QImage shortOne = LoadGfxJPEG(QStringLiteral("holz.gfx"), "holzl", 1);
    // Below the message at the top, the shown picture is the drawn matchstick's.
    const QRect below(0, 60, 400, 240);
    EXPECT_TRUE(SameIn(lotPicture_, first == 2 ? longOne : shortOne, below));
    EXPECT_FALSE(SameIn(lotPicture_, first == 2 ? shortOne : longOne, below));
    EXPECT_EQ(Game().Board().Variante(), 5);
    EXPECT_FALSE(Game().HintAllowed()) << "no hint in an online game";

    // A chat line of the friend reaches the notes without its markup and control characters.
    friend_.Send({{QStringLiteral("type"), QStringLiteral("chat")},
                  {QStringLiteral("text"), QStringLiteral("<b>Viel</b> Gl\u00FCck\x07 & <i>Spa\u00DF")}});
    ASSERT_TRUE(RunUntil([&] { return Game().Notes().contains(QStringLiteral("Ben: ")); }));
    const QString notes = Game().Notes();
    EXPECT_TRUE(notes.contains(QStringLiteral("Gl\u00FCck & "))) << notes.toStdString();
    for (const char* markup : {"<", ">", "\x07"})
        EXPECT_FALSE(notes.contains(QLatin1String(markup))) << markup;
    // And ours reaches him, typed while a move is shown: the board is held, the chat line is not.
    Game().OnBusy(true);
    EXPECT_FALSE(window_->centralWidget()->isEnabled());
    ASSERT_TRUE(window_->Online->eChat->isEnabled());
    QTest::keyClicks(window_->Online->eChat, QStringLiteral("Danke"));
    QTest::keyClick(window_->Online->eChat, Qt::Key_Return);
    Game().OnBusy(false);
    // (His own line comes back to him too.)
    ASSERT_TRUE(RunUntil([&] {
        return std::any_of(friend_.Got.begin(), friend_.Got.end(), [](const QJsonObject& m) {
            return m[QStringLiteral("text")] == QStringLiteral("Danke");
        });
    }));

    PlayUntil(1000);
    ASSERT_TRUE(RunUntil([&] { return !Game().Running() && friend_.Has(QStringLiteral("end")); }));
    EXPECT_TRUE(Game().Board().IsGameOver());
    EXPECT_EQ(Game().History().MoveCount(), friend_.Moves);
    for (int place = 1; place <= kPlaces; ++place)
        EXPECT_EQ(Game().Board().Mulde(place), friend_.Board.Mulde(place));
    // The finished game lies in the data folder's "online" folder and loads as any saved game.
    const QStringList saved = QDir(FilePath(QStringLiteral("online"))).entryList({QStringLiteral("*.kel")});
    ASSERT_EQ(saved.size(), 1);
    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(FilePath(QStringLiteral("online/") + saved[0]).toStdString()));
    EXPECT_EQ(loaded.MoveCount(), friend_.Moves);
    EXPECT_EQ(loaded.Name2, "Ben");
    EXPECT_TRUE(TKelaniSettings(SettingsFolder()).OnlineSeat().Game.empty()) << "the seat is forgotten";
}

TEST_F(OnlineGame, AfterTheServerRestartsOrTheLineDropsTheWindowComesBackAndGetsTheMovesMadeMeanwhile) {
    CreateAndJoin();
    PlayUntil(3);
    FriendPlaysUntilOurTurn();
    while (Game().Running() && !friend_.ToMove()) PlayUntil(Game().History().MoveCount() + 1);
    ASSERT_TRUE(RunUntil([&] { return friend_.Moves == Game().History().MoveCount(); }));
    const int before = Game().History().MoveCount();
    server_->Restart();
    ASSERT_TRUE(RunUntil([&] { return Game().Notes().contains(QStringLiteral("Verbindung")); }));
    // The friend comes back first and plays while the window still waits to try again.
    friend_.Resume(server_->Url());
    ASSERT_TRUE(RunUntil([&] { return friend_.Started && friend_.Moves == before; }));
    friend_.PlayFirstLegal();
    EXPECT_TRUE(RunUntil([&] { return Game().Notes().contains(QStringLiteral("Wieder verbunden")); }));
    ASSERT_TRUE(RunUntil([&] { return Game().History().MoveCount() == before + 1; }));
    EXPECT_EQ(friend_.Moves, before + 1);

    // A dropped line: the window's move made meanwhile goes out once it is back.
    FriendPlaysUntilOurTurn();
    ASSERT_TRUE(Game().MayChoose());
    const int moves = Game().History().MoveCount();
    window_->Online->Client->Drop();
    PlayUntil(moves + 1);
    EXPECT_TRUE(RunUntil([&] { return friend_.Moves == moves + 1; }));
    // It went out once: a second copy would have been refused as stale before his answer came.
    FriendPlaysUntilOurTurn();
    EXPECT_TRUE(Game().MayChoose());
    EXPECT_TRUE(ShownMessages().empty()) << ShownMessages().back().Text.toStdString();
}

TEST_F(OnlineGame, AnUnfinishedGameIsOfferedAtTheNextStartAndRebuiltFromTheServer) {
    CreateAndJoin();
    PlayUntil(3);
    const TFeld board = Game().Board();
    const int moves = Game().History().MoveCount();
    window_.reset();
    EXPECT_FALSE(TKelaniSettings(SettingsFolder()).OnlineSeat().Game.empty());

    // Its server is away at the start: the player is told so, naming the server, and may try
    // again later; the seat stays kept.
    server_->Stop();
    window_ = std::make_unique<TfSpielfeld>();
    window_->show();
    QueueMessageAnswer(mrYes);
    QueueMessageAnswer(mrNo);
    window_->Online->Begin({QStringLiteral("kelani")});
    ASSERT_TRUE(RunUntil([&] { return ShownMessages().size() == 2; }));
    EXPECT_TRUE(ShownMessages().back().Text.startsWith(
        QStringLiteral("Der Spielserver %1 ist nicht zu erreichen").arg(server_->Url())))
        << ShownMessages().back().Text.toStdString();
    EXPECT_FALSE(Game().Running());
    EXPECT_FALSE(TKelaniSettings(SettingsFolder()).OnlineSeat().Game.empty());

    server_->Restart();
    friend_.Resume(server_->Url());
    QueueMessageAnswer(mrYes);
    window_->Online->Begin({QStringLiteral("kelani")});
    ASSERT_TRUE(RunUntil([&] { return Game().History().MoveCount() == moves; }));
    EXPECT_EQ(
        ShownMessages().back().Text,
        QStringLiteral("Ein Spiel gegen einen Freund ist noch nicht zu Ende. Wollen Sie es fortsetzen?"));
    for (int place = 1; place <= kPlaces; ++place) EXPECT_EQ(Game().Board().Mulde(place), board.Mulde(place));
    EXPECT_TRUE(Game().Running());
    // The game goes on from there.
    PlayUntil(moves + 2);
    EXPECT_TRUE(RunUntil([&] { return friend_.Moves == moves + 2; }));
}

TEST_F(OnlineGame, NoServerIsSaidPlainlyAnUnknownCodeIsRefusedAndALinkArgumentOpensTheJoin) {
    WriteQuietSettings("german");
    window_ = std::make_unique<TfSpielfeld>();
    window_->Online->aOnline->trigger();
    ASSERT_FALSE(ShownMessages().empty());
    EXPECT_TRUE(
        ShownMessages().back().Text.startsWith(QStringLiteral("Es ist noch kein Spielserver eingerichtet")));

    WriteQuietSettings("german", "\n[online]\nserver=" + server_->Url().toUtf8() + "\n");
    bool joined = false, free = false;
    hand_ = [&] {
        TfOnline* dialog = Modal<TfOnline>();
        if (!dialog) return;
        if (!joined) {
            dialog->eCode->setText(QStringLiteral("kelani://join/00000-00000"));
            dialog->bJoin->click();
            joined = true;
        } else if (ShownMessages().size() == 2) {
            free = dialog->findChild<QWidget*>(QStringLiteral("gbJoin"))->isEnabled();
            dialog->reject();
        }
    };
    window_->Online->aOnline->trigger();
    hand_ = nullptr;
    ASSERT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(ShownMessages().back().Text,
              QStringLiteral("Der Spielserver %1 kennt kein Spiel mit diesem Code.").arg(server_->Url()));
    EXPECT_TRUE(free) << "another code may be tried";

    // A kelani:// link as the program's argument opens the dialog with its code to join.
    QString offered;
    hand_ = [&] {
        if (TfOnline* dialog = Modal<TfOnline>()) {
            offered = dialog->eCode->text();
            dialog->reject();
        }
    };
    window_->Online->Begin({QStringLiteral("kelani"), QStringLiteral("kelani://join/7kq2m-xw4ht")});
    hand_ = nullptr;
    EXPECT_EQ(offered, QStringLiteral("7KQ2M-XW4HT"));
}
