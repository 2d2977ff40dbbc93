#pragma once
// Shared set-up of the window tests: one QApplication, a temporary program folder holding copies of
// the real graphics containers, sped-up waits and pre-answered message boxes.
#include "app/lngDialogs.h"
#include "tests/support/GameFolder.h"

#include <QApplication>

namespace kelani::testing {

inline QApplication& App() {
    static int argc = 1;
    static char arg0[] = "kelani_gui_test";
    static char* argv[] = {arg0, nullptr};
    // Never destroyed: Qt's input devices must not be torn down after the test runner's exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Every test gets a fresh program folder with the containers of the build copied in.
class GuiTest : public ::testing::Test, public TGameFolder {
protected:
    void SetUp() override {
        App();
        ResetMessageSeam();
        SetDialogLanguage(QStringLiteral("german"));
    }
    void TearDown() override { ResetMessageSeam(); }
};

} // namespace kelani::testing
