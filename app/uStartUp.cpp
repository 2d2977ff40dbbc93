#include "app/uStartUp.h"

#include "app/lngDialogs.h"
#include "app/ufLanguage.h"
#include "app/ufSpielfeld.h"
#include "components/uFolders.h"
#include "settings/uTSettings.h"
#include "view/uTGFXFile.h"

namespace kelani {
namespace {

// First start: no language chosen yet, so ask for one.
void AskLanguageOnFirstStart() {
    if (!TKelaniSettings(SettingsFolder()).Language().empty()) return;
    SetApplicationTitle(QStringLiteral("Kelani Freeware 2"));
    TfLanguage dialog(SettingsFolder());
    dialog.exec();
}

} // namespace

std::unique_ptr<TfSpielfeld> CreateMainWindow() {
    try {
        AskLanguageOnFirstStart();
        // The window sets the message language from the settings before it loads any picture.
        return std::make_unique<TfSpielfeld>();
    } catch (const std::exception& error) {
        // The board, its stones, pits and hands cannot be drawn without their containers; going on
        // without them would show an empty table, so the game ends after naming the file.
        ShowFatalError(error);
        return nullptr;
    }
}

void ShowFatalError(const std::exception& error) {
    LngFileErrorDlg(error, GfxErrorFile(error));
}

} // namespace kelani
