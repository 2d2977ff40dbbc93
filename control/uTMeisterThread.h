#pragma once
// The Master thinks on a thread of his own, so the board keeps painting and the clock keeps
// running meanwhile. He searches a copy of the board; his choice comes back to the controller's
// thread as a queued call, and a choice that is no longer wanted (the board was left, a dialog
// opened, the program closes) is dropped there.
#include "game/uRandom.h"
#include "game/uTFeld.h"
#include "game/uTKI.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

namespace kelani {

class TMeisterThread : public QObject {
public:
    using TDone = std::function<void(const TKIChoice&)>;

    explicit TMeisterThread(QObject* parent = nullptr);
    ~TMeisterThread() override;

    // Drops any thinking under way, then thinks about a copy of `feld` for `ms` milliseconds,
    // with the endgame tables of its rule set if given (they must outlive the thinking); `done`
    // later runs on this object's thread with the choice for the player to move.
    void Start(const TFeld& feld, int ms, TDone done, const TEndgameSource* tables = nullptr);
    // Ends the thinking at once; the best pit found so far is still delivered.
    void Hurry();
    // Ends the thinking at once and drops its choice.
    void Stop();
    // Thinking, or a choice on its way that was not yet delivered.
    bool Thinking() const { return thinking_; }

private:
    void Join();

    TFeld board_;
    TRandom random_;
    TKI ki_{board_, random_};
    std::atomic<bool> stop_{false};
    std::thread worker_;
    // Counts the starts and stops; a choice made for an older count is stale.
    unsigned generation_ = 0;
    bool thinking_ = false;
};

} // namespace kelani
