// Delayed calls on the main thread (setTimeout) and the 64-bit millisecond
// clock they run on (tickCount64).
//
// All pending calls wait in one queue sorted by due time, served by a single
// windowless system timer armed for the earliest entry; the main message loop
// dispatches that timer. Due calls are not run by the timer itself: they are
// posted to the main-thread call queue and run at its next drain.
#pragma once

#include <cstdint>

#include "ui/main_thread_queue.h"

// Milliseconds since the first call, continuous across wraps of the system's
// 32-bit tick count (a reading more than 10000 ms below the previous one
// counts as a wrap; a smaller step back does not). Any thread.
uint64_t tickCount64();

// Any thread: runs `call` on the main thread after `delayMs` milliseconds.
// A delay of 0 or less posts it to the main-thread queue at once (it runs in
// the next drain, before any timed call). Does nothing once the timer queue
// has stopped.
void setTimeout(MainThreadCall call, int32_t delayMs);

class TimerQueue {
public:
    // Main thread: inserts `call`, due `delayMs` from now, after every entry
    // due at the same time or earlier, and re-arms the system timer when it
    // became the first entry. Does nothing once the queue has stopped.
    static void add(MainThreadCall call, int32_t delayMs);
};

// The system timer's callback (main thread, inside the message loop): posts
// every due call to the main-thread queue in due order, then re-arms the
// timer for the next entry or kills it when none is left.
void timerProc();

// Main thread, once after the message loop has ended: destroys every pending
// entry without running it, kills the timer and stops the queue for the rest
// of the process.
void shutdownTimers();

// For tests only.
namespace timer_queue_testing {
// Replaces the 32-bit tick source of tickCount64 (null restores the
// platform's) and starts the clock afresh: its next call reads 0.
void setTickSource(uint32_t (*source)());
// Empties and restarts a stopped or running queue, killing its timer.
void restart();
// How many entries wait.
int pendingCount();
} // namespace timer_queue_testing
