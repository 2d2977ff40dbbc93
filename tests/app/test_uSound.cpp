#include "app/uSound.h"

#include "tests/support/TestApp.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace kelani;

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
