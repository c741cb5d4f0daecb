// The portable events behind the platform interface's default event
// operations: a flag, a mutex and a condition variable. The native platform
// and test fakes use them as they are; the Win32 platform replaces them with
// system events so that waits are alertable.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "ui/platform.h"

namespace platform {
namespace {

struct PortableEvent {
    std::mutex mutex;
    std::condition_variable changed;
    bool manualReset;
    bool set; // guarded by mutex
};

} // namespace

EventHandle Platform::createEvent(bool manualReset, bool initiallySet)
{
    return new PortableEvent{{}, {}, manualReset, initiallySet};
}

void Platform::setEvent(EventHandle handle)
{
    auto* event = static_cast<PortableEvent*>(handle);
    {
        std::lock_guard<std::mutex> lock(event->mutex);
        event->set = true;
    }
    if (event->manualReset)
        event->changed.notify_all();
    else
        event->changed.notify_one();
}

void Platform::resetEvent(EventHandle handle)
{
    auto* event = static_cast<PortableEvent*>(handle);
    std::lock_guard<std::mutex> lock(event->mutex);
    event->set = false;
}

bool Platform::waitEvent(EventHandle handle, uint32_t timeoutMs)
{
    auto* event = static_cast<PortableEvent*>(handle);
    std::unique_lock<std::mutex> lock(event->mutex);
    auto isSet = [event] { return event->set; };
    if (timeoutMs == kInfiniteTimeout)
        event->changed.wait(lock, isSet);
    else if (!event->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet))
        return false;
    if (!event->manualReset)
        event->set = false;
    return true;
}

void Platform::closeEvent(EventHandle handle)
{
    delete static_cast<PortableEvent*>(handle);
}

} // namespace platform
