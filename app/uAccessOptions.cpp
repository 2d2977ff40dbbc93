#include "app/uAccessOptions.h"

#include "app/ufSpielfeld.h"
#include "components/MultiLanguage.h"
#include "components/uPaintBox.h"
#include "control/uTSpielfeld.h"

#include <QApplication>
#include <QMenu>
#include <cmath>

namespace kelani {
namespace {

constexpr int kNotesPoints = 8;
constexpr int kLargeNotesPoints = 11;
constexpr qreal kUsualDesktopPoints = 9;
// Beyond this the notes' panel holds a single short line.
constexpr int kMostNotesPoints = 16;

QAction* AddCheckItem(QMenu* menu, const char* name, bool checked) {
    QAction* item = menu->addAction(QLatin1String(name));
    item->setObjectName(QLatin1String(name));
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
}

} // namespace

int NotesPoints(bool large, qreal desktopPoints) {
    const int points = large ? kLargeNotesPoints : kNotesPoints;
    if (desktopPoints <= kUsualDesktopPoints) return points;
    return std::min(kMostNotesPoints, int(std::lround(points * desktopPoints / kUsualDesktopPoints)));
}

TAccessOptions::TAccessOptions(TfSpielfeld& window) : QObject(&window), window_(window) {
    auto* options = window.findChild<QMenu*>(QStringLiteral("miOptions"));
    options->addSeparator();
    const TKelaniSettings& settings = window.Spielfeld->Settings();
    miHighContrast = AddCheckItem(options, "miHighContrast", settings.HighContrast);
    miLargeNotes = AddCheckItem(options, "miLargeNotes", settings.LargeNotes);
    for (QAction* item : {miHighContrast, miLargeNotes})
        connect(item, &QAction::toggled, this, &TAccessOptions::Apply);
    // The items came after the window's script was applied.
    window.lng->Translate();
    Apply();
}

void TAccessOptions::Apply() {
    TSpielfeld& game = *window_.Spielfeld;
    game.SetHighContrast(miHighContrast->isChecked());
    game.SetLargeNotes(miLargeNotes->isChecked(),
                       NotesPoints(miLargeNotes->isChecked(), QApplication::font().pointSizeF()));
    window_.pbSpielfeld->update();
}

} // namespace kelani
