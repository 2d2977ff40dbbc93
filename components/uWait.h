#pragma once
// Time as the game's animations and pauses see it: the tick count and the message-pumping wait
// that every animation step goes through.
#include <cstdint>

namespace kelani {

// Milliseconds from a steady clock (the design's tick count).
int64_t TickCount();

// Waits until TickCount() reaches `tick`, processing window messages and sleeping 1 ms per pass;
// always makes at least one pass, so paint and key events are delivered even for a past tick.
void WaitUntil(int64_t tick);

// Waits `ms` milliseconds from now the same way.
void WaitFor(int ms);

// The program is closing: from now on every wait makes its one pass and returns, so a running
// animation ends at once instead of playing on unseen. Passing false lets waits wait again.
void CutWaitsShort(bool cut = true);

// Test hook: waits finish after 1/factor of their time (factor >= 1). The number and order of
// passes that callers make stays the same; only the time between them shrinks.
void SetWaitSpeedUp(int factor);
int WaitSpeedUp();

} // namespace kelani
