#include "components/uSound.h"

#include "tests/support/TestApp.h"

#include "components/uWait.h"

#include <QCoreApplication>
#include <QSoundEffect>
#include <gtest/gtest.h>

using namespace kelani;

// Qt Multimedia leaves its decoded samples to deferred deletion that never runs at exit; as for
// every window test, leak reports from Qt's caches are noise here (the build asks for the same
// setting through the test environment).
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

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
    ASSERT_TRUE(HasWaveResource("start")) << "the recordings are not built into this test";
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

// Every recording decodes from the address it is played from; each one is waited for, so no
// decoding is left running when the test program ends.
TEST(Sound, EveryRecordingDecodesFromItsResourceAddress) {
    test::App();
    ASSERT_TRUE(HasWaveResource("start")) << "the recordings are not built into this test";
    for (const char* name : {"start", "gewonnen", "verloren", "unentschieden", "1steininmulde",
                             "4steininmulde", "4steinausmulde", "wenigsteineinstirnmulde",
                             "vielesteineinstirnmulde", "wenigsteineinderhand", "vielesteineinderhand"}) {
        QSoundEffect effect;
        effect.setSource(WaveResourceUrl(name));
        const int64_t deadline = TickCount() + 20000;
        while (effect.status() != QSoundEffect::Ready && effect.status() != QSoundEffect::Error &&
               TickCount() < deadline)
            WaitFor(5);
        EXPECT_EQ(effect.status(), QSoundEffect::Ready) << name;
    }
    EXPECT_EQ(WaveResourceUrl("START"), QUrl("qrc:/sounds/start.wav"));
}
