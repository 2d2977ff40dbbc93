// The board on a desk of two screens, the second of twice the pixel density (a laptop beside a
// 4K monitor): the offscreen platform builds them from a configuration file read at start-up, so
// this runs in a program of its own.
#include "app/uTSpielfeld.h"
#include "app/ufSpielfeld.h"
#include "tests/app/GuiTestSupport.h"

#include <QScreen>
#include <QTest>

using namespace kelani;
using namespace kelani::testing;

namespace {

void DeskOfTwoScreens() {
    static QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("screens.json"));
    QFile config(file);
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(R"({"screens": [
        {"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 1024, "dpr": 1.0},
        {"name": "monitor", "x": 1280, "y": 0, "width": 1280, "height": 1024, "dpr": 2.0}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + file.toLocal8Bit());
}

class TwoScreens : public GuiTest {
protected:
    void SetUp() override {
        DeskOfTwoScreens();
        GuiTest::SetUp();
        WriteSettings("[settings]\nlanguage=german\nsound=0\n");
    }
};

} // namespace

TEST_F(TwoScreens, BoardIsComposedAtTheScaleOfTheScreenTheWindowMovesTo) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    TfSpielfeld window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.Spielfeld->Scale(), 1);
    for (const int scale : {2, 1}) {
        window.setScreen(screens[scale - 1]);
        QTest::qWait(30);
        EXPECT_EQ(window.devicePixelRatio(), scale);
        EXPECT_EQ(window.Spielfeld->Scale(), scale);
        EXPECT_EQ(window.Spielfeld->BoardImage.width(), 720 * scale);
    }
}
