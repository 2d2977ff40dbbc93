#pragma once
// The Options menu's aids for players who see little: the board in high contrast and the notes in
// a larger font, both kept in settings.ini. The notes also grow with the desktop's font, so a
// player who chose large text for every program finds it on the board as well.
#include <QObject>

class QAction;

namespace kelani {

class TfSpielfeld;

// The notes' points: the board's 8 (11 when large), grown by the desktop font beyond its usual 9.
int NotesPoints(bool large, qreal desktopPoints);

class TAccessOptions : public QObject {
    Q_OBJECT
public:
    // Adds the two items to the window's Options menu and applies the stored choices.
    explicit TAccessOptions(TfSpielfeld& window);

    QAction* miHighContrast;
    QAction* miLargeNotes;

private:
    void Apply();

    TfSpielfeld& window_;
};

} // namespace kelani
