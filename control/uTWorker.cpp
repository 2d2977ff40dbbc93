#include "control/uTWorker.h"

#include <QMetaObject>

namespace kelani {

void TWorker::Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    ++generation_;
    running_ = false;
}

void TWorker::Done() {
    if (worker_.joinable()) worker_.join();
    running_ = false;
}

void TWorker::Run(std::function<void(const TDeliver& deliver)> work) {
    Stop();
    stop_ = false;
    running_ = true;
    const unsigned generation = generation_;
    TDeliver deliver = [this, generation](std::function<void()> action) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, action = std::move(action)] {
                if (generation == generation_) action();
            },
            Qt::QueuedConnection);
    };
    worker_ = std::thread([work = std::move(work), deliver = std::move(deliver)] { work(deliver); });
}

} // namespace kelani
