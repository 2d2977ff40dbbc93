#include "app/uSound.h"

#include "tests/support/TestApp.h"

#include "components/uPlatform.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace kelani;

// Qt Multimedia leaves its decoded samples to deferred deletion that never runs at exit; as for
// every window test, leak reports from Qt's caches are noise here (the build asks for the same
// setting through the test environment).
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

TEST(Sound, MissingRecordingIsSilent) {
    test::App();
    EXPECT_FALSE(HasWaveResource("keinsolcherklang"));
    EXPECT_FALSE(HasWaveResource(""));
    PlayWaveResource("keinsolcherklang");
    PlayWaveResource("");
    StopSound();
    StopSound();
}

// Offscreen there is no audio device: playing and stopping must neither fail nor wait.
TEST(Sound, RecordingsPlayAndStopWithoutAnAudioDevice) {
    test::App();
    if (!HasWaveResource("start")) GTEST_SKIP() << "recordings are not built into this test";
    EXPECT_TRUE(HasWaveResource("START"));
    EXPECT_TRUE(HasWaveResource("VielesteineinStirnmulde"));
    PlayWaveResource("START");
    PlayWaveResource("1steininmulde"); // cuts off the start sound
    QCoreApplication::processEvents();
    StopSound();
    PlayWaveResource("gewonnen");
    QCoreApplication::processEvents();
    StopSound();
}

// The recordings are found through their resource addresses and decoded, device or not.
TEST(Sound, EveryRecordingIsDecodedInTheBackground) {
    test::App();
    if (!HasWaveResource("start")) GTEST_SKIP() << "recordings are not built into this test";
    StopSound();
    const QStringList names = {"start",
                               "gewonnen",
                               "verloren",
                               "unentschieden",
                               "1steininmulde",
                               "4steininmulde",
                               "4steinausmulde",
                               "wenigsteineinstirnmulde",
                               "vielesteineinstirnmulde",
                               "wenigsteineinderhand",
                               "vielesteineinderhand"};
    const int64_t deadline = TickCount() + 20000;
    auto allReady = [&] { return std::all_of(names.begin(), names.end(), WaveResourceReady); };
    while (!allReady() && TickCount() < deadline) WaitFor(10);
    for (const auto& name : names) EXPECT_TRUE(WaveResourceReady(name)) << name.toStdString();
    EXPECT_FALSE(WaveResourceReady("keinsolcherklang"));
}
