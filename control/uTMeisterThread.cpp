#include "control/uTMeisterThread.h"

#include <QMetaObject>

namespace kelani {

TMeisterThread::TMeisterThread(QObject* parent) : QObject(parent) {
    ki_.SetLevel(kMeisterLevel);
    ki_.SetStopFlag(&stop_);
}

TMeisterThread::~TMeisterThread() {
    Stop();
}

void TMeisterThread::Join() {
    if (worker_.joinable()) worker_.join();
}

void TMeisterThread::Start(const TFeld& feld, int ms, TDone done, const TEndgameSource* tables) {
    Stop();
    // The worker is joined: the board and the player are this thread's until the next start.
    board_.Assign(feld);
    ki_.SetMasterTime(ms);
    ki_.SetEndgame(tables);
    stop_ = false;
    thinking_ = true;
    const unsigned generation = generation_;
    worker_ = std::thread([this, generation, done = std::move(done)] {
        const TKIChoice choice = ki_.Choose();
        // Queued to this object: Qt drops the call when the object is gone before it runs.
        QMetaObject::invokeMethod(
            this,
            [this, generation, done, choice] {
                if (generation != generation_) return;
                Join();
                thinking_ = false;
                done(choice);
            },
            Qt::QueuedConnection);
    });
}

void TMeisterThread::Hurry() {
    stop_ = true;
}

void TMeisterThread::Stop() {
    stop_ = true;
    Join();
    ++generation_;
    thinking_ = false;
}

} // namespace kelani
