#include "control/uTReview.h"

namespace kelani {

void TReview::Start(const THistory& history, const TEndgameSource* tables, int ms, TProgress progress,
                    TDone done) {
    Stop();
    history_ = history;
    Run([this, tables, ms, progress = std::move(progress), done = std::move(done)](const TDeliver& deliver) {
        TMeisterLimits limits;
        limits.TimeMs = ms;
        limits.Stop = StopFlag();
        limits.Endgame = tables;
        const std::vector<TReviewMove> review = ReviewGame(history_, limits, [&](int count, int of) {
            deliver([progress, count, of] { progress(count, of); });
            return !Stopping();
        });
        if (Stopping()) return;
        deliver([this, review, done] {
            Done();
            done(review);
        });
    });
}

} // namespace kelani
