#pragma once
// The review of a game on a thread of its own (records/uGameReview): the window shows its
// progress and may cancel it; progress and the result reach this object's thread as queued calls.
#include "records/uGameReview.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

namespace kelani {

// The Master's time for each position of a review.
inline constexpr int kReviewMsPerMove = 250;

class TReview : public QObject {
public:
    using TProgress = std::function<void(int done, int count)>;
    using TDone = std::function<void(const std::vector<TReviewMove>& review)>;

    explicit TReview(QObject* parent = nullptr);
    ~TReview() override;

    // Drops a review under way and reviews a copy of `history`, each position searched for `ms`
    // milliseconds with the tables (which must outlive the review, or be nullptr).
    void Start(const THistory& history, const TEndgameSource* tables, int ms, TProgress progress, TDone done);
    // Ends the review at once and drops its result.
    void Stop();
    bool Running() const { return running_; }

private:
    void Join();

    THistory history_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
    unsigned generation_ = 0;
    bool running_ = false;
};

} // namespace kelani
