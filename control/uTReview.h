#pragma once
// The review of a game on a thread of its own (records/uGameReview): the window shows its
// progress and may cancel it; progress and the result reach the owner's thread.
#include "control/uTWorker.h"
#include "records/uGameReview.h"

#include <functional>

namespace kelani {

// The Master's time for each position of a review.
inline constexpr int kReviewMsPerMove = 250;

class TReview : public TWorker {
public:
    using TProgress = std::function<void(int done, int count)>;
    using TDone = std::function<void(const std::vector<TReviewMove>& review)>;

    explicit TReview(QObject* parent = nullptr) : TWorker(parent) {}
    ~TReview() override { Stop(); }

    // Drops a review under way and reviews a copy of `history`, each position searched for `ms`
    // milliseconds with the tables (which must outlive the review, or be nullptr).
    void Start(const THistory& history, const TEndgameSource* tables, int ms, TProgress progress, TDone done);

private:
    THistory history_;
};

} // namespace kelani
