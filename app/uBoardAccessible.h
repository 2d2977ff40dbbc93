#pragma once
// The board for screen readers (AT-SPI on Linux): the paint box shows one picture, so its parts
// are published as accessible children of their own: the fourteen places (a playing pit can be
// pressed to play it), the two clocks, the counters, the notes, the move preview and a status
// line that says what each turn brought. The keyboard's ring moves the accessible focus along;
// F5 reads the board, F6 the last turn, F7 the clocks and F8 the chosen move's preview into the
// status line.
//
// Qt 6.4 has no announcement event: the status line is a notification that changes its name and
// shows anew for each announcement, which is what Orca speaks.
#include "app/uBoardSpeech.h"

#include <QObject>
#include <QString>

namespace kelani {

class TfSpielfeld;

// Where each part sits among the board's children.
enum TBoardPart {
    kFirstPlace = 0, // places 1..14 at 0..13
    kClock1 = 14,
    kClock2,
    kCounters,
    kNotes,
    kPreview,
    kStatus,
    kBoardParts
};

class TBoardAccess : public QObject {
    Q_OBJECT
public:
    // Lives on the window's paint box, which the screen reader then sees as the board.
    explicit TBoardAccess(TfSpielfeld& window);

    TfSpielfeld& Window() const { return window_; }
    QString PartName(int part) const;
    // The board name of the paint box: the board and whose turn it is.
    QString BoardName() const;
    // The area of a part on the screen.
    QRect PartRect(int part) const;
    // The keyboard's pit while its ring shows, else -1.
    int FocusPlace() const;
    // The pressed place is played once the screen reader's call has returned: the move and the
    // boxes after it wait for nobody.
    bool MayPress(int place) const;
    void Press(int place);

    // The window's hooks: the keyboard's pit changed; the turn changed.
    void FocusMoved();
    void TurnChanged();
    // Puts `text` into the status line and tells the screen reader.
    void Announce(const QString& text);
    QString Status() const { return status_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TfSpielfeld& window_;
    TBoardSpeech speech_;
    QString status_;
};

} // namespace kelani
