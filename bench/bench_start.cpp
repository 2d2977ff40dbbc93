// The game's start as the player waits for it, sound off (no splash): from creating the main
// window (settings, pictures, the hands container, layers) to the first paint of the board.
// Runs offscreen in a scratch program folder that links the painted containers of this build.
#include "app/ufSpielfeld.h"
#include "components/uFolders.h"
#include "components/uPaintBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace kelani;

namespace {

// Notes the first paint of the watched widget.
class PaintWatch : public QObject {
public:
    bool Painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) Painted = true;
        return false;
    }
};

// A program folder with settings for a started game without sound and the build's containers,
// with their @2x siblings where painted (a start at QT_SCALE_FACTOR=2 reads those).
bool PrepareFolder(const QTemporaryDir& folder) {
    const QString painted = QStringLiteral(KELANI_PROGRAM_DIR "/");
    const auto link = [&](const QString& name) {
        return QFile::exists(painted + name) && QFile::link(painted + name, folder.filePath(name));
    };
    for (const char* stem : {"game", "steine", "mulden", "hands", "holz"}) {
        if (!link(QLatin1String(stem) + QStringLiteral(".gfx"))) return false;
        link(QLatin1String(stem) + QStringLiteral("@2x.gfx"));
    }
    QFile settings(folder.filePath(QStringLiteral("settings.ini")));
    if (!settings.open(QIODevice::WriteOnly)) return false;
    settings.write("[settings]\nlanguage=german\nsound=0\nhandani=1\nstoneani=0\nnoani=0\n");
    SetProgramFolderForTests(folder.path());
    return true;
}

void BM_StartToFirstBoard(benchmark::State& state) {
    QTemporaryDir folder;
    if (!PrepareFolder(folder))
        return state.SkipWithError("the containers have not been painted in this build");
    for (auto _ : state) {
        TfSpielfeld window;
        PaintWatch watch;
        window.pbSpielfeld->installEventFilter(&watch);
        window.ShowStartUp();
        window.show();
        while (!watch.Painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    SetProgramFolderForTests(QString());
}
BENCHMARK(BM_StartToFirstBoard)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
