#include "control/uTSpielfeld.h"

#include "components/uFolders.h"
#include "components/uFormat.h"
#include "components/uTextConversion.h"
#include "components/uWait.h"
#include "control/uTAnalysis.h"
#include "control/uTEndgameTables.h"
#include "control/uTMeisterThread.h"
#include "control/uTakeBack.h"
#include "game/uTMeister.h"
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "view/uTGFXFile.h"
#include "view/uTHands.h"

#include <QFile>
#include <QTimer>
#include <algorithm>

namespace kelani {
namespace {

// The note shown while the Master thinks about a hint; it goes when his answer comes.
constexpr const char* kThinkingNote = "notethinking";

constexpr int kHighlightDelay = 500;
constexpr int kStepDelay = 200;
constexpr int kHighscorePlaces = 20;
// The highscore window shows the tables of the variants the new-game dialog offers.
constexpr int kFirstRankedVariante = 4;
constexpr int kHintShownMs = 2000;
constexpr QRgb kGoldenKey = qRgb(255, 255, 255);

// Hand geometry: player 1 plays from the top edge, player 2 from the bottom edge (index = player).
constexpr QPoint kPickHome[3] = {{}, {400, -100}, {200, 700}};
constexpr QPoint kSowHome[3] = {{}, {200, -100}, {400, 700}};
constexpr QPoint kSowBesidePit[3] = {{}, {-140, 0}, {140, 0}};
constexpr QPoint kSowShift[3] = {{}, {-40, -20}, {40, 20}};

// The recording for `count` stones arriving at once in a place holding `before` stones.
const char* ArrivalSound(int count, int before) {
    if (count == 1) return before == 0 ? "1steininmulde" : "4steininmulde";
    if (count >= 2 && count <= 4) return "wenigsteineinstirnmulde";
    if (count >= 5 && count <= 999) return "vielesteineinstirnmulde";
    return nullptr;
}

// The recording for the picking hand now holding `stones`.
const char* HandSound(int stones) {
    if (stones >= 2 && stones <= 4) return "wenigsteineinderhand";
    if (stones >= 5 && stones <= 999) return "vielesteineinderhand";
    return nullptr;
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool InTable(int rank) {
    return rank >= 0 && rank < kHighscorePlaces;
}

} // namespace

QPoint PitCentre(int place) {
    const QRect r = PitRect(place);
    return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2);
}

TSpielfeld::TSpielfeld(TTranslate text, const QString& language)
    : Text_(std::move(text)), Language_(language), Settings_(SettingsFolder()), KI(Feld),
      History_(std::make_unique<THistory>()) {
    BeginUpdate();
    Settings_.Load();
    KI.SetMasterTime(Settings_.MasterTime);
    ConnectFeld();
    LoadPictures();
    Layers_ =
        std::make_unique<TSpielfeldLayers>(BackgroundCanvas_, BoardCanvas_, [this] { return GameOnBoard(); });
    Layers_->Language = Text_;
    Layers_->OverviewLayer->Feld = &Feld;
    Layers_->SetOnPainted([this](TBitmapLayer*) {
        if (OnPainted) OnPainted();
    });
    Hands = std::make_unique<TKelaniHands>();
    Hands->LoadPictures();
    Hands->SteinBilder = Layers_->GFXSteine.get();
    Hands->FrameImage = &FrameImage;
    Hands->BoardImage = &BoardImage;
    // Once the rest of a move is skipped, its frames are neither waited for nor shown.
    Hands->OnFrame = [this](TKelaniHands&) {
        if (!Skipping_) Refresh();
    };
    Hands->WaitUntilTick = [this](int64_t tick) {
        if (!Skipping_) WaitUntil(tick);
    };
    ShowLanguagePictures();
    Meister_ = std::make_unique<TMeisterThread>();
    ConnectTables();
    HintTimer_ = std::make_unique<QTimer>();
    HintTimer_->setSingleShot(true);
    HintTimer_->setInterval(kHintShownMs);
    HintTimer_->callOnTimeout([this] { EndHint(); });
    EndUpdate();
}

TSpielfeld::~TSpielfeld() {
    try {
        Settings_.Save();
    } catch (const std::exception& error) {
        Error(error);
    }
}

void TSpielfeld::Message(const QString& text, TMessageKind kind) const {
    if (OnMessage) OnMessage(text, kind);
}

void TSpielfeld::Error(const std::exception& error, const QString& fileName) const {
    if (OnError) OnError(error, fileName);
}

void TSpielfeld::ConnectFeld() {
    const auto step = [this](void (TSpielfeld::*handler)(int, int, int)) {
        return [this, handler](int place, int player, int count) {
            if (!AnimationOn()) return;
            // Every frame starts from the board as it is now: a pit shows its stones the moment
            // they arrive, not one step later.
            UpdateLayers();
            (this->*handler)(place, player, count);
        };
    };
    Feld.OnBeforeSow = step(&TSpielfeld::SowBefore);
    Feld.OnAfterSow = step(&TSpielfeld::SowAfter);
    Feld.OnBeforeTake = step(&TSpielfeld::TakeBefore);
    Feld.OnAfterTake = step(&TSpielfeld::TakeAfter);
    Feld.OnBeforeStore = step(&TSpielfeld::StoreBefore);
    Feld.OnAfterStore = step(&TSpielfeld::StoreAfter);
}

void TSpielfeld::LoadPictures() {
    const TGFXFile gfx = OpenGfxFile(QStringLiteral("game.gfx"), Scale_);
    const auto load = [&](const char* name) {
        QImage picture;
        gfx.LoadBitmap(name, picture);
        return FitScale(picture, Scale_);
    };
    QImage jpeg;
    gfx.LoadJPEG("bg.jpg", jpeg);
    QImage golden;
    gfx.LoadBitmap("golden.bmp", golden);
    // The key goes before any enlarging, so the ring's edge fades out instead of turning white.
    Golden_ = FitScale(MakeTransparent(golden, QColor(kGoldenKey)), Scale_);
    OverviewUs_ = load("us_overview.bmp");
    OverviewDe_ = load("de_overview.bmp");
    PreviewUs_ = load("us_preview.bmp");
    PreviewDe_ = load("de_preview.bmp");
    Background = FitScale(jpeg, Scale_).convertToFormat(QImage::Format_RGB32);
    TrainingGround_ = Background.copy(PixelRect(TrainingMarkRect(), Scale_));
    BoardImage = Background.copy();
    FrameImage = Background.copy();
    BoardCanvas_.Font.Name = QStringLiteral("Comic Sans MS");
    BoardCanvas_.Font.Bold = true;
    BoardCanvas_.Font.Size = 9;
}

bool TSpielfeld::GameOnBoard() const {
    return Running_ || History_->Count() > 0;
}

void TSpielfeld::Abandon() {
    Abandoned_ = true;
    Skipping_ = true;
    if (OnSound) OnSound(QString());
    CutWaitsShort();
}

bool TSpielfeld::IsComputer(int player) const {
    return History_->IsComputer(player);
}

bool TSpielfeld::HumanToMove() const {
    return Running_ && !IsComputer(Feld.AktSpieler()) && !IsRemote(Feld.AktSpieler());
}

bool TSpielfeld::RemoteToMove() const {
    return Running_ && IsRemote(Feld.AktSpieler());
}

bool TSpielfeld::MayChoose() const {
    return HumanToMove() && !Busy_;
}

bool TSpielfeld::ComputerToMove() const {
    return Running_ && !Busy_ && IsComputer(Feld.AktSpieler());
}

bool TSpielfeld::MasterToMove() const {
    return ComputerToMove() && KI.Level() == kMeisterLevel;
}

bool TSpielfeld::MayPlay(int place) const {
    return HumanToMove() && !Busy_ && Feld.IsLegalMove(place);
}

bool TSpielfeld::HintAllowed() const {
    return MayChoose() && Remote_ == 0;
}

bool TSpielfeld::Thinking() const {
    return Meister_->Thinking();
}

int TSpielfeld::TakeFreshRank() {
    int mark = -1;
    if (Rank1_ > 0) mark = Rank1_;
    if (Rank2_ > 0 && (Rank1_ < 1 || Rank2_ < Rank1_)) mark = Rank2_;
    Rank1_ = -1;
    Rank2_ = -1;
    return mark;
}

QString TSpielfeld::Text(const char* key) const {
    return Text_(QLatin1String(key));
}

QString TSpielfeld::PlayerName(int player) const {
    return FromCp1252(player == 1 ? History_->Name1 : History_->Name2);
}

QString TSpielfeld::Notes() const {
    return Layers_->NotesLayer->Text();
}

void TSpielfeld::AddNote(const QString& key, const QStringList& args, std::optional<TMeisterLine> value) {
    Notes_.push_back({key, args, std::move(value)});
    ShowNotes();
}

// A new or loaded game's notes begin with the one of `key`.
void TSpielfeld::StartNotes(const char* key) {
    Notes_ = {{QLatin1String(key), {}}};
    ShowNotes();
}

QStringList TSpielfeld::NoteArgs(const TNote& note) const {
    if (!note.Value) return note.Args;
    const auto words = [this](const char* key) {
        return ValueWords_ ? ValueWords_(key) : Text_(QLatin1String(key));
    };
    return note.Args + QStringList{AnalysisValueText(*note.Value, words)};
}

void TSpielfeld::ShowNotes() {
    QStringList lines;
    for (const TNote& note : Notes_) lines << FormatText(Text_(note.Key), NoteArgs(note));
    Layers_->NotesLayer->SetText(lines.join(QStringLiteral("\r\n")));
}

void TSpielfeld::ShowPreview(int place) {
    Layers_->FeldLayers[0]->SetValue(place);
}

void TSpielfeld::SetSeconds(int player, int seconds) {
    Seconds_[player] = seconds;
    ShowSeconds(player);
}

void TSpielfeld::ShowSeconds(int player) {
    Layers_->ZeitLayers[player]->SetValue(Left_[player] >= 0 ? Left_[player] : Seconds_[player]);
}

void TSpielfeld::Tick() {
    if (!ClockRuns()) return;
    const int player = Feld.AktSpieler();
    if (Left_[player] > 0) --Left_[player];
    SetSeconds(player, Seconds_[player] + 1);
}

void TSpielfeld::SetClocksLeft(int seconds1, int seconds2) {
    Left_[1] = std::max(0, seconds1);
    Left_[2] = std::max(0, seconds2);
    ShowSeconds(1);
    ShowSeconds(2);
}

bool TSpielfeld::SkipAnimation() {
    if (!Busy_) return false;
    Skipping_ = true;
    return true;
}

void TSpielfeld::NewGame(const TNewGameSettings& s) {
    CancelThinking();
    Running_ = true;
    BeginUpdate();
    WillWinShown_ = false;
    Feld.SetSteineProMulde(s.SteineProMulde);
    Feld.SetUseStirnmulde(s.UseStirnmulde);
    Feld.Reset();
    Feld.SetAktSpieler(s.FirstPlayer);
    Feld.SetVariante(s.Variante);
    KI.SetLevel(s.Level);
    Remote_ = s.Remote;
    Left_[1] = Left_[2] = -1;
    History_->Init(ToCp1252(s.Name1), ToCp1252(s.Name2), ToCp1252(s.EMail1), ToCp1252(s.EMail2),
                   ToCp1252(s.Land1), ToCp1252(s.Land2), s.Variante, s.UseStirnmulde,
                   static_cast<uint8_t>(s.SteineProMulde), s.Level, s.FirstPlayer,
                   static_cast<uint8_t>(s.Modus));
    History_->StartPosition = s.Position.toStdString();
    History_->StartBoard(Feld);
    Layers_->AktSpielerLayer->Names = {QString(), s.Name1, s.Name2};
    SetSeconds(1, 0);
    SetSeconds(2, 0);
    Layers_->VarianteLayer->SetValue(s.Variante);
    StartNotes("notestart");
    ShowLanguagePictures();
    Layers_->Paint();
    PlaySound("vielesteineinstirnmulde");
    EndUpdate();
    Refresh();
    TurnChanged(false);
}

void TSpielfeld::RecordMove(int index) {
    const int player = Feld.AktSpieler();
    const int used = Seconds_[player] - History_->PlayerTime(player);
    History_->AddMove(used, static_cast<uint8_t>(index), player);
}

void TSpielfeld::PlayPit(int place) {
    // The remote player's moves only arrive.
    if (!Running_ || Busy_ || RemoteToMove() || !Feld.IsLegalMove(place)) return;
    // A hint asked for or shown is for the position before this move.
    CancelThinking();
    PlayMove(place);
    // Closed during the move: the window is gone and nothing more is shown.
    if (Abandoned_ || TakeBackWaiting()) return;
    NextTurn(Feld.IsGameOver());
}

bool TSpielfeld::PlayArrived(int place, bool animate) {
    if (!Running_ || Busy_ || !Feld.IsLegalMove(place)) return false;
    CancelThinking();
    PlayMove(place, animate);
    if (!Abandoned_) NextTurn(Feld.IsGameOver());
    return true;
}

void TSpielfeld::PlaySkip() {
    if (!Running_ || Busy_ || !Feld.HasNoLegalMove()) return;
    CancelThinking();
    MustSkip();
    TurnChanged(Feld.IsGameOver());
}

void TSpielfeld::NextTurn(bool over) {
    if (Running_ && !over && Feld.HasNoLegalMove())
        PlaySkip();
    else
        TurnChanged(over);
}

void TSpielfeld::TurnChanged(bool over) {
    if (OnTurn) OnTurn();
    if (over && OnGameEnded) OnGameEnded();
}

void TSpielfeld::ComputerTurn() {
    if (!ComputerToMove() || Thinking()) return;
    if (MasterToMove())
        Think([this](const TKIChoice& choice) { PlayChoice(choice.Pit); });
    else
        PlayChoice(KI.ChooseMove());
}

// ---- The Master's thinking: his move and the hint ----

void TSpielfeld::Think(std::function<void(const TKIChoice&)> done) {
    CancelThinking();
    Meister_->Start(
        Feld, KI.MasterTime(),
        [this, done = std::move(done)](const TKIChoice& choice) {
            DropThinkingNote();
            if (OnThinking) OnThinking(false);
            done(choice);
        },
        Endgame());
    if (OnThinking) OnThinking(true);
}

void TSpielfeld::StartHint() {
    if (!HintAllowed()) return;
    // Told before he thinks: the box would drop his thinking.
    MakeTraining();
    Think([this](const TKIChoice& choice) {
        if (choice.Pit > 0) ShowHint(PitIndex(Feld.AktSpieler(), choice.Pit), choice);
    });
    AddNote(QLatin1String(kThinkingNote));
}

bool TSpielfeld::HurryThinking() {
    if (!Thinking()) return false;
    Meister_->Hurry();
    return true;
}

void TSpielfeld::CancelThinking() {
    EndHint();
    if (!Thinking()) return;
    Meister_->Stop();
    DropThinkingNote();
    if (OnThinking) OnThinking(false);
}

void TSpielfeld::DropThinkingNote() {
    if (Notes_.empty() || Notes_.back().Key != QLatin1String(kThinkingNote)) return;
    Notes_.pop_back();
    ShowNotes();
}

void TSpielfeld::ShowHint(int place, const TKIChoice& choice) {
    // The note keeps the value, not its words, so it follows a language switch.
    const QString pit = QString::number(PitNumber(place));
    if (MeisterPliesToEnd(choice.Score) != 0)
        AddNote(QLatin1String(choice.Score > 0 ? "notehintwins" : "notehintloses"), {pit});
    else
        AddNote(QLatin1String(choice.Exact ? "notehintexact" : "notehint"), {pit},
                TMeisterLine{PitNumber(place), choice.Score, {}, choice.Exact});
    HintPlace_ = place;
    HintTimer_->start();
    Refresh();
    if (OnHint) OnHint(place);
}

// ---- endgame tables and training games ----

void TSpielfeld::ConnectTables() {
    Tables_ = std::make_unique<TEndgameTables>(ProgramFolder(), DataFolder(), TableStonesFromEnvironment());
    // One note when the building begins, one when the tables are ready: the progress itself is
    // the analysis panel's to show.
    Tables_->OnProgress = [this] {
        if (!TablesNoted_) AddNote(QStringLiteral("notetables"));
        TablesNoted_ = true;
    };
    Tables_->OnReady = [this](bool built) {
        if (built) AddNote(QStringLiteral("notetablesready"));
        TablesNoted_ = false;
    };
    Tables_->OnFailed = [this](const QString& message) {
        AddNote(QStringLiteral("notetablesfailed"), {message});
        TablesNoted_ = false;
    };
}

const TEndgameSource* TSpielfeld::Endgame() {
    return Tables_->For(Feld.Variante(), Feld.UseStirnmulde());
}

double TSpielfeld::EndgameProgress() const {
    return Tables_->Progress();
}

void TSpielfeld::EndHint() {
    HintTimer_->stop();
    if (HintPlace_ < 0) return;
    HintPlace_ = -1;
    Refresh();
}

void TSpielfeld::PlayChoice(int pit) {
    if (pit == 0)
        PlaySkip();
    else
        PlayPit(PitIndex(Feld.AktSpieler(), pit));
}

void TSpielfeld::PlayMove(int index, bool animate) {
    RecordMove(index);
    if (OnMove) OnMove(History_->MoveCount(), index, Feld.AktSpieler());
    ShowMove(index, animate);
    // Closed during the move, or taken back meanwhile: nothing of its end is shown.
    if (Abandoned_ || TakeBackPending_) return;
    AnnounceWinner();
    AfterMove();
}

void TSpielfeld::SetBusy(bool busy) {
    Busy_ = busy;
    if (OnBusy) OnBusy(busy);
}

void TSpielfeld::ShowMove(int index, bool animate) {
    SetBusy(true);
    Layers_->FeldLayers[0]->SetValue(-1);
    Skipping_ = !animate;
    for (int player : {1, 2}) {
        Hands->PickPos[player] = kPickHome[player];
        Hands->SowPos[player] = kSowHome[player];
        Hands->PickFrame[player] = 0;
        Hands->SowFrame[player] = 0;
        Hands->PickStones[player] = 0;
    }
    Feld.DoMove(index);
    if (Abandoned_) return;
    ReturnHandsHome();
    // Before the game end's boxes: they are answered with the window's own input and pointer.
    SetBusy(false);
    SetScale(WantedScale_); // the window may have changed its size during the move
}

void TSpielfeld::ReturnHandsHome() {
    // Player 1's hands go home first, then player 2's; each return shows at least one frame, in
    // every animation mode, so the board ends on a clean picture.
    Hands->PickStones[1] = 0;
    Hands->PickFrame[1] = 0;
    Hands->PickFrame[2] = 0;
    Hands->MoveHands(kPickHome[1], kSowHome[1], 1);
    Hands->PickFrame[1] = 0;
    Hands->SowFrame[1] = 0;
    Hands->PickStones[2] = 0;
    Hands->MoveHands(kPickHome[2], kSowHome[2], 2);
    Hands->PickFrame[2] = 0;
    Hands->SowFrame[2] = 0;
}

void TSpielfeld::AnnounceWinner() {
    const int winner = Feld.WillWin();
    if (WillWinShown_ || winner == 0) return;
    AddNote(QStringLiteral("notewillwin"), {PlayerName(winner)});
    WillWinShown_ = true;
}

void TSpielfeld::MustSkip() {
    AddNote(QStringLiteral("notemustskip"), {PlayerName(Feld.AktSpieler())});
    RecordMove(0);
    Feld.Skip();
    AfterMove();
}

void TSpielfeld::AfterMove() {
    Layers_->FeldLayers[0]->Paint();
    Refresh();
    if (!Feld.IsGameOver()) return;
    AddNote(QStringLiteral("noteend"));
    GameEnd();
}

void TSpielfeld::UpdateLayers() {
    Layers_->AktSpielerLayer->SetValue(Feld.AktSpieler());
    Layers_->SteineHandLayer->SetValue(Feld.Hand());
    Layers_->RundeLayers[0]->SetValue(History_->MoveCount());
    Layers_->RundeLayers[1]->SetValue(History_->PlayerMoveCount(1));
    Layers_->RundeLayers[2]->SetValue(History_->PlayerMoveCount(2));
    for (int place = 1; place <= kPlaces; ++place) Layers_->FeldLayers[place]->SetValue(Feld.Mulde(place));
}

void TSpielfeld::Refresh() {
    BeginUpdate();
    UpdateLayers();
    EndUpdate();
    Layers_->NotifyPainted();
    if (OnChanged) OnChanged();
}

// Every layer drawn afresh on the current pictures.
void TSpielfeld::Repaint() {
    BeginUpdate();
    ShowLanguagePictures();
    Layers_->Paint();
    EndUpdate();
    Refresh();
}

QImage TSpielfeld::Picture(int highlight) const {
    // While a move is shown, its frames are the picture.
    if (Busy_) return FrameImage;
    return highlight > 0 ? Highlighted(highlight) : BoardImage;
}

QImage TSpielfeld::Highlighted(int index) const {
    QImage frame = BoardImage.copy();
    if (index >= 1 && index <= kPlaces) {
        TCanvas canvas(frame);
        const QRect r = PitRect(index);
        const QSize golden = Golden_.size() / Scale_;
        canvas.Draw(r.left() + (r.width() - golden.width()) / 2, r.top() + (r.height() - golden.height()) / 2,
                    Golden_);
    }
    return frame;
}

void TSpielfeld::HighlightPit(int index, int delay) {
    const int64_t start = TickCount();
    FrameImage = Highlighted(index);
    Refresh();
    WaitUntil(start + delay);
}

bool TSpielfeld::AnimationOn() const {
    return !Skipping_ && Settings_.Animation != kNoAnimation;
}

void TSpielfeld::PlaySound(const char* name) const {
    if (name && Settings_.Sound && OnSound) OnSound(QLatin1String(name));
}

void TSpielfeld::PlayPitSound(int place, int count) const {
    PlaySound(ArrivalSound(count, Feld.Mulde(place)));
}

void TSpielfeld::SowBefore(int place, int player, int count) {
    if (Settings_.Animation == kStoneAnimation)
        HighlightPit(place, kHighlightDelay);
    else
        Hands->Drop(PitCentre(place), 1, player);
    PlayPitSound(place, count);
}

void TSpielfeld::SowAfter(int, int, int) {
    if (Settings_.Animation == kStoneAnimation) HighlightPit(-1, kStepDelay);
}

void TSpielfeld::StoreBefore(int place, int player, int count) {
    if (Settings_.Animation == kStoneAnimation)
        HighlightPit(place, kHighlightDelay);
    else
        Hands->Drop(PitCentre(place), count, player);
    PlayPitSound(place, count);
}

void TSpielfeld::StoreAfter(int, int, int) {
    if (Settings_.Animation == kStoneAnimation) HighlightPit(-1, kStepDelay);
}

void TSpielfeld::TakeBefore(int place, int player, int) {
    const char* sound = IsStirnmulde(place) ? nullptr : "4steinausmulde";
    if (Settings_.Animation == kStoneAnimation) {
        PlaySound(sound);
        HighlightPit(-1, kHighlightDelay);
        return;
    }
    const QPoint centre = PitCentre(place);
    Hands->MoveHands(centre, centre + kSowBesidePit[player], player);
    PlaySound(sound);
}

void TSpielfeld::TakeAfter(int place, int player, int count) {
    if (Settings_.Animation == kStoneAnimation) {
        HighlightPit(-1, kStepDelay);
        return;
    }
    const QPoint centre = PitCentre(place);
    Hands->Pick(centre, count, player);
    PlaySound(HandSound(Hands->PickStones[player]));
    Hands->HandOver(centre, count, player);
    WaitFor(kStepDelay);
    Hands->PickFrame[player] = 0;
    Hands->MoveHands(kPickHome[player], Hands->SowPos[player] + kSowShift[player], player);
}

void TSpielfeld::SetScale(int scale) {
    WantedScale_ = scale;
    scale = std::min(scale, ScaleLimit_);
    if (scale == Scale_ || Busy_) return;
    const int shown = Scale_;
    try {
        LoadScale(scale);
    } catch (const std::exception& error) {
        // A damaged @2x container costs sharpness, never the running game: the board goes back to
        // the pictures it had (they loaded before), enlarged by the window, and stays there.
        ScaleLimit_ = shown;
        LoadScale(shown);
        Error(error, GfxErrorFile(error));
    }
}

void TSpielfeld::LoadScale(int scale) {
    Scale_ = scale;
    BeginUpdate();
    LoadPictures();
    *Layers_->GFXSteine = TGFXSteine(scale);
    *Layers_->GFXMulden = TGFXMulden(scale);
    Hands->LoadPictures(scale);
    Repaint();
}

int TSpielfeld::PitAt(int x, int y) const {
    for (int place = 1; place <= kPlaces; ++place)
        if (PitRect(place).contains(x, y)) return place;
    return -1;
}

void TSpielfeld::SetLanguage(const QString& language) {
    try {
        Settings_.SaveLanguage(language.toStdString());
    } catch (const std::exception& error) {
        Error(error);
    }
    Language_ = language;
    ShowNotes();
    Repaint();
}

void TSpielfeld::SetSound(bool on) {
    Settings_.Sound = on;
}

void TSpielfeld::SetAnimation(int animation) {
    Settings_.Animation = animation;
}

void TSpielfeld::SetMaximized(bool maximized) {
    Settings_.Maximized = maximized;
}

void TSpielfeld::SetHighContrast(bool on) {
    Settings_.HighContrast = on;
}

void TSpielfeld::SetLargeNotes(bool on, int points) {
    Settings_.LargeNotes = on;
    Layers_->NotesLayer->FontSize = points;
    Repaint();
}

void TSpielfeld::ShowLanguagePictures() {
    const bool english = Language_ == QLatin1String("english");
    BackgroundCanvas_.Draw(53, 395, english ? OverviewUs_ : OverviewDe_);
    BackgroundCanvas_.Draw(256, 395, english ? PreviewUs_ : PreviewDe_);
    ShowTrainingMark();
    BoardImage = Background.copy();
    FrameImage = Background.copy();
}

// ---- Game end ----

void TSpielfeld::EnterHighscores(int& r1, int& r2) {
    const std::string file = THighscore::FileName(LocalPath(DataFolder()), History_->Variante);
    THighscore table;
    try {
        table.LoadFromFile(file);
    } catch (const std::exception& error) {
        // A damaged table is left as it is for the player to inspect; this game is not entered,
        // but the game end goes on.
        Error(error, QFile::decodeName(QByteArray::fromStdString(file)));
        return;
    }
    const int store[3] = {0, Feld.Store1(), Feld.Store2()};
    const std::string* names[3] = {nullptr, &History_->Name1, &History_->Name2};
    const std::string* mails[3] = {nullptr, &History_->EMail1, &History_->EMail2};
    const std::string* lands[3] = {nullptr, &History_->Land1, &History_->Land2};
    int* ranks[3] = {nullptr, &r1, &r2};
    for (int p : {1, 2}) {
        // A remote player enters the tables of his own computer.
        if (IsComputer(p) || IsRemote(p)) continue;
        *ranks[p] = table.AddEntry(*names[p], Seconds_[p], store[p], store[Opponent(p)],
                                   History_->PlayerMoveCount(p), false, *mails[p], *lands[p]);
    }
    try {
        table.SaveToFile(file);
    } catch (const std::exception& error) {
        // The table on disk holds other players at these ranks: nothing is announced or marked.
        Error(error);
        r1 = -1;
        r2 = -1;
        return;
    }
    // Player 2's entry went in at or above player 1's: player 1's entry moved down by one.
    if (r2 >= 0 && r1 >= r2) ++r1;
}

QString TSpielfeld::ResultText(int winner, int r1, int r2) const {
    QString text = winner != 0 ? FormatText(Text("msgplayerwon"), {PlayerName(winner)}) : Text("msgdrawn");
    const int total = Feld.Store1() + Feld.Store2();
    const int ranks[3] = {0, r1, r2};
    for (int p : {1, 2}) {
        if (!InTable(ranks[p])) continue;
        const QString score = QString::fromStdString(THighscore::PercentText(Feld.Store(p), total));
        text += FormatText(Text("msgplayersummary"), {PlayerName(p), QString::number(Feld.Store(p)), score,
                                                      score, QString::number(ranks[p] + 1)});
    }
    if (History_->Training && History_->Modus != kModeComputers) text += Text("msgtrainingend");
    return text;
}

void TSpielfeld::Finish(int winner) {
    // Painting goes on throughout: the final position stays on the board under the boxes.
    Running_ = false;
    const char* sound = "gewonnen";
    if ((History_->Modus != 0 || Remote_ != 0) && winner == 0) sound = "unentschieden";
    if ((History_->Modus == 1 && winner == 1) || (Remote_ != 0 && winner == Remote_)) sound = "verloren";
    PlaySound(sound);
}

void TSpielfeld::EndEarly(int winner, const QString& key, const QStringList& args) {
    if (!Running_ || Busy_) return;
    CancelThinking();
    AddNote(key, args);
    Finish(winner);
    Refresh();
    Message(ResultText(winner, -1, -1), TMessageKind::Information);
    TurnChanged(true);
}

void TSpielfeld::GameEnd() {
    int r1 = -1;
    int r2 = -1;
    // The older rule sets of a loaded game have no table the highscore window could show.
    if (History_->Modus != kModeComputers && History_->Variante >= kFirstRankedVariante &&
        !History_->Training)
        EnterHighscores(r1, r2);
    const int winner = Feld.Leader();
    Finish(winner);
    if (InTable(r1)) Rank1_ = r1 + 1;
    if (InTable(r2)) Rank2_ = r2 + 1;
    Refresh();
    Message(ResultText(winner, r1, r2), TMessageKind::Information);
}

// ---- Loading and saving ----

void TSpielfeld::LoadGame(const QString& fileName) {
    CancelThinking();
    BeginUpdate();
    bool replayed = false;
    try {
        auto loaded = std::make_unique<THistory>();
        replayed = loaded->LoadFromFile(LocalPath(fileName)) && ReplayLoaded(std::move(loaded));
    } catch (const std::exception& error) {
        EndUpdate();
        Error(error, fileName);
        TurnChanged(false);
        return;
    }
    ShowLanguagePictures();
    Layers_->Paint();
    UpdateLayers();
    // Only a loaded game changes whether one runs: a refused file before the first game starts
    // nothing, and a finished game stays finished.
    if (replayed) Running_ = !Feld.IsGameOver();
    EndUpdate();
    Refresh();
    // A file whose moves do not replay is no playable game either; the player is told, not left
    // wondering why nothing loaded. The box comes after the board is painted again, so the
    // board stays on show beneath it.
    if (!replayed) Message(FormatText(Text("msgnokelfile"), {fileName}), TMessageKind::Error);
    // A game saved just before a pass goes on with it, as after any move.
    NextTurn(false);
}

bool TSpielfeld::ReplayLoaded(std::unique_ptr<THistory> loaded) {
    TFeld board;
    loaded->StartBoard(board);
    // The displays change only with the game: the running game's clocks go on from their own
    // values, and the next move's time is taken from them.
    if (loaded->Replay(board) != loaded->Count()) return false;
    // A saved game is played here, whoever played it before; its clocks count the time used.
    Remote_ = 0;
    Left_[1] = Left_[2] = -1;
    SetSeconds(1, loaded->PlayerTime(1));
    SetSeconds(2, loaded->PlayerTime(2));
    Layers_->AktSpielerLayer->Names = {QString(), FromCp1252(loaded->Name1), FromCp1252(loaded->Name2)};
    Layers_->VarianteLayer->SetValue(loaded->Variante);
    KI.SetLevel(loaded->Schwierigkeit);
    Feld.Assign(board);
    History_ = std::move(loaded);
    // A game set up in the position editor stays a training game when loaded again.
    if (!History_->StartPosition.empty()) History_->Training = true;
    WillWinShown_ = false;
    StartNotes("noteload");
    return true;
}

void TSpielfeld::SaveGame(const QString& fileName) {
    try {
        History_->SaveToFile(LocalPath(fileName));
        Message(Text("msgsaved"), TMessageKind::Information);
    } catch (const std::exception& error) {
        Error(error, fileName);
    }
}

void TSpielfeld::SetPositionForTests(const TFeld& position) {
    if (!Running_ || Busy_) return;
    CancelThinking();
    Feld.Assign(position);
    AfterMove();
    TurnChanged(Feld.IsGameOver());
}

// ---- Taking back and redoing ----

bool TSpielfeld::MayTakeBack() const {
    return TakeBackAllowed_ && Remote_ == 0 && Running_ && !TakeBackPending_ &&
           RecordsToTakeBack(*History_) > 0;
}

bool TSpielfeld::MayRedo() const {
    return TakeBackAllowed_ && Remote_ == 0 && Running_ && !Busy_ && RecordsToRedo(*History_) > 0;
}

void TSpielfeld::TakeBack() {
    if (!MayTakeBack()) return;
    if (Busy_) {
        TakeBackPending_ = true;
        Skipping_ = true;
        return;
    }
    Skipping_ = false;
    TakeBackNow(Settings_.Animation != kNoAnimation);
}

bool TSpielfeld::TakeBackWaiting() {
    if (!TakeBackPending_) return false;
    TakeBackPending_ = false;
    // Asked for in the middle of a move: taken back at once, not shown again backwards.
    TakeBackNow(false);
    return true;
}

void TSpielfeld::TakeBackNow(bool shown) {
    CancelThinking();
    const int count = RecordsToTakeBack(*History_);
    if (shown) SetBusy(true);
    for (int i = 0; i < count && !Abandoned_; ++i) {
        const TMove last = History_->Moves(History_->Count() - 1);
        History_->TakeBackRecord();
        if (!shown || last.Mulde == 0) continue;
        TFeld before;
        History_->Replay(before);
        ShowBackwards(before, last.Mulde);
    }
    if (Abandoned_) return;
    // Asked again while shown backwards: that only showed the rest at once.
    TakeBackPending_ = false;
    if (shown) SetBusy(false);
    FollowHistory("notetakeback");
    MakeTraining();
    TurnChanged(false);
}

void TSpielfeld::ShowBackwards(const TFeld& before, int place) {
    // The move is taken back already, as the move counters show: so does the sketch, at once.
    Layers_->OverviewLayer->Feld = &before;
    Layers_->FeldLayers[0]->SetValue(-1);
    Layers_->FeldLayers[0]->Paint();
    const std::vector<TMoveStep> steps = MoveSteps(before, place);
    // Each stone leaves the lit place again, the last sown first; Esc shows the rest at once.
    for (auto step = steps.rbegin(); step != steps.rend() && !Skipping_; ++step) {
        Feld.Assign(step->Before);
        UpdateLayers();
        HighlightPit(step->Place, kStepDelay);
    }
    Layers_->OverviewLayer->Feld = &Feld;
}

void TSpielfeld::Redo() {
    if (!MayRedo()) return;
    CancelThinking();
    const int count = RecordsToRedo(*History_);
    for (int i = 0; i < count && !Feld.IsGameOver(); ++i) {
        const uint8_t mulde = History_->RedoMoves(0).Mulde;
        // A file's moves taken back that do not fit the game end here.
        if (mulde == 0 ? !Feld.HasNoLegalMove() : !Feld.IsLegalMove(mulde)) {
            History_->ClearRedo();
            break;
        }
        History_->RedoRecord();
        // Without animation the move is just set on the board: not even the hands return home.
        if (mulde == 0 || Settings_.Animation == kNoAnimation)
            THistory::PlayRecord(Feld, mulde);
        else
            ShowMove(mulde);
        if (Abandoned_) return;
        if (TakeBackPending_) break;
    }
    if (TakeBackWaiting()) return;
    FollowHistory("noteredo");
    NextTurn(Feld.IsGameOver());
}

void TSpielfeld::FollowHistory(const char* key) {
    TFeld board;
    History_->StartBoard(board);
    // The first note says how the game began; the others follow from its records.
    std::vector<TNote> notes(Notes_.begin(), Notes_.begin() + std::min<size_t>(Notes_.size(), 1));
    WillWinShown_ = false;
    for (int i = 0; i < History_->Count(); ++i) {
        const uint8_t mulde = History_->Moves(i).Mulde;
        if (mulde == 0) notes.push_back({QStringLiteral("notemustskip"), {PlayerName(board.AktSpieler())}});
        THistory::PlayRecord(board, mulde);
        if (!WillWinShown_ && board.WillWin() != 0) {
            notes.push_back({QStringLiteral("notewillwin"), {PlayerName(board.WillWin())}});
            WillWinShown_ = true;
        }
    }
    notes.push_back({QLatin1String(key), {}});
    Notes_ = std::move(notes);
    ShowNotes();
    Feld.Assign(board);
    SetSeconds(1, History_->PlayerTime(1));
    SetSeconds(2, History_->PlayerTime(2));
    Layers_->FeldLayers[0]->SetValue(-1);
    AfterMove();
}

void TSpielfeld::MakeTraining(bool tell) {
    if (History_->Training) return;
    History_->Training = true;
    Repaint();
    if (tell) Message(Text("msgtraining"), TMessageKind::Information);
}

void TSpielfeld::ShowTrainingMark() {
    if (History_->Training)
        DrawTrainingMark(BackgroundCanvas_, Text("captiontraining"));
    else
        BackgroundCanvas_.Draw(TrainingMarkRect().left(), TrainingMarkRect().top(), TrainingGround_);
}

} // namespace kelani
