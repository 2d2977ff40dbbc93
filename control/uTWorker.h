#pragma once
// Work on a thread of its own whose results reach the owner's thread as queued calls: each run
// gets a delivery that Qt drops when the object is gone, and that this object drops when the run
// was stopped or another one started since, so a stale result is never seen.
#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

namespace kelani {

class TWorker : public QObject {
public:
    // Called from the worker: runs `action` later on the owner's thread, if still wanted.
    using TDeliver = std::function<void(std::function<void()> action)>;

    explicit TWorker(QObject* parent = nullptr) : QObject(parent) {}
    // A derived class stops the work in its own destructor: the work may use its members.
    ~TWorker() override { Stop(); }

    // Ends the work under way (it sees Stopping()) and drops what it would still deliver.
    void Stop();
    // A run is under way, or its last delivery has not yet called Done.
    bool Running() const { return running_; }

protected:
    // Stops any work under way, then runs `work` on a fresh thread.
    void Run(std::function<void(const TDeliver& deliver)> work);
    // In the run's last delivery: the thread has ended its work.
    void Done();
    bool Stopping() const { return stop_; }
    const std::atomic<bool>* StopFlag() const { return &stop_; }

private:
    std::atomic<bool> stop_{false};
    std::thread worker_;
    unsigned generation_ = 0;
    bool running_ = false;
};

} // namespace kelani
