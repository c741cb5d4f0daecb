// The main-thread call queue. Posting appends under the queue's lock and then
// posts one window message per call; draining swaps the whole list out under
// the lock in constant time and runs it outside the lock, so a running call
// may post more calls (they land in the fresh list and run in a later drain).
// The queue is built on first use and never destroyed: workers that outlive
// the entry point may still post, and their calls simply stay queued. Each
// call runs in its own try block, because the queue is drained inside a
// window procedure, through which nothing may throw, and one failing call
// must not lose the calls posted after it.
#include "ui/main_thread_queue.h"

#include <atomic>
#include <exception>
#include <vector>

#include "ui/critical_section.h"
#include "ui/log.h"

namespace {

struct MainThreadQueue {
    CriticalSection lock;
    std::vector<MainThreadCall> calls; // guarded by lock, in posting order
    // Read by posting threads without the lock: a post that races with a
    // change of target reaches either window, and both drain this queue.
    std::atomic<platform::WindowHandle> window{nullptr};
};

MainThreadQueue& queue()
{
    static MainThreadQueue* s_queue = new MainThreadQueue;
    return *s_queue;
}

// Built by static initialisation, so that the first statement of the entry
// point may already post.
const bool s_queueBuilt = (queue(), true);

} // namespace

void postToMainThread(MainThreadCall call)
{
    MainThreadQueue& target = queue();
    {
        ScopedLock lock(target.lock);
        target.calls.push_back(std::move(call));
    }
    if (platform::WindowHandle window = target.window.load(std::memory_order_acquire))
        platform::get().postRunQueuedCalls(window);
}

void setMainThreadWindow(platform::WindowHandle window)
{
    platform::WindowHandle previous = queue().window.exchange(window, std::memory_order_acq_rel);
    if (!previous && window)
        platform::get().postRunQueuedCalls(window);
}

platform::WindowHandle mainThreadWindow()
{
    return queue().window.load(std::memory_order_acquire);
}

void runMainThreadQueue()
{
    std::vector<MainThreadCall> batch;
    {
        MainThreadQueue& source = queue();
        ScopedLock lock(source.lock);
        batch.swap(source.calls);
    }
    for (MainThreadCall& call : batch) {
        try {
            call();
        } catch (const std::bad_function_call&) {
            VLOG << u"Main-thread queue: skipped an empty call";
        } catch (const std::exception& error) {
            VLOG << u"Main-thread queue: a call threw: " << error.what();
        } catch (...) {
            VLOG << u"Main-thread queue: a call threw an unknown exception";
        }
    }
}

void clearMainThreadQueue()
{
    std::vector<MainThreadCall> discarded;
    {
        MainThreadQueue& source = queue();
        ScopedLock lock(source.lock);
        discarded.swap(source.calls);
    }
    // The calls are destroyed here, outside the lock, because their captured
    // objects' destructors may post.
}
