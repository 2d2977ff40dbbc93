// KELANI (R) Freeware Nr. 2: the program entry. Its one argument is a kelani://join/CODE link, the
// invitation to a friend's online game.
#include "app/uOnlinePlay.h"
#include "app/uStartUp.h"
#include "app/ufSpielfeld.h"
#include "view/uTCanvas.h"

#include <QApplication>
#include <QTimer>

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
        QTimer::singleShot(0, window.get(), [&window, &app] { window->Online->Begin(app.arguments()); });
        return app.exec();
    } catch (const std::exception& error) {
        // The @2x pictures load when the window first grows large enough for them.
        kelani::ShowFatalError(error);
        return 1;
    }
}
