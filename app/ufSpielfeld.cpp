#include "app/ufSpielfeld.h"

#include "app/lngDialogs.h"
#include "app/uAccessOptions.h"
#include "app/uBoardAccessible.h"
#include "app/uOnlinePlay.h"
#include "app/uReview.h"
#include "app/ufAnalyse.h"
#include "app/ufHighscore.h"
#include "app/ufHistory.h"
#include "app/ufNewGame.h"
#include "app/ufPositionEditor.h"
#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "components/uAboutBox.h"
#include "components/uFileDialog.h"
#include "components/uFolders.h"
#include "components/uFormat.h"
#include "components/uHtmlHint.h"
#include "components/uPaintBox.h"
#include "components/uRadioGroup.h"
#include "components/uShellOpen.h"
#include "components/uSound.h"
#include "components/uSplash.h"
#include "components/uTextConversion.h"
#include "control/uKeyboardPlay.h"
#include "control/uTSpielfeld.h"
#include "game/uRandom.h"
#include "records/uPositionText.h"
#include "records/uTHistory.h"
#include "settings/uTSettings.h"
#include "view/uContrast.h"
#include "view/uTGFXFile.h"

#include <QAccessible>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QSpinBox>
#include <QToolBar>
#include <QUrl>
#include <optional>

namespace kelani {
namespace {

constexpr int kBoardWidth = 720;
constexpr int kBoardHeight = 520;
// Up to this window scale the board keeps its pixels.
constexpr qreal kKeepPixelsUpTo = 1.2;
const QString kFilter = QStringLiteral("Kelani (*.kel)|*.kel");

} // namespace

TfSpielfeld::TfSpielfeld(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TfSpielfeld"));
    setWindowTitle(QStringLiteral("KELANI (R) Freeware Nr. 2"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon_64.png")));
    auto* centre = new QWidget(this);
    centre->setAutoFillBackground(true);
    QPalette black = centre->palette();
    black.setColor(QPalette::Window, Qt::black);
    centre->setPalette(black);
    setCentralWidget(centre);

    htmlhint = new THtmlHintWindow(this);
    htmlhint->SetImages({QImage(QStringLiteral(":/pictures/hint_stone.png"))});
    pbSpielfeld = new TPaintBox(QStringLiteral("pbSpielfeld"), *htmlhint, centre);
    pbSpielfeld->OnPaint = [this](QPainter& painter) { PaintBoard(painter); };
    pbSpielfeld->OnMouseMove = [this](int x, int y) {
        const QPoint board = BoardPoint(QPoint(x, y));
        pbSpielfeldMouseMove(board.x(), board.y());
    };
    pbSpielfeld->OnMouseDown = [this](int x, int y) {
        const QPoint board = BoardPoint(QPoint(x, y));
        pbSpielfeldMouseDown(board.x(), board.y());
    };

    odLoadGame = new TFileDialog(TFileDialog::TKind::Open, this);
    odLoadGame->setObjectName(QStringLiteral("odLoadGame"));
    sdSaveGame = new TFileDialog(TFileDialog::TKind::Save, this);
    sdSaveGame->setObjectName(QStringLiteral("sdSaveGame"));
    for (TFileDialog* dialog : {odLoadGame, sdSaveGame}) dialog->Filter = kFilter;
    odLoadGame->Title = QStringLiteral("Spiel laden");
    sdSaveGame->Title = QStringLiteral("Spiel speichern");
    sdSaveGame->DefaultExt = QStringLiteral("kel");
    sdSaveGame->ConfirmOverwrite = [this](const QString& file) {
        return LngMessageDlg(FormatText(Text("msgoverwrite"), {file}), mtWarning, mbYesNo) == mrYes;
    };
    SplashScreen = new TSplashScreen(this);
    id = new TInfoDialogTarvik(this);
    id->OnOpenLink = [](const QUrl& url) { LngShellOpen(url); };

    tZeit = new QTimer(this);
    tZeit->setObjectName(QStringLiteral("tZeit"));
    tZeit->setInterval(1000);
    connect(tZeit, &QTimer::timeout, this, &TfSpielfeld::tZeitTimer);
    tKI = new QTimer(this);
    tKI->setObjectName(QStringLiteral("tKI"));
    tKI->setInterval(250);
    connect(tKI, &QTimer::timeout, this, &TfSpielfeld::tKITimer);
    BuildMenu();

    // FormCreate: language, controller, menu marks, pictures, geometry.
    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->OnTranslate = [this](TMultiLanguage*) { lngTranslate(); };
    lng->LoadScript(objectName());
    std::string language = TKelaniSettings(SettingsFolder()).Language();
    if (language.empty()) language = "german";
    lng->SetLanguage(FromCp1252(language));
    Spielfeld = std::make_unique<TSpielfeld>([this](const QString& key) { return lng->GetString(key); },
                                             FromCp1252(language));
    boardAccess = new TBoardAccess(*this);
    ConnectSpielfeld();
    new TAccessOptions(*this);
    AddAnalysisPanel();
    (language == "english" ? miEnglish : miGerman)->setChecked(true);

    QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(800, desktop.width()), std::min(600, desktop.height()));
    move(desktop.left() + (desktop.width() - width()) / 2, desktop.top() + (desktop.height() - height()) / 2);
    if (Spielfeld->Settings().Maximized) setWindowState(Qt::WindowMaximized);
    SelectMenuMarks();
    UpdateActions();
    tZeit->start();
    tKI->start();
    // Esc must reach the window while a move runs, when the window itself is disabled.
    qApp->installEventFilter(this);
}

TfSpielfeld::~TfSpielfeld() {
    qApp->removeEventFilter(this);
    // Closed during a move, whose end is never shown: the hourglass goes with the window.
    if (waitCursor_) QApplication::restoreOverrideCursor();
    // The panel's analysis reads the controller's endgame tables: it ends first, and its words no
    // longer name a hint's value.
    Spielfeld->SetValueWords(nullptr);
    delete Analyse;
    Spielfeld.reset();
}

void TfSpielfeld::ConnectSpielfeld() {
    TSpielfeld& game = *Spielfeld;
    // Every finished layer paint brings the board to the screen; Qt gathers the updates into one
    // repaint per pass of the event loop.
    game.OnPainted = [this] { pbSpielfeld->update(); };
    game.OnMessage = [](const QString& text, TMessageKind kind) {
        LngMessageDlg(text, kind == TMessageKind::Error ? mtError : mtInformation, mbOK);
    };
    game.OnError = [](const std::exception& error, const QString& fileName) {
        if (fileName.isEmpty())
            LngErrorDlg(error);
        else
            LngFileErrorDlg(error, fileName);
    };
    game.OnSound = [](const QString& name) {
        if (name.isEmpty())
            StopSound();
        else
            PlayWaveResource(name);
    };
    game.OnBusy = [this](bool busy) {
        if (busy)
            HoldForMove();
        else
            ResumeAfterMove();
        FollowWaitCursor();
    };
    game.OnThinking = [this](bool) { FollowWaitCursor(); };
    game.OnHint = [this](int place) {
        // Asked for by keys or not, Enter now plays the hint.
        keysUsed_ = true;
        FocusPit(place);
    };
    game.OnTurn = [this] {
        if (Analyse) Analyse->PositionChanged();
        ResumeClock();
        UpdateActions();
        // The screen reader says the turn before the pit the keys come back to.
        boardAccess->TurnChanged();
        RefocusKeys();
        ArmComputer();
    };
    game.OnMove = [this](int n, int place, int player) { Online->Moved(n, place, player); };
    game.OnGameEnded = [this] {
        Online->GameEnded();
        aHighscore->trigger();
        if (LngMessageDlg(Text("msganothergame"), mtConfirmation, mbYesNo) == mrYes) aNewGame->trigger();
    };
}

void TfSpielfeld::ShowStartUp() {
    if (!Spielfeld->Settings().Sound) return;
    PlayWaveResource(QStringLiteral("start"));
    SplashScreen->Execute();
}

QMenu* TfSpielfeld::AddMenu(const char* name, const QString& title) {
    QMenu* menu = menuBar()->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    connect(menu, &QMenu::aboutToShow, this, &TfSpielfeld::UpdateActions);
    return menu;
}

QAction* TfSpielfeld::AddAction(QMenu* menu, const char* name, const QString& text,
                                void (TfSpielfeld::*handler)()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

QAction* TfSpielfeld::AddLink(QMenu* menu, const char* name, const QString& text, const QString& address) {
    const QUrl url(address);
    QAction* action = menu->addAction(text, this, [this, url] { OpenWithShell(url); });
    action->setObjectName(QLatin1String(name));
    // An address that is not on the internet yet is not offered.
    action->setEnabled(!IsPlaceholderAddress(url));
    return action;
}

QAction* TfSpielfeld::AddRadioItem(QMenu* menu, QActionGroup* group, const char* name, const QString& text) {
    QAction* item = menu->addAction(text);
    item->setObjectName(QLatin1String(name));
    item->setCheckable(true);
    group->addAction(item);
    return item;
}

void TfSpielfeld::BuildMenu() {
    QMenu* spiel = AddMenu("miSpiel", QStringLiteral("&Spiel"));
    aNewGame = AddAction(spiel, "aNewGame", QStringLiteral("&neues Spiel"), &TfSpielfeld::aNewGameExecute);
    aLoadGame = AddAction(spiel, "aLoadGame", QStringLiteral("Spiel &laden"), &TfSpielfeld::aLoadGameExecute);
    aSaveGame =
        AddAction(spiel, "aSaveGame", QStringLiteral("Spiel &speichern"), &TfSpielfeld::aSaveGameExecute);
    spiel->addSeparator();
    aHighscore =
        AddAction(spiel, "aHighscore", QStringLiteral("&Highscore"), &TfSpielfeld::aHighscoreExecute);
    aGameHistory =
        AddAction(spiel, "aGameHistory", QStringLiteral("&Zughistorie"), &TfSpielfeld::aGameHistoryExecute);
    aHint = AddAction(spiel, "aHint", QStringLiteral("&Tipp"), &TfSpielfeld::aHintExecute);
    aHint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    aTakeBack =
        AddAction(spiel, "aTakeBack", QStringLiteral("Zug zu&r\u00FCck"), &TfSpielfeld::aTakeBackExecute);
    aTakeBack->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    aRedo = AddAction(spiel, "aRedo", QStringLiteral("Zug &wiederholen"), &TfSpielfeld::aRedoExecute);
    aRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    spiel->addSeparator();
    aEnd = spiel->addAction(QStringLiteral("&Beenden"), this, &QWidget::close);
    aEnd->setObjectName(QStringLiteral("aEnd"));

    QMenu* analyse = AddMenu("miAnalyse", QStringLiteral("&Analyse"));
    aAnalyse =
        AddAction(analyse, "aAnalyse", QStringLiteral("&Analysefenster"), &TfSpielfeld::aAnalyseExecute);
    aAnalyse->setCheckable(true);
    aAnalyse->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    aReview =
        AddAction(analyse, "aReview", QStringLiteral("&Partie analysieren"), &TfSpielfeld::aReviewExecute);
    aPositionEditor = AddAction(analyse, "aPositionEditor", QStringLiteral("&Stellung bearbeiten …"),
                                &TfSpielfeld::aPositionEditorExecute);

    QMenu* options = AddMenu("miOptions", QStringLiteral("&Optionen"));
    aSound = AddAction(options, "aSound", QStringLiteral("&Soundeffekte"), &TfSpielfeld::aSoundExecute);
    aSound->setCheckable(true);
    options->addSeparator();
    auto* animation = new QActionGroup(this);
    miHandanimation = AddRadioItem(options, animation, "miHandanimation", QStringLiteral("&Handanimation"));
    miSteinAnimation =
        AddRadioItem(options, animation, "miSteinAnimation", QStringLiteral("S&teinanimation"));
    minoAnimation = AddRadioItem(options, animation, "minoAnimation", QStringLiteral("&keine Animation"));
    connect(animation, &QActionGroup::triggered, this, &TfSpielfeld::miAnimationClick);
    options->addSeparator();
    auto* languages = new QActionGroup(this);
    miGerman = AddRadioItem(options, languages, "miGerman", QStringLiteral("&Deutsch"));
    miEnglish = AddRadioItem(options, languages, "miEnglish", QStringLiteral("&English"));
    connect(languages, &QActionGroup::triggered, this, &TfSpielfeld::miGermanClick);
    options->addSeparator();
    aFullScreen =
        AddAction(options, "aFullScreen", QStringLiteral("&Vollbild"), &TfSpielfeld::aFullScreenExecute);
    aFullScreen->setCheckable(true);
    aFullScreen->setShortcut(QKeySequence(Qt::Key_F11));

    QMenu* internet = AddMenu("miInternet", QStringLiteral("&Internet"));
    // A greyed address says why in its tool tip (lngTranslate).
    internet->setToolTipsVisible(true);
    aUpdate = AddLink(internet, "aUpdate", QStringLiteral("&Update"), QLatin1String(maker::kDownload));
    aEmail = AddLink(internet, "aEmail", QStringLiteral("&E-Mail"),
                     QStringLiteral("mailto:") + QLatin1String(maker::kEMail));
    aHomepage = AddLink(internet, "aHomepage", QStringLiteral("&Homepage"), QLatin1String(maker::kHomepage));
    internet->addSeparator();
    aSponsor = AddLink(internet, "aSponsor", QStringLiteral("&Sponsor"), QLatin1String(maker::kSponsor));
    Online = new TOnlinePlay(*this, internet);

    QMenu* help = AddMenu("miHelp", QStringLiteral("&Hilfe"));
    aContent = AddAction(help, "aContent", QStringLiteral("&Inhalt"), &TfSpielfeld::aContentExecute);
    aContent->setShortcut(QKeySequence(Qt::Key_F1));
    aAbout = AddAction(help, "aAbout", QStringLiteral("\u00DC&ber"), &TfSpielfeld::aAboutExecute);
    // Menu shortcuts must work while a dialog of ours is not open and the window has focus.
    addActions(menuBar()->actions());
}

void TfSpielfeld::SelectMenuMarks() {
    aSound->setChecked(Spielfeld->Settings().Sound);
    switch (Spielfeld->Settings().Animation) {
    case kHandAnimation:
        miHandanimation->setChecked(true);
        break;
    case kStoneAnimation:
        miSteinAnimation->setChecked(true);
        break;
    default:
        minoAnimation->setChecked(true);
        break;
    }
}

QString TfSpielfeld::Text(const char* key) const {
    return lng->GetString(QLatin1String(key));
}

// ---- Board ----

QRect TfSpielfeld::BoardRect() const {
    const QSize area = pbSpielfeld->size();
    qreal scale = std::min(qreal(area.width()) / kBoardWidth, qreal(area.height()) / kBoardHeight);
    if (scale >= 1 && scale < kKeepPixelsUpTo) scale = 1;
    const QSize board(qRound(kBoardWidth * scale), qRound(kBoardHeight * scale));
    return QRect(QPoint((area.width() - board.width()) / 2, (area.height() - board.height()) / 2), board);
}

QPoint TfSpielfeld::BoardPoint(QPoint boxPoint) const {
    const QRect board = BoardRect();
    const QPointF p = QPointF(boxPoint - board.topLeft()) * (qreal(kBoardWidth) / board.width());
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

QPoint TfSpielfeld::BoxPoint(QPoint boardPoint) const {
    const QRect board = BoardRect();
    // The middle of the board pixel, so the way back lands on the same pixel.
    const QPointF p = QPointF(board.topLeft()) +
                      (QPointF(boardPoint) + QPointF(0.5, 0.5)) * (qreal(board.width()) / kBoardWidth);
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

void TfSpielfeld::PaintBoard(QPainter& painter) {
    if (Spielfeld->IsUpdating()) return;
    // Drawn afresh on every paint, so the running clock shows beneath the hint.
    QImage picture = Spielfeld->Picture();
    // The keyboard's choice is ringed; it is never shown during a move.
    if (KeyFocus() > 0) DrawFocusRing(picture, KeyFocus());
    if (Spielfeld->Settings().HighContrast) RaiseContrast(picture);
    const QRect board = BoardRect();
    // The bars beside the board in the table's darkest tone, the colour of the bare board's corner
    // (a frame's corner may show a hand's sleeve).
    const QColor bars = Spielfeld->Bare().pixelColor(0, 0);
    for (const QRect& bar : QRegion(pbSpielfeld->rect()) - board) painter.fillRect(bar, bars);
    // Smoothing where the picture's pixels do not land whole on the screen's, and where a 1x board
    // stands in for a sharp one.
    const qreal shown = qreal(board.width()) / kBoardWidth * devicePixelRatioF();
    const qreal pixels = shown / Spielfeld->Scale();
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          pixels != std::floor(pixels) || Spielfeld->Scale() < SharpScale(shown));
    painter.drawImage(board, picture);
}

void TfSpielfeld::FitBoard() {
    if (!Spielfeld) return;
    aFullScreen->setChecked(isFullScreen());
    pbSpielfeld->setGeometry(centralWidget()->rect());
    const qreal shown = qreal(BoardRect().width()) / kBoardWidth * devicePixelRatioF();
    Spielfeld->SetScale(SharpScale(shown));
    pbSpielfeld->update();
}

void TfSpielfeld::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitBoard();
}

void TfSpielfeld::aFullScreenExecute() {
    if (aFullScreen->isChecked()) {
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
    }
}

void TfSpielfeld::SetScreenCursor(Qt::CursorShape shape) {
    if (shape == screenCursor_) return;
    screenCursor_ = shape;
    setCursor(shape);
}

void TfSpielfeld::pbSpielfeldMouseMove(int x, int y) {
    TSpielfeld& game = *Spielfeld;
    if (game.Busy()) return;
    const int pit = game.PitAt(x, y);
    SetScreenCursor(game.MayPlay(pit) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    // The pointer on another pit takes over from the keyboard, so the preview and the ring never
    // show two different pits.
    if (pit >= 1 && pit != focusPit_ && focusPit_ > 0) {
        keysUsed_ = false;
        FocusPit(-1);
    }
    ShowPit(pit);
}

void TfSpielfeld::ShowPit(int pit) {
    TSpielfeld& game = *Spielfeld;
    const bool humanTurn = game.HumanToMove();
    if (game.MayPlay(pit)) game.ShowPreview(pit);
    if (humanTurn && pit >= 1 && pit != pbSpielfeld->Tag) {
        pbSpielfeld->CancelHint();
        pbSpielfeld->Tag = pit;
        const int n = game.Board().Mulde(pit);
        const QString word = Text(n == 1 ? "stone" : "stones");
        pbSpielfeld->SetHint(FormatText(QStringLiteral("<IMG src=\"idx:0\" align=\"middle\"> <b>%u</b> %s"),
                                        {QString::number(n), word}));
        pbSpielfeld->SetShowHint(true);
    }
    if (pit == -1 && pbSpielfeld->ShowHint()) {
        pbSpielfeld->Tag = -1;
        pbSpielfeld->SetShowHint(false);
    }
}

void TfSpielfeld::pbSpielfeldMouseDown(int x, int y) {
    const int pit = Spielfeld->PitAt(x, y);
    // A click counts only where the previous pointer movement showed the hand.
    if (screenCursor_ == Qt::PointingHandCursor && Spielfeld->MayPlay(pit)) Spielfeld->PlayPit(pit);
}

// ---- Turn cycle: the controller decides, the timers and the cursor follow ----

void TfSpielfeld::PauseClock() {
    tZeit->stop();
}

void TfSpielfeld::ResumeClock() {
    if (Spielfeld->ClockRuns())
        tZeit->start();
    else
        tZeit->stop();
}

void TfSpielfeld::ArmComputer() {
    if (Spielfeld->ComputerToMove())
        tKI->start();
    else
        tKI->stop();
}

void TfSpielfeld::HoldForMove() {
    pbSpielfeld->Tag = -1;
    pbSpielfeld->SetShowHint(false);
    PauseClock();
    // After the move, a click counts again only once the pointer moved and showed the hand.
    SetScreenCursor(Qt::ArrowCursor);
    HoldInput(true);
}

void TfSpielfeld::ResumeAfterMove() {
    // Given back before the game end's boxes open: they are answered with the window's input.
    HoldInput(false);
}

// While a move is shown the window takes no input but the chat line's: a player may write to his
// friend at any time. The menus' shortcuts the window holds go with the menu bar.
//
// A screen reader hears every control that greys and comes back, twice a move, and when these
// pile up it drops what it had to say, the turn's announcement too. While one listens, the window
// holds its input quietly instead: it swallows it, and nothing greys.
void TfSpielfeld::HoldInput(bool held) {
    if (held && !inputHeld_) holdQuietly_ = QAccessible::isActive();
    inputHeld_ = held;
    if (!holdQuietly_)
        for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && child != Online->tbChat) child->setEnabled(!held);
    for (QAction* menu : menuBar()->actions()) removeAction(menu);
    if (!held) addActions(menuBar()->actions());
}

bool TfSpielfeld::SwallowsHeldInput(QObject* watched, QEvent* event) const {
    if (!inputHeld_ || !holdQuietly_) return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Taken by the widget, the key triggers no menu's shortcut and comes here as a key press.
        event->accept();
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // The reading keys answer during a move too.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key >= Qt::Key_F5 && key <= Qt::Key_F8) return false;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        break;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == this && widget != Online->tbChat &&
           !Online->tbChat->isAncestorOf(widget);
}

void TfSpielfeld::FollowWaitCursor() {
    // A disabled window shows no cursor of its own: the hourglass is the application's.
    const bool wait = Spielfeld->Busy() || Spielfeld->Thinking();
    if (wait == waitCursor_) return;
    waitCursor_ = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfSpielfeld::tZeitTimer() {
    Spielfeld->Tick();
}

void TfSpielfeld::tKITimer() {
    tKI->stop();
    Spielfeld->ComputerTurn();
}

void TfSpielfeld::UpdateActions() {
    const bool enabled = Spielfeld->GameOnBoard();
    aSaveGame->setEnabled(enabled);
    aGameHistory->setEnabled(enabled);
    aHint->setEnabled(Spielfeld->HintAllowed());
    aTakeBack->setEnabled(Spielfeld->MayTakeBack());
    aRedo->setEnabled(Spielfeld->MayRedo());
    aReview->setEnabled(Spielfeld->History().Count() > 0 && !Spielfeld->Busy());
    Online->UpdateActions();
}

// ---- Analysis ----

void TfSpielfeld::AddAnalysisPanel() {
    Analyse = new TfAnalyse(this, *Spielfeld, lng->Language());
    Spielfeld->SetValueWords([this](const char* key) { return Analyse->Text(key); });
    addDockWidget(Qt::RightDockWidgetArea, Analyse);
    Analyse->hide();
    connect(Analyse, &QDockWidget::visibilityChanged, aAnalyse,
            [this] { aAnalyse->setChecked(Analyse->isVisible()); });
}

void TfSpielfeld::aReviewExecute() {
    bool completed = false;
    const std::vector<TReviewMove> review = RunReview(
        this, *Spielfeld, Text("reviewcaption"), Text("reviewprogress"), Text("reviewcancel"), completed);
    if (completed) ShowHistoryWindow(review);
}

void TfSpielfeld::aPositionEditorExecute() {
    TFeld start;
    if (Spielfeld->GameOnBoard() && Spielfeld->Board().Hand() == 0) start.Assign(Spielfeld->Board());
    TfPositionEditor dialog(this, lng->Language(), start);
    QString problem;
    if (dialog.exec() != QDialog::Accepted) return;
    const std::optional<TFeld> position = dialog.Position(problem);
    if (!position) return;
    TNewGameSettings s;
    s.Name1 = dialog.cbPlayer->itemText(0);
    s.Name2 = dialog.cbPlayer->itemText(1);
    s.SteineProMulde = position->SteineProMulde();
    s.UseStirnmulde = position->UseStirnmulde();
    s.Variante = position->Variante();
    s.Level = dialog.Level();
    s.Modus = dialog.Modus();
    s.FirstPlayer = position->AktSpieler();
    s.Position = QString::fromStdString(PositionText(*position));
    Spielfeld->NewGame(s);
    // A set-up game is played for practice, never for the highscore.
    Spielfeld->MakeTraining(false);
}

void TfSpielfeld::aAnalyseExecute() {
    Analyse->setVisible(aAnalyse->isChecked());
    if (Analyse->isVisible()) Analyse->setFocus();
}

// ---- Hint ----

void TfSpielfeld::aHintExecute() {
    Spielfeld->StartHint();
}

// ---- Taking back and redoing ----

void TfSpielfeld::aTakeBackExecute() {
    Spielfeld->TakeBack();
}

void TfSpielfeld::aRedoExecute() {
    Spielfeld->Redo();
}

// ---- Game commands ----

void TfSpielfeld::aNewGameExecute() {
    if (!Online->Leave()) return;
    PauseClock();
    TfNewGame dialog(this);
    dialog.lng->SetLanguage(lng->Language());
    if (dialog.ShowDialog()) {
        TRandom& random = SharedRandom();
        random.Reseed();
        TNewGameSettings s;
        s.FirstPlayer = random.Random(2) == 0 ? 1 : 2;
        s.Name1 = dialog.eSp1->text();
        s.Name2 = dialog.eSp2->text();
        s.Modus = dialog.rgModus->ItemIndex();
        if (s.Modus != kModeComputers)
            s.FirstPlayer = DrawFirstPlayer(this, lng->Language(), s.Name1, s.Name2);
        s.EMail1 = dialog.eMail1->text();
        s.EMail2 = dialog.eMail2->text();
        s.Land1 = dialog.LandKey(dialog.cbLand1->currentIndex());
        s.Land2 = dialog.LandKey(dialog.cbLand2->currentIndex());
        s.SteineProMulde = dialog.seStoneCount->value();
        s.UseStirnmulde = dialog.cbuseStrinmulde->isChecked();
        s.Variante = dialog.rgVarianten->ItemIndex() + 4;
        s.Level = dialog.rgDiff->ItemIndex() + 1;
        Spielfeld->NewGame(s);
    }
    ResumeClock();
}

void TfSpielfeld::aLoadGameExecute() {
    PauseClock();
    // The program folder when it is writable, else the data folder of an installed copy.
    if (odLoadGame->InitialDir.isEmpty()) odLoadGame->InitialDir = DataFolder();
    if (odLoadGame->Execute(this) && QFileInfo::exists(odLoadGame->FileName) && Online->Leave()) {
        const QString folder = QFileInfo(odLoadGame->FileName).absolutePath();
        odLoadGame->InitialDir = folder;
        sdSaveGame->InitialDir = folder;
        Spielfeld->LoadGame(odLoadGame->FileName);
    }
    ResumeClock();
}

void TfSpielfeld::aSaveGameExecute() {
    PauseClock();
    if (sdSaveGame->InitialDir.isEmpty()) sdSaveGame->InitialDir = DataFolder();
    if (sdSaveGame->Execute(this)) {
        const QString file = sdSaveGame->FileName;
        const QString folder = QFileInfo(file).absolutePath();
        odLoadGame->InitialDir = folder;
        sdSaveGame->InitialDir = folder;
        Spielfeld->SaveGame(file);
    }
    ResumeClock();
}

void TfSpielfeld::aHighscoreExecute() {
    TfHighscore dialog(this, lng->Language());
    // The ranks are marked once: opening the table again shows it plain.
    dialog.ShowGame(Spielfeld->Board().Variante() - 4, Spielfeld->TakeFreshRank());
    dialog.exec();
}

void TfSpielfeld::aGameHistoryExecute() {
    ShowHistoryWindow({});
}

void TfSpielfeld::ShowHistoryWindow(const std::vector<TReviewMove>& review) {
    try {
        TfHistory dialog(this, lng->Language());
        const THistory& history = Spielfeld->History();
        dialog.ShowHistory(history,
                           BuildHistoryPicture(history, LoadGfxBitmap(QStringLiteral("game.gfx"), "smbrett",
                                                                      SharpScale(devicePixelRatioF()))));
        if (!review.empty()) dialog.ShowReview(review);
        dialog.exec();
    } catch (const std::exception& error) {
        LngFileErrorDlg(error, GfxErrorFile(error));
    }
}

void TfSpielfeld::OpenWithShell(const QUrl& url) {
    LngShellOpen(url);
}

void TfSpielfeld::aContentExecute() {
    const QString file = Text("c_helpfile").replace(QLatin1Char('\\'), QLatin1Char('/'));
    OpenWithShell(QUrl::fromLocalFile(ProgramFolder() + QLatin1Char('/') + file));
}

void TfSpielfeld::aAboutExecute() {
    id->Execute();
}

// ---- Options and language ----

void TfSpielfeld::aSoundExecute() {
    Spielfeld->SetSound(aSound->isChecked());
    if (!aSound->isChecked()) StopSound();
}

void TfSpielfeld::miAnimationClick(QAction* item) {
    item->setChecked(true);
    Spielfeld->SetAnimation(item == miHandanimation    ? kHandAnimation
                            : item == miSteinAnimation ? kStoneAnimation
                                                       : kNoAnimation);
}

void TfSpielfeld::miGermanClick(QAction* item) {
    item->setChecked(true);
    const QString language = QLatin1String(item == miEnglish ? "english" : "german");
    lng->SetLanguage(language);
    Spielfeld->SetLanguage(language);
}

void TfSpielfeld::lngTranslate() {
    SetDialogLanguage(lng->Language());
    if (Analyse) Analyse->SetLanguage(lng->Language());
    for (QAction* link : {aUpdate, aEmail, aHomepage, aSponsor})
        link->setToolTip(link->isEnabled() ? QString() : Text("nolink"));
}

// ---- Keys and closing ----

int TfSpielfeld::KeyFocus() const {
    // The keys work while a human is to move and nothing moves, on a pit he may play.
    return Spielfeld->MayPlay(focusPit_) ? focusPit_ : -1;
}

void TfSpielfeld::FocusPit(int pit) {
    if (pit > 0) ShowPit(pit);
    if (pit == focusPit_) return;
    focusPit_ = pit;
    pbSpielfeld->update();
    boardAccess->FocusMoved();
}

void TfSpielfeld::RefocusKeys() {
    FocusPit(keysUsed_ && Spielfeld->MayChoose() ? KeepKeyPit(Spielfeld->Board(), focusPit_) : -1);
}

void TfSpielfeld::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const TFeld& feld = Spielfeld->Board();
    int pit = 0;
    if (key == Qt::Key_Left || key == Qt::Key_Right)
        pit = NextKeyPit(feld, KeyFocus(), key == Qt::Key_Right ? 1 : -1);
    else if (key >= Qt::Key_1 && key <= Qt::Key_6)
        pit = DigitKeyPit(feld, key - Qt::Key_0);
    const bool play = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (play && KeyFocus() > 0) {
        Spielfeld->PlayPit(KeyFocus());
    } else if (pit != 0 && Spielfeld->MayChoose()) {
        keysUsed_ = true;
        if (pit > 0) FocusPit(pit);
    } else {
        QMainWindow::keyPressEvent(event);
    }
}

bool TfSpielfeld::eventFilter(QObject* watched, QEvent* event) {
    // A box open during the move (the quit question) keeps Esc for itself.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        Spielfeld && !QApplication::activeModalWidget()) {
        // Esc also ends the Master's thinking: he gives the best pit found so far.
        if (Spielfeld->HurryThinking() || Spielfeld->SkipAnimation()) return true;
    }
    // The window holds its shortcuts during a move; taking it back cuts it short.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo) &&
        Spielfeld && Spielfeld->Busy() && !QApplication::activeModalWidget()) {
        Spielfeld->TakeBack();
        return true;
    }
    if (SwallowsHeldInput(watched, event)) return true;
    // The analysis panel opening or closing beside the board resizes the board's area.
    if (watched == centralWidget() && event->type() == QEvent::Resize) FitBoard();
    return QMainWindow::eventFilter(watched, event);
}

bool TfSpielfeld::event(QEvent* event) {
    if (event->type() == QEvent::WindowBlocked) HoldForDialog();
    if (event->type() == QEvent::WindowUnblocked) ResumeAfterDialog();
    // Moved to a screen of another pixel density: the board is composed at the scale it now needs.
    if (event->type() == QEvent::ScreenChangeInternal) FitBoard();
    return QMainWindow::event(event);
}

void TfSpielfeld::HoldForDialog() {
    PauseClock();
    tKI->stop();
    // He thinks again from the start once the dialog is closed; a hint is over.
    if (Spielfeld) Spielfeld->CancelThinking();
}

void TfSpielfeld::ResumeAfterDialog() {
    // A box opened during a move (the quit question) leaves the rest to the move itself.
    if (!Spielfeld || Spielfeld->Busy()) return;
    ResumeClock();
    ArmComputer();
}

void TfSpielfeld::closeEvent(QCloseEvent* event) {
    const bool computerArmed = tKI->isActive() || Spielfeld->Thinking();
    tKI->stop();
    Spielfeld->CancelThinking();
    const bool quit = LngMessageDlg(Text("msgquit"), mtConfirmation, mbYesNo) == mrYes;
    if (isVisible()) Spielfeld->SetMaximized(isMaximized());
    if (!quit) {
        event->ignore();
        if (computerArmed) tKI->start();
        return;
    }
    event->accept();
    tKI->stop();
    tZeit->stop();
    // Closed during a move: it must not play on unseen once the window is gone.
    if (Spielfeld->Busy()) Spielfeld->Abandon();
}

} // namespace kelani
