#pragma once
// The one QApplication a Qt test executable needs; created on first use, lives until exit.
#include <QApplication>

namespace kelani::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "kelani-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

} // namespace kelani::test
