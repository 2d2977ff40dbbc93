// What the game does between two animation frames (start a sound, look up a text) and at start-up
// (read settings, translate a window).
#include "components/MultiLanguage.h"
#include "components/uSound.h"
#include "settings/uIniFile.h"
#include "settings/uTSettings.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <benchmark/benchmark.h>
#include <filesystem>

using namespace kelani;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_app";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void PlayAndStop(benchmark::State& state) {
    App();
    StopSound(); // decodes the recordings once, as the first call in the game does
    for (auto _ : state) {
        PlayWaveResource(QStringLiteral("1steininmulde"));
        StopSound();
    }
}
BENCHMARK(PlayAndStop);

void SettingsLoad(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "kelani-bench-app";
    std::filesystem::create_directories(folder);
    TKelaniSettings settings(folder.string());
    settings.Save();
    for (auto _ : state) {
        settings.Load();
        benchmark::DoNotOptimize(settings.Animation);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(SettingsLoad);

void TranslateMainWindow(benchmark::State& state) {
    App();
    QMainWindow window;
    for (const char* name : {"miSpiel", "miNewGame", "aNewGame", "lDesc", "miEnglish", "aEmail"})
        (new QLabel(&window))->setObjectName(name);
    auto* lng = new TMultiLanguage(&window);
    lng->LoadScript(QStringLiteral("TfSpielfeld"));
    bool english = false;
    for (auto _ : state) {
        lng->SetLanguage(english ? QStringLiteral("english") : QStringLiteral("german"));
        english = !english;
    }
}
BENCHMARK(TranslateMainWindow);

void GetString(benchmark::State& state) {
    App();
    QObject owner;
    TMultiLanguage lng(&owner);
    lng.LoadScript(QStringLiteral("TfSpielfeld"));
    lng.SetLanguage(QStringLiteral("german"));
    for (auto _ : state) benchmark::DoNotOptimize(lng.GetString(QStringLiteral("msgplayersummary")));
}
BENCHMARK(GetString);

} // namespace

BENCHMARK_MAIN();
