#pragma once
// The one QApplication a Qt test executable needs; created on first use, never destroyed: Qt's
// input devices must not be torn down after the test runner's exit.
#include <QApplication>

namespace kelani::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "kelani-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace kelani::test
