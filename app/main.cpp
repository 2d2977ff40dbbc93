// KELANI (R) Freeware Nr. 2: the program entry. It reads no command line.
#include "app/uStartUp.h"
#include "app/ufSpielfeld.h"
#include "view/uTCanvas.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelani"));
    QApplication::setOrganizationName(QStringLiteral("Tarvik"));
    kelani::RegisterFontSubstitutes();
    const std::unique_ptr<kelani::TfSpielfeld> window = kelani::CreateMainWindow();
    if (!window) return 1;
    try {
        window->ShowStartUp();
        window->show();
        return app.exec();
    } catch (const std::exception& error) {
        // The @2x pictures load when the window first grows large enough for them.
        kelani::ShowFatalError(error);
        return 1;
    }
}
