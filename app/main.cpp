// KELANI (R) Freeware Nr. 2: the program entry. It reads no command line.
#include "app/ufLanguage.h"
#include "app/ufSpielfeld.h"
#include "components/uAppSettings.h"
#include "components/uPlatform.h"
#include "settings/uTSettings.h"
#include "view/uTCanvas.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// First start: no language chosen yet, so ask for one.
void AskLanguageOnFirstStart() {
    using namespace kelani;
    if (!TKelaniSettings(SettingsFolder()).Language().empty()) return;
    SetApplicationTitle(QStringLiteral("Kelani Freeware 2"));
    TfLanguage dialog(SettingsFolder());
    dialog.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelani"));
    QApplication::setOrganizationName(QStringLiteral("Tarvik"));
    kelani::RegisterFontSubstitutes();
    try {
        AskLanguageOnFirstStart();
        kelani::TfSpielfeld window;
        window.ShowStartUp();
        window.show();
        return app.exec();
    } catch (const std::exception& error) {
        // Without its pictures or settings the game cannot start; say why instead of vanishing.
        QMessageBox::critical(nullptr, QStringLiteral("KELANI (R) Freeware Nr. 2"),
                              kelani::ErrorText(error.what()));
        return 1;
    }
}
