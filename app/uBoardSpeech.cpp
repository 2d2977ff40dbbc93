#include "app/uBoardSpeech.h"

#include "components/uFormat.h"
#include "components/uTextConversion.h"
#include "control/uTSpielfeld.h"

#include <QStringList>

namespace kelani {
namespace {

// More records than a move, a pass and the next pass at once: a game was loaded.
constexpr int kMostRecordsPerTurn = 3;

QString Number(int n) {
    return QString::number(n);
}

QString Duration(int seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString SpokenStones(int count, const TTranslate& text) {
    return count == 1 ? text(QStringLiteral("a11ystone"))
                      : FormatText(text(QStringLiteral("a11ystones")), {Number(count)});
}

} // namespace

QString SpokenName(const THistory& history, int player, const TTranslate& text) {
    const QString name = FromCp1252(player == 1 ? history.Name1 : history.Name2);
    return name.isEmpty() ? FormatText(text(QStringLiteral("a11yplayer")), {Number(player)}) : name;
}

QString MoveSpeech(TFeld& feld, const TMove& move, const THistory& history, const TTranslate& text) {
    const int place = move.Mulde, player = move.Spieler;
    const auto name = [&](int p) { return SpokenName(history, p, text); };
    if (place == 0) {
        feld.Skip();
        return FormatText(text(QStringLiteral("notemustskip")), {name(player)}) + QLatin1Char('.');
    }
    const int stores[3] = {0, feld.Store1(), feld.Store2()};
    QString spoken = FormatText(text(QStringLiteral("a11yplayed")), {name(player), Number(PitNumber(place)),
                                                                     SpokenStones(feld.Mulde(place), text)});
    feld.DoMove(place);
    for (int p : {player, Opponent(player)}) {
        const int gained = feld.Store(p) - stores[p];
        if (gained > 0)
            spoken += QLatin1Char(' ') + FormatText(text(QStringLiteral("a11ycaptured")),
                                                    {name(p), Number(gained), Number(feld.Store(p))});
    }
    return spoken;
}

TBoardSpeech::TBoardSpeech(const TSpielfeld& game, TTranslate text) : game_(game), text_(std::move(text)) {}

QString TBoardSpeech::Text(const char* key) const {
    return text_(QLatin1String(key));
}

QString TBoardSpeech::Name(int player) const {
    return SpokenName(game_.History(), player, text_);
}

int TBoardSpeech::Self() const {
    const THistory& history = game_.History();
    if (history.IsComputer(1) != history.IsComputer(2)) return history.IsComputer(1) ? 2 : 1;
    return history.IsComputer(1) ? 0 : game_.Board().AktSpieler();
}

QString TBoardSpeech::Stones(int count) const {
    return SpokenStones(count, text_);
}

QString TBoardSpeech::PlaceName(int place) const {
    const int owner = OwnerOf(place);
    const QString stones = Stones(game_.Board().Mulde(place));
    if (owner == Self())
        return IsStirnmulde(place) ? FormatText(Text("a11yownhead"), {stones})
                                   : FormatText(Text("a11yownpit"), {Number(PitNumber(place)), stones});
    return IsStirnmulde(place) ? FormatText(Text("a11yhead"), {Name(owner), stones})
                               : FormatText(Text("a11ypit"), {Name(owner), Number(PitNumber(place)), stones});
}

QString TBoardSpeech::ClockName(int player) const {
    return FormatText(Text("a11yclock"), {Name(player), Duration(game_.Seconds(player))});
}

QString TBoardSpeech::ClocksText() const {
    return ClockName(1) + QStringLiteral(". ") + ClockName(2);
}

QString TBoardSpeech::CountersName() const {
    const THistory& history = game_.History();
    return FormatText(Text("a11ycounters"),
                      {Number(game_.Board().Variante()), Number(history.MoveCount()), Name(1),
                       Number(history.PlayerMoveCount(1)), Name(2), Number(history.PlayerMoveCount(2))});
}

QString TBoardSpeech::NotesName() const {
    return FormatText(Text("a11ynotes"),
                      {game_.Notes().split(QStringLiteral("\r\n")).join(QStringLiteral(". "))});
}

QString TBoardSpeech::PreviewName() const {
    const int place = game_.Layers().OverviewLayer->Value();
    if (!game_.Board().IsLegalMove(place)) return Text("a11ynopreview");
    TFeld after(game_.Board());
    after.DoMove(place);
    return FormatText(Text("a11ypreview"), {Number(PitNumber(place)), RowsText(after)});
}

QString TBoardSpeech::RowsText(const TFeld& feld) const {
    QStringList rows;
    for (int player : {1, 2}) {
        QStringList pits;
        for (int pit = 1; pit <= 6; ++pit) pits << Number(feld.Mulde(PitIndex(player, pit)));
        rows << FormatText(Text("a11yrow"),
                           {Name(player), pits.join(QLatin1Char(' ')), Number(feld.Store(player))});
    }
    return rows.join(QStringLiteral(". "));
}

QString TBoardSpeech::BoardText() const {
    return RowsText(game_.Board()) + QStringLiteral(". ") + TurnOrResult();
}

QString TBoardSpeech::TurnOrResult() const {
    const TFeld& board = game_.Board();
    if (game_.Running()) return FormatText(Text("a11yturn"), {Name(board.AktSpieler())});
    if (!game_.GameOnBoard()) return QString();
    const int winner = board.Leader();
    if (winner == 0) return FormatText(Text("a11ydrawn"), {Number(board.Store1()), Number(board.Store2())});
    return FormatText(Text("a11ywon"),
                      {Name(winner), Number(board.Store(winner)), Number(board.Store(Opponent(winner)))});
}

QString TBoardSpeech::TurnText() {
    const THistory& history = game_.History();
    const int fresh = history.Count() - recorded_;
    QStringList parts;
    if (fresh < 0 || fresh > kMostRecordsPerTurn || history.Count() == 0) {
        parts << game_.Notes().split(QStringLiteral("\r\n")).constLast();
    } else {
        for (int i = recorded_; i < history.Count(); ++i)
            parts << MoveSpeech(before_, history.Moves(i), history, text_);
    }
    parts << TurnOrResult();
    parts.removeAll(QString());
    before_ = game_.Board();
    recorded_ = history.Count();
    lastTurn_ = parts.join(QLatin1Char(' '));
    return lastTurn_;
}

} // namespace kelani
