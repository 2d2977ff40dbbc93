#include "app/uBoardAccessible.h"

#include "app/ufSpielfeld.h"
#include "components/MultiLanguage.h"
#include "components/uPaintBox.h"
#include "control/uTSpielfeld.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>
#include <array>
#include <deque>

namespace kelani {
namespace {

constexpr int kPlaceParts = kPlaces;

bool IsPlacePart(int part) {
    return part >= kFirstPlace && part < kFirstPlace + kPlaceParts;
}

int PlaceOf(int part) {
    return part - kFirstPlace + 1;
}

QAccessible::Role PartRole(int part) {
    if (IsPlacePart(part)) return IsPlayingPit(PlaceOf(part)) ? QAccessible::Button : QAccessible::StaticText;
    // The bridge knows no clock role: the clocks are texts like the counters.
    return part == kStatus ? QAccessible::Notification : QAccessible::StaticText;
}

// One part of the board: a place, a clock, the counters, the notes, the preview or the status.
class TPartInterface : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TPartInterface(TBoardAccess& access, int part) : access_(access), part_(part) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return access_.Window().windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(access_.Window().pbSpielfeld);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? access_.PartName(part_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return access_.PartRect(part_); }
    QAccessible::Role role() const override { return PartRole(part_); }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (IsPlacePart(part_) && IsPlayingPit(PlaceOf(part_))) {
            state.focusable = true;
            state.focused = access_.FocusPlace() == PlaceOf(part_);
            state.disabled = !access_.MayPress(PlaceOf(part_));
        }
        if (part_ == kStatus) state.readOnly = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface && IsPlacePart(part_)
                   ? static_cast<QAccessibleActionInterface*>(this)
                   : nullptr;
    }

    QStringList actionNames() const override {
        return access_.MayPress(PlaceOf(part_)) ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) access_.Press(PlaceOf(part_));
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TBoardAccess& access_;
    const int part_;
};

// One announcement. Its words never change: a screen reader reads a status line when it gets to
// the event, and by then the next turn may have been announced already.
class TStatusInterface : public TPartInterface {
public:
    TStatusInterface(TBoardAccess& access, QString words)
        : TPartInterface(access, kStatus), words_(std::move(words)) {}
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? words_ : QString(); }

private:
    const QString words_;
};

// The announcements a slow reader may still be about to read.
constexpr size_t kKeptAnnouncements = 16;

// The paint box as the board, with its parts as children.
class TBoardInterface : public QAccessibleWidget {
public:
    TBoardInterface(QWidget* box, TBoardAccess& access)
        : QAccessibleWidget(box, QAccessible::Grouping), access_(access) {
        for (int part = 0; part < kBoardParts; ++part) {
            parts_[part] = part == kStatus ? new TStatusInterface(access, access.Status())
                                           : new TPartInterface(access, part);
            QAccessible::registerAccessibleInterface(parts_[part]);
        }
    }
    ~TBoardInterface() override {
        for (QAccessibleInterface* part : parts_)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
        for (QAccessibleInterface* said : said_)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(said));
    }

    // The status line becomes a new one with `words`; the one before stays readable a while.
    QAccessibleInterface* NewStatus(const QString& words) {
        said_.push_back(parts_[kStatus]);
        parts_[kStatus] = new TStatusInterface(access_, words);
        QAccessible::registerAccessibleInterface(parts_[kStatus]);
        if (said_.size() > kKeptAnnouncements) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(said_.front()));
            said_.pop_front();
        }
        return parts_[kStatus];
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? access_.BoardName() : QAccessibleWidget::text(t);
    }
    int childCount() const override { return kBoardParts; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < kBoardParts ? parts_[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto found = std::find(parts_.begin(), parts_.end(), child);
        return found == parts_.end() ? -1 : int(found - parts_.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* part : parts_)
            if (part->rect().contains(x, y)) return part;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const int place = access_.FocusPlace();
        return place > 0 ? parts_[kFirstPlace + place - 1] : nullptr;
    }

private:
    TBoardAccess& access_;
    std::array<QAccessibleInterface*, kBoardParts> parts_{};
    std::deque<QAccessibleInterface*> said_;
};

QAccessibleInterface* BoardFactory(const QString&, QObject* object) {
    auto* box = qobject_cast<TPaintBox*>(object);
    auto* access = box ? box->findChild<TBoardAccess*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return access ? new TBoardInterface(box, *access) : nullptr;
}

void Notify(QAccessibleInterface* iface, QAccessible::Event type) {
    if (!iface) return;
    QAccessibleEvent event(iface, type);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* PartInterface(const TfSpielfeld& window, int part) {
    QAccessibleInterface* board = QAccessible::queryAccessibleInterface(window.pbSpielfeld);
    return board ? board->child(part) : nullptr;
}

} // namespace

TBoardAccess::TBoardAccess(TfSpielfeld& window)
    : QObject(window.pbSpielfeld), window_(window),
      speech_(*window.Spielfeld, [&window](const QString& key) { return window.lng->GetString(key); }) {
    static const bool installed = [] {
        QAccessible::installFactory(BoardFactory);
        return true;
    }();
    Q_UNUSED(installed);
    // The screen reader's focus rests on the board, where the keys play.
    window.pbSpielfeld->setFocusPolicy(Qt::StrongFocus);
    window.installEventFilter(this);
}

QString TBoardAccess::BoardName() const {
    return window_.lng->GetString(QStringLiteral("a11yboard"));
}

QString TBoardAccess::PartName(int part) const {
    if (IsPlacePart(part)) return speech_.PlaceName(PlaceOf(part));
    switch (part) {
    case kClock1:
    case kClock2:
        return speech_.ClockName(part - kClock1 + 1);
    case kCounters:
        return speech_.CountersName();
    case kNotes:
        return speech_.NotesName();
    case kPreview:
        return speech_.PreviewName();
    default:
        return status_;
    }
}

QRect TBoardAccess::PartRect(int part) const {
    const TSpielfeldLayers& layers = window_.Spielfeld->Layers();
    QRect board;
    if (IsPlacePart(part))
        board = PitRect(PlaceOf(part));
    else if (part == kClock1 || part == kClock2)
        board = layers.ZeitLayers[part - kClock1 + 1]->DestRect;
    else if (part == kCounters)
        board = layers.RundeLayers[0]->DestRect;
    else if (part == kPreview)
        board = layers.OverviewLayer->DestRect;
    else
        board = layers.NotesLayer->DestRect;
    const QPoint topLeft = window_.BoxPoint(board.topLeft()),
                 bottomRight = window_.BoxPoint(board.bottomRight());
    return QRect(window_.pbSpielfeld->mapToGlobal(topLeft), window_.pbSpielfeld->mapToGlobal(bottomRight));
}

int TBoardAccess::FocusPlace() const {
    return window_.KeyFocus();
}

bool TBoardAccess::MayPress(int place) const {
    return window_.Spielfeld->MayPlay(place);
}

void TBoardAccess::Press(int place) {
    QTimer::singleShot(0, &window_, [this, place] {
        if (MayPress(place)) window_.Spielfeld->PlayPit(place);
    });
}

void TBoardAccess::FocusMoved() {
    Notify(PartInterface(window_, kPreview), QAccessible::NameChanged);
    // While the ring is away (a move is shown, the other side thinks) the reader's focus stays on
    // the last pit: sent back to the board, it would read out every label on it after each move.
    // Back on that same pit, its new name is what gets said.
    const int place = FocusPlace();
    if (place <= 0) return;
    QAccessibleInterface* part = PartInterface(window_, kFirstPlace + place - 1);
    Notify(part, QAccessible::NameChanged);
    Notify(part, QAccessible::Focus);
}

void TBoardAccess::TurnChanged() {
    Announce(speech_.TurnText());
}

void TBoardAccess::Announce(const QString& text) {
    status_ = text;
    auto* board = dynamic_cast<TBoardInterface*>(QAccessible::queryAccessibleInterface(window_.pbSpielfeld));
    if (!board || !QAccessible::isActive()) return;
    // Screen readers speak a notification when it shows, not when its name changes away from the
    // focus: each announcement is a status line of its own that takes the old one's place.
    Notify(board->child(kStatus), QAccessible::ObjectHide);
    Notify(board->NewStatus(text), QAccessible::ObjectShow);
}

bool TBoardAccess::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_F5:
            Announce(speech_.BoardText());
            return true;
        case Qt::Key_F6:
            Announce(speech_.LastTurn());
            return true;
        case Qt::Key_F7:
            Announce(speech_.ClocksText());
            return true;
        case Qt::Key_F8:
            Announce(speech_.PreviewName());
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelani
