#include "control/uTReview.h"

#include <QMetaObject>

namespace kelani {

TReview::TReview(QObject* parent) : QObject(parent) {}

TReview::~TReview() {
    Stop();
}

void TReview::Join() {
    if (worker_.joinable()) worker_.join();
}

void TReview::Stop() {
    stop_ = true;
    Join();
    ++generation_;
    running_ = false;
}

void TReview::Start(const THistory& history, const TEndgameSource* tables, int ms, TProgress progress,
                    TDone done) {
    Stop();
    history_ = history;
    stop_ = false;
    running_ = true;
    const unsigned generation = generation_;
    // Queued to this object: Qt drops the call when the object is gone before it runs.
    auto deliver = [this, generation](std::function<void()> action) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, action] {
                if (generation == generation_) action();
            },
            Qt::QueuedConnection);
    };
    worker_ =
        std::thread([this, tables, ms, deliver, progress = std::move(progress), done = std::move(done)] {
            TMeisterLimits limits;
            limits.TimeMs = ms;
            limits.Stop = &stop_;
            limits.Endgame = tables;
            const std::vector<TReviewMove> review = ReviewGame(history_, limits, [&](int count, int of) {
                deliver([progress, count, of] { progress(count, of); });
                return !stop_;
            });
            if (stop_) return;
            deliver([this, review, done] {
                Join();
                running_ = false;
                done(review);
            });
        });
}

} // namespace kelani
