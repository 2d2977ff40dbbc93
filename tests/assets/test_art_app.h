#pragma once
// The artwork tests paint text and decode pictures, which needs a Qt application (offscreen).
#include <QFont>
#include <QGuiApplication>

namespace kelani {

inline void EnsureArtApplication() {
    static int argc = 1;
    static char name[] = "test_art";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

} // namespace kelani
