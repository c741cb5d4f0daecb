// The timer queue. Insertion and firing happen only on the main thread (a
// positive setTimeout from any thread posts the insertion itself through the
// main-thread queue), so only the stopped flag is touched from other threads.
// The one system timer is re-armed on every change of the queue's front and
// on every firing, so it acts as a one-shot timer for the earliest entry.
// Due calls are handed to the main-thread queue while the queue's lock is
// held, which keeps them in due order; that queue's lock is always taken last.
//
// tickCount64 extends the system's 32-bit millisecond count, which wraps
// after about 49.7 days, by counting wraps. A small step back (up to 10 s) is
// tolerated as jitter rather than taken for a wrap, and the clock then holds
// its last value instead of running backwards.
#include "ui/timer_queue.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "ui/critical_section.h"

namespace {

const uint32_t kWrapThresholdMs = 10000;

struct TickClock {
    CriticalSection lock;
    uint32_t (*source)() = nullptr; // null: the platform's tick count
    bool started = false;
    uint32_t start = 0;
    uint32_t previous = 0;
    uint64_t wraps = 0;
    uint64_t lastResult = 0; // never goes back
};

struct TimerEntry {
    uint64_t due;
    MainThreadCall call;
};

struct TimerQueueState {
    CriticalSection lock;
    std::vector<TimerEntry> entries; // sorted by due, equal dues in insertion order
    uintptr_t timerId = 0;           // 0 while no system timer is armed
    std::atomic<bool> stopped{false};
};

TickClock& tickClock()
{
    static TickClock* s_clock = new TickClock;
    return *s_clock;
}

TimerQueueState& timerQueue()
{
    static TimerQueueState* s_queue = new TimerQueueState;
    return *s_queue;
}

// Built by static initialisation, before any thread may use them.
const bool s_built = (tickClock(), timerQueue(), true);

void killTimerLocked(TimerQueueState& queue)
{
    if (queue.timerId) {
        platform::get().killTimer(queue.timerId);
        queue.timerId = 0;
    }
}

} // namespace

uint64_t tickCount64()
{
    TickClock& clock = tickClock();
    ScopedLock lock(clock.lock);
    uint32_t reading = clock.source ? clock.source() : platform::get().tickCount32();
    if (!clock.started) {
        clock.started = true;
        clock.start = reading;
        clock.previous = reading;
    }
    if (reading < clock.previous && clock.previous - reading > kWrapThresholdMs)
        ++clock.wraps;
    clock.previous = reading;
    // A tolerated step back (or one right after the start) must not make the
    // clock run backwards, let alone below zero.
    int64_t elapsed = static_cast<int64_t>(clock.wraps << 32) + reading - static_cast<int64_t>(clock.start);
    if (elapsed > static_cast<int64_t>(clock.lastResult))
        clock.lastResult = static_cast<uint64_t>(elapsed);
    return clock.lastResult;
}

void setTimeout(MainThreadCall call, int32_t delayMs)
{
    if (timerQueue().stopped.load(std::memory_order_acquire))
        return;
    if (delayMs <= 0) {
        postToMainThread(std::move(call));
        return;
    }
    postToMainThread([call = std::move(call), delayMs]() mutable {
        TimerQueue::add(std::move(call), delayMs);
    });
}

void TimerQueue::add(MainThreadCall call, int32_t delayMs)
{
    TimerQueueState& queue = timerQueue();
    if (queue.stopped.load(std::memory_order_acquire))
        return;
    if (delayMs < 0)
        delayMs = 0;
    uint64_t due = tickCount64() + static_cast<uint64_t>(delayMs);
    ScopedLock lock(queue.lock);
    auto position = std::upper_bound(queue.entries.begin(), queue.entries.end(), due,
                                     [](uint64_t value, const TimerEntry& entry) { return value < entry.due; });
    bool first = position == queue.entries.begin();
    queue.entries.insert(position, TimerEntry{due, std::move(call)});
    if (first)
        queue.timerId = platform::get().setTimer(queue.timerId, static_cast<uint32_t>(delayMs), timerProc);
}

void timerProc()
{
    uint64_t now = tickCount64();
    TimerQueueState& queue = timerQueue();
    ScopedLock lock(queue.lock);
    auto firstLater = std::upper_bound(queue.entries.begin(), queue.entries.end(), now,
                                       [](uint64_t value, const TimerEntry& entry) { return value < entry.due; });
    for (auto entry = queue.entries.begin(); entry != firstLater; ++entry)
        postToMainThread(std::move(entry->call));
    queue.entries.erase(queue.entries.begin(), firstLater);
    if (!queue.entries.empty()) {
        uint64_t interval = queue.entries.front().due - now;
        interval = std::min<uint64_t>(interval, 0x7FFFFFFF);
        queue.timerId = platform::get().setTimer(queue.timerId, static_cast<uint32_t>(interval), timerProc);
    } else {
        killTimerLocked(queue);
    }
}

void shutdownTimers()
{
    TimerQueueState& queue = timerQueue();
    std::vector<TimerEntry> discarded;
    {
        ScopedLock lock(queue.lock);
        discarded.swap(queue.entries);
        killTimerLocked(queue);
        queue.stopped.store(true, std::memory_order_release);
    }
    // The calls are destroyed outside the lock: their captured objects'
    // destructors may call back into the queue.
}

namespace timer_queue_testing {

void setTickSource(uint32_t (*source)())
{
    TickClock& clock = tickClock();
    ScopedLock lock(clock.lock);
    clock.source = source;
    clock.started = false;
    clock.wraps = 0;
    clock.lastResult = 0;
}

void restart()
{
    TimerQueueState& queue = timerQueue();
    std::vector<TimerEntry> discarded;
    {
        ScopedLock lock(queue.lock);
        discarded.swap(queue.entries);
        killTimerLocked(queue);
        queue.stopped.store(false, std::memory_order_release);
    }
}

int pendingCount()
{
    TimerQueueState& queue = timerQueue();
    ScopedLock lock(queue.lock);
    return static_cast<int>(queue.entries.size());
}

} // namespace timer_queue_testing
