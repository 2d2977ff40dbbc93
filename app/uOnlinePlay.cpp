#include "app/uOnlinePlay.h"

#include "app/lngDialogs.h"
#include "app/ufNewGame.h"
#include "app/ufOnline.h"
#include "app/ufSpielfeld.h"
#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "components/uFolders.h"
#include "components/uFormat.h"
#include "components/uTextConversion.h"
#include "control/uTOnlineClient.h"
#include "control/uTSpielfeld.h"
#include "records/uTHistory.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

namespace kelani {
namespace {

constexpr int kDrainMs = 50;
constexpr int kMaxNameLength = 20;

QString Str(const QJsonObject& message, const char* key) {
    return message.value(QLatin1String(key)).toString();
}

int Int(const QJsonObject& message, const char* key) {
    return message.value(QLatin1String(key)).toInt();
}

// The error codes of the play server that have a text of their own.
const char* const kErrorCodes[] = {"bad-json",  "too-large",    "flood",     "bad-request",   "unknown-code",
                                   "game-full", "rate-limited", "bad-token", "not-your-turn", "illegal",
                                   "stale",     "game-over",    "server"};

} // namespace

QString OnlineErrorKey(const QString& code) {
    for (const char* known : kErrorCodes)
        if (code == QLatin1String(known))
            return QStringLiteral("onlineerr_") + QString(code).replace('-', '_');
    return QStringLiteral("onlineerr");
}

TOnlinePlay::TOnlinePlay(TfSpielfeld& window, QMenu* menu) : QObject(&window), Window_(window) {
    QAction* first = menu->actions().value(0);
    aOnline = new QAction(QStringLiteral("Gegen einen &Freund spielen"), menu);
    aOnline->setObjectName(QStringLiteral("aOnline"));
    aResign = new QAction(QStringLiteral("&Aufgeben"), menu);
    aResign->setObjectName(QStringLiteral("aResign"));
    aDraw = new QAction(QStringLiteral("&Remis anbieten"), menu);
    aDraw->setObjectName(QStringLiteral("aDraw"));
    menu->insertActions(first, {aOnline, aResign, aDraw});
    menu->insertSeparator(first);
    connect(aOnline, &QAction::triggered, this, &TOnlinePlay::aOnlineExecute);
    connect(aResign, &QAction::triggered, this, &TOnlinePlay::aResignExecute);
    connect(aDraw, &QAction::triggered, this, &TOnlinePlay::aDrawExecute);

    tbChat = new QToolBar(&window);
    tbChat->setObjectName(QStringLiteral("tbChat"));
    tbChat->setMovable(false);
    eChat = new QLineEdit(tbChat);
    eChat->setObjectName(QStringLiteral("eChat"));
    eChat->setMaxLength(200);
    // Keys play the board unless the player clicked into the line.
    eChat->setFocusPolicy(Qt::ClickFocus);
    eChat->setPlaceholderText(QStringLiteral("Nachricht an den Freund, Enter schickt sie"));
    tbChat->addWidget(eChat);
    window.addToolBar(Qt::BottomToolBarArea, tbChat);
    tbChat->hide();
    connect(eChat, &QLineEdit::returnPressed, this, &TOnlinePlay::SendChat);

    Client = new TOnlineClient(this);
    Client->OnMessage = [this](const QJsonObject& message) { Receive(message); };
    Client->OnConnected = [this](bool connected) { Connection(connected); };
    Client->OnFailure = [this](QAbstractSocket::SocketError error, const QString& text) {
        Failure(error, text);
    };
    Client->Resume = [this] { return Held_ ? ResumeMessage() : QJsonObject(); };
    DrainTimer_ = new QTimer(this);
    DrainTimer_->setInterval(kDrainMs);
    connect(DrainTimer_, &QTimer::timeout, this, &TOnlinePlay::Drain);
    DrainTimer_->start();
}

TOnlinePlay::~TOnlinePlay() {
    Client->Close();
}

QString TOnlinePlay::Text(const char* key) const {
    return Window_.lng->GetString(QLatin1String(key));
}

QString TOnlinePlay::Name(int seat) const {
    return seat == 1 || seat == 2 ? Names_[seat] : QString();
}

void TOnlinePlay::Note(const char* key, const QStringList& args) {
    // "Your move" once, not after every move of a long exchange.
    if (key == LastNote_ && args.isEmpty()) return;
    LastNote_ = key;
    Window_.Spielfeld->AddNote(QLatin1String(key), args);
}

bool TOnlinePlay::Playing() const {
    return Active_ && Window_.Spielfeld->Running();
}

void TOnlinePlay::UpdateActions() {
    aResign->setEnabled(Playing());
    aDraw->setEnabled(Playing());
    tbChat->setVisible(Active_);
}

bool TOnlinePlay::FindServer(QUrl& server) const {
    const TKelaniSettings settings(SettingsFolder());
    const QString address = FromCp1252(settings.OnlineServer());
    server = QUrl(address);
    if (!address.isEmpty() &&
        (server.scheme() == QLatin1String("ws") || server.scheme() == QLatin1String("wss")))
        return true;
    LngMessageDlg(FormatText(Text(address.isEmpty() ? "msgnoonlineserver" : "msgbadonlineserver"),
                             {FromCp1252(settings.FileName()), address}),
                  mtInformation, mbOK);
    return false;
}

// The greeting of a create or join: the player's name, mail and country from the new-game
// dialog, the human's (player 2's when the computer played player 1).
QJsonObject TOnlinePlay::Hello(const char* type) const {
    TfNewGame dialog(&Window_);
    dialog.lng->SetLanguage(Window_.lng->Language());
    // The names the new-game dialog offers before any is stored.
    TNewGameChoices defaults;
    const std::string player = ToCp1252(dialog.lng->GetString(QStringLiteral("player")));
    defaults.Name1 = player + '1';
    defaults.Name2 = player + '2';
    const TNewGameChoices c = TKelaniSettings(SettingsFolder()).NewGameChoices(defaults);
    const bool second = c.Mode == kModeComputerHuman;
    return {{QStringLiteral("type"), QLatin1String(type)},
            {QStringLiteral("name"), FromCp1252(second ? c.Name2 : c.Name1)},
            {QStringLiteral("email"), FromCp1252(second ? c.Mail2 : c.Mail1)},
            {QStringLiteral("country"), dialog.LandKey(second ? c.Land2 : c.Land1).trimmed()}};
}

void TOnlinePlay::aOnlineExecute() {
    OpenDialog(QString());
}

void TOnlinePlay::OpenDialog(const QString& code) {
    QUrl server;
    if (!FindServer(server) || !Leave()) return;
    // A game left stays kept until this dialog makes or joins another.
    const std::string left = Seat_.Game;
    TfOnline dialog(&Window_);
    dialog.lng->SetLanguage(Window_.lng->Language());
    if (!code.isEmpty()) dialog.SetCode(code);
    Dialog_ = &dialog;
    dialog.OnCreate = [this, server](const QJsonObject& game) {
        QJsonObject hello = Hello("create");
        for (auto it = game.begin(); it != game.end(); ++it) hello.insert(it.key(), it.value());
        Held_ = false;
        Client->Open(server, hello);
    };
    dialog.OnJoin = [this, server](const QString& invite) {
        QJsonObject hello = Hello("join");
        hello.insert(QStringLiteral("code"), invite);
        hello.insert(QStringLiteral("key"), JoinKey());
        Held_ = false;
        Client->Open(server, hello);
    };
    const bool started = dialog.exec() == QDialog::Accepted;
    Dialog_ = nullptr;
    if (!started) {
        // The friend never came: the game waiting on the server is left to it.
        if (Seat_.Game != left) Stop();
        Client->Close();
        return;
    }
    StartGame(Start_, true);
}

void TOnlinePlay::Begin(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (!argument.startsWith(QLatin1String("kelani:"), Qt::CaseInsensitive)) continue;
        OpenDialog(InviteCode(argument));
        return;
    }
    OfferResume();
}

bool TOnlinePlay::Leave() {
    if (!Playing()) return true;
    if (LngMessageDlg(Text("msgleaveonline"), mtConfirmation, mbYesNo) != mrYes) return false;
    Client->Close();
    Pending_.clear();
    Active_ = false;
    UpdateActions();
    return true;
}

void TOnlinePlay::OfferResume() {
    Seat_ = TKelaniSettings(SettingsFolder()).OnlineSeat();
    if (Seat_.Game.empty()) return;
    if (LngMessageDlg(Text("msgresumeonline"), mtConfirmation, mbYesNo) != mrYes) {
        Seat_ = {};
        SaveSeat();
        return;
    }
    TakeUpSeat();
}

void TOnlinePlay::TakeUpSeat() {
    // The board is empty: every move comes again.
    Seat_.Last = 0;
    Rebuilding_ = true;
    // Held only once the server answers: a server that cannot be reached is said, not tried on.
    Held_ = false;
    // The game lives on the server that made it, whatever the settings name now.
    Client->Open(QUrl(QString::fromStdString(Seat_.Server)), ResumeMessage());
}

// The kept game's server did not answer: the seat stays kept for a later try, now or at the next
// start.
void TOnlinePlay::ResumeFailed(const QString& server, const QString& text) {
    if (LngMessageDlg(FormatText(Text("msgresumeunreachable"), {server, text}), mtWarning, mbYesNo) == mrYes)
        return TakeUpSeat();
    Rebuilding_ = false;
}

QJsonObject TOnlinePlay::ResumeMessage() const {
    if (Seat_.Game.empty()) return {};
    return {{QStringLiteral("type"), QStringLiteral("resume")},
            {QStringLiteral("game"), FromCp1252(Seat_.Game)},
            {QStringLiteral("token"), FromCp1252(Seat_.Token)},
            {QStringLiteral("last"), Seat_.Last}};
}

void TOnlinePlay::SaveSeat() {
    try {
        TKelaniSettings(SettingsFolder()).SaveOnlineSeat(Seat_);
    } catch (const std::exception& error) {
        LngErrorDlg(error);
    }
}

// ---- What the server says ----

void TOnlinePlay::Receive(const QJsonObject& message) {
    const QString type = Str(message, "type");
    if (type == QLatin1String("created") || type == QLatin1String("joined")) {
        Seat_ = {Client->Server().toString().toStdString(), ToCp1252(Str(message, "game")),
                 ToCp1252(Str(message, "token")), Int(message, "seat"), 0};
        Held_ = true;
        SaveSeat();
        if (Dialog_ && type == QLatin1String("created")) Dialog_->ShowInvite(Str(message, "code"));
    } else if (type == QLatin1String("start")) {
        Start_ = message;
        // The friend came while the dialog was open, or once a waiting game was taken again.
        if (Dialog_)
            Dialog_->accept();
        else
            StartGame(message, true);
    } else if (type == QLatin1String("resumed")) {
        Resumed(message);
    } else if (type == QLatin1String("error")) {
        ShowError(Str(message, "code"));
    } else {
        Pending_.push_back(message);
    }
}

void TOnlinePlay::StartGame(const QJsonObject& start, bool lot) {
    const QJsonArray names = start.value(QStringLiteral("names")).toArray();
    const QJsonArray countries = start.value(QStringLiteral("countries")).toArray();
    for (int seat : {1, 2}) Names_[seat] = CleanText(names.at(seat - 1).toString(), kMaxNameLength);
    Clock_ = Str(start, "clock");
    TNewGameSettings s;
    s.Name1 = Names_[1];
    s.Name2 = Names_[2];
    s.Land1 = CleanText(countries.at(0).toString(), kMaxNameLength);
    s.Land2 = CleanText(countries.at(1).toString(), kMaxNameLength);
    s.Variante = Int(start, "variant");
    s.SteineProMulde = Int(start, "stones");
    s.UseStirnmulde = Int(start, "head") != 0;
    s.FirstPlayer = Int(start, "first") == 2 ? 2 : 1;
    s.Remote = 3 - Seat_.Seat;
    if (lot) DrawFirstPlayer(&Window_, Window_.lng->Language(), s.Name1, s.Name2, s.FirstPlayer);
    Active_ = true;
    FriendAway_ = false;
    Window_.Spielfeld->NewGame(s);
    if (Clock_ != QLatin1String("none")) {
        const int seconds = Int(start, "seconds");
        Window_.Spielfeld->SetClocksLeft(seconds, seconds);
    }
    Note("noteonlineseat", {Name(Seat_.Seat), Name(3 - Seat_.Seat)});
    UpdateActions();
}

void TOnlinePlay::Resumed(const QJsonObject& message) {
    Held_ = true;
    Seat_.Seat = Int(message, "seat");
    // The friend has not joined yet: the game starts when he does.
    if (Str(message, "state") == QLatin1String("waiting")) return;
    if (Rebuilding_ || !Active_) {
        Rebuilding_ = true;
        StartGame(message, false);
    }
    ShowClocks(message.value(QStringLiteral("clocks")));
    // Our last move went out as an earlier connection broke and never reached the server: again.
    // One made since goes out after this connection's greeting and arrives by itself.
    const THistory& history = Window_.Spielfeld->History();
    const int moves = Int(message, "moves");
    if (!Rebuilding_ && history.MoveCount() == moves + 1 && MoveConnection_ < Connections_) {
        for (int i = history.Count() - 1; i >= 0; --i) {
            const TMove& last = history.Moves(i);
            if (last.Mulde == 0) continue;
            if (last.Spieler == Seat_.Seat)
                Client->Send({{QStringLiteral("type"), QStringLiteral("move")},
                              {QStringLiteral("n"), moves + 1},
                              {QStringLiteral("place"), int(last.Mulde)}});
            break;
        }
    }
}

void TOnlinePlay::Connection(bool connected) {
    if (!connected) {
        // Said once, not at every try.
        if (!Lost_ && Active_) Note("noteonlinelost", {Client->Server().toString()});
        Lost_ = true;
        return;
    }
    ++Connections_;
    if (!Lost_) return;
    Lost_ = false;
    if (Active_) Note("noteonlineback");
}

void TOnlinePlay::Failure(QAbstractSocket::SocketError error, const QString& text) {
    const QString server = Client->Server().toString();
    if (Rebuilding_ && !Active_ && !Dialog_) return ResumeFailed(server, text);
    const char* key = "netfailed";
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        key = "nethostnotfound";
        break;
    case QAbstractSocket::ConnectionRefusedError:
        key = "netconnectionrefused";
        break;
    case QAbstractSocket::SocketTimeoutError:
        key = "nettimeout";
        break;
    case QAbstractSocket::SslHandshakeFailedError:
        key = "nettls";
        break;
    default:
        break;
    }
    LngMessageDlg(FormatText(LngMessageText(key), {server, text}), mtError, mbOK);
    if (Dialog_) Dialog_->ShowFailure();
}

void TOnlinePlay::ShowError(const QString& code) {
    LngMessageDlg(
        FormatText(Text(OnlineErrorKey(code).toLatin1().constData()), {Client->Server().toString(), code}),
        mtError, mbOK);
    if (code == QLatin1String("bad-token") || code == QLatin1String("game-over")) {
        // The seat cannot be taken again: it is forgotten, the board stays.
        if (code == QLatin1String("bad-token")) Active_ = false;
        Seat_ = {};
        SaveSeat();
        Client->Close();
        UpdateActions();
    }
    if (Dialog_) {
        Client->Close();
        Dialog_->ShowFailure();
    }
}

// ---- What waits for the board ----

void TOnlinePlay::Drain() {
    TSpielfeld& game = *Window_.Spielfeld;
    if (Draining_) return;
    Draining_ = true;
    while (!Pending_.empty() && !game.Busy() && !QApplication::activeModalWidget()) {
        const QJsonObject message = Pending_.front();
        Pending_.pop_front();
        Handle(message);
    }
    Draining_ = false;
}

void TOnlinePlay::Handle(const QJsonObject& message) {
    const QString type = Str(message, "type");
    const int seat = Int(message, "seat");
    if (type == QLatin1String("move")) {
        HandleMove(message);
    } else if (type == QLatin1String("end")) {
        HandleEnd(message);
    } else if (type == QLatin1String("draw")) {
        HandleDraw(message);
    } else if (type == QLatin1String("chat")) {
        Note("notechat", {Name(seat), CleanText(Str(message, "text"))});
    } else if (type == QLatin1String("presence")) {
        // The catching up ends where the server says how the friend is.
        Rebuilding_ = false;
        const bool online = message.value(QStringLiteral("online")).toBool();
        // "Back" only after "not connected": at the start he is simply there.
        if (seat != Seat_.Seat && online == FriendAway_) {
            FriendAway_ = !online;
            Note(online ? "noteonline" : "noteoffline", {Name(seat)});
        }
    }
}

void TOnlinePlay::HandleMove(const QJsonObject& message) {
    if (!Active_) return;
    TSpielfeld& game = *Window_.Spielfeld;
    const int n = Int(message, "n");
    const int have = game.History().MoveCount();
    if (n == have + 1) {
        Arriving_ = true;
        const bool played = game.PlayArrived(Int(message, "place"), !Rebuilding_);
        Arriving_ = false;
        if (!played) {
            Resync();
            return;
        }
        if (!Rebuilding_ && game.MayChoose()) Note("noteyourturn");
    } else if (n > have + 1) {
        // A move is missing: the server sends every move after the last one we have.
        Resync();
        return;
    }
    ShowClocks(message.value(QStringLiteral("clocks")));
    Seat_.Last = n;
    if (game.Running()) SaveSeat();
}

void TOnlinePlay::Resync() {
    Seat_.Last = Window_.Spielfeld->History().MoveCount();
    Pending_.clear();
    Client->Drop();
}

void TOnlinePlay::ShowClocks(const QJsonValue& clocks) {
    if (Clock_ == QLatin1String("none") || !clocks.isArray()) return;
    const QJsonArray ms = clocks.toArray();
    Window_.Spielfeld->SetClocksLeft(ms.at(0).toInt() / 1000, ms.at(1).toInt() / 1000);
}

void TOnlinePlay::HandleEnd(const QJsonObject& message) {
    Rebuilding_ = false;
    TSpielfeld& game = *Window_.Spielfeld;
    const QString reason = Str(message, "reason");
    const int winner = Int(message, "winner");
    if (!Active_) return;
    if (!game.Running()) {
        // Played to the end on our board too: its end was shown already.
        Stop();
        return;
    }
    if (reason == QLatin1String("resign"))
        game.EndEarly(winner, QStringLiteral("noteresigned"), {Name(3 - winner)});
    else if (reason == QLatin1String("draw"))
        game.EndEarly(0, QStringLiteral("notedrawagreed"), {});
    else if (reason == QLatin1String("time"))
        game.EndEarly(winner, QStringLiteral("notetimeout"), {Name(3 - winner)});
    else
        game.EndEarly(winner, QStringLiteral("noteend"), {});
}

void TOnlinePlay::HandleDraw(const QJsonObject& message) {
    const int seat = Int(message, "seat");
    if (seat == Seat_.Seat || !Playing()) return;
    if (Str(message, "action") == QLatin1String("decline")) {
        Note("notedrawdeclined", {Name(seat)});
        return;
    }
    const bool accept =
        LngMessageDlg(FormatText(Text("msgdrawoffer"), {Name(seat)}), mtConfirmation, mbYesNo) == mrYes;
    Client->Send({{QStringLiteral("type"), QStringLiteral("draw")},
                  {QStringLiteral("action"), accept ? QStringLiteral("accept") : QStringLiteral("decline")}});
}

// ---- What the player does ----

void TOnlinePlay::Moved(int n, int place, int player) {
    if (!Active_ || Arriving_ || player != Seat_.Seat) return;
    // While the line is down the move waits for the next connection's greeting.
    MoveConnection_ = Connections_ + (Client->Connected() ? 0 : 1);
    Client->Send({{QStringLiteral("type"), QStringLiteral("move")},
                  {QStringLiteral("n"), n},
                  {QStringLiteral("place"), place}});
}

void TOnlinePlay::aResignExecute() {
    if (!Playing() || LngMessageDlg(Text("msgresign"), mtConfirmation, mbYesNo) != mrYes) return;
    Client->Send({{QStringLiteral("type"), QStringLiteral("resign")}});
}

void TOnlinePlay::aDrawExecute() {
    if (!Playing()) return;
    Client->Send({{QStringLiteral("type"), QStringLiteral("draw")},
                  {QStringLiteral("action"), QStringLiteral("offer")}});
    Note("notedrawoffered");
}

void TOnlinePlay::SendChat() {
    const QString text = CleanText(eChat->text());
    eChat->clear();
    Window_.setFocus();
    if (text.isEmpty() || !Active_) return;
    Client->Send({{QStringLiteral("type"), QStringLiteral("chat")}, {QStringLiteral("text"), text}});
}

void TOnlinePlay::GameEnded() {
    if (!Active_) return;
    const QString folder = DataFolder() + QStringLiteral("/online");
    const QString file = folder + QStringLiteral("/") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
                         QStringLiteral(".kel");
    try {
        QDir().mkpath(folder);
        Window_.Spielfeld->History().SaveToFile(QFile::encodeName(file).toStdString());
    } catch (const std::exception& error) {
        LngFileErrorDlg(error, file);
    }
    Stop();
}

void TOnlinePlay::Stop() {
    Client->Close();
    Pending_.clear();
    Active_ = false;
    Rebuilding_ = false;
    Lost_ = false;
    if (!Seat_.Game.empty()) {
        Seat_ = {};
        SaveSeat();
    }
    UpdateActions();
}

} // namespace kelani
