// Threads and events over the platform interface. A thread started with a
// function object carries it on the heap to the new thread, which owns and
// deletes it; exceptions are stopped there because nothing may throw through
// a thread's entry.
#include "ui/thread.h"

#include <exception>

#include "ui/log.h"

namespace {

void runFunctionObject(void* parameter)
{
    std::function<void()>* body = static_cast<std::function<void()>*>(parameter);
    try {
        (*body)();
    } catch (const std::exception& error) {
        VLOG << u"Thread ended by an exception: " << error.what();
    } catch (...) {
        VLOG << u"Thread ended by an unknown exception";
    }
    delete body;
}

} // namespace

Thread::~Thread()
{
    close();
}

void Thread::close()
{
    if (m_handle) {
        m_platform->closeThread(m_handle);
        m_handle = nullptr;
    }
}

platform::ThreadHandle Thread::start(platform::ThreadFunction entry, void* parameter)
{
    close();
    m_platform = &platform::get();
    m_handle = m_platform->startThread(entry, parameter);
    return m_handle;
}

platform::ThreadHandle Thread::start(std::function<void()> body)
{
    auto* heapBody = new std::function<void()>(std::move(body));
    platform::ThreadHandle handle = start(runFunctionObject, heapBody);
    if (!handle)
        delete heapBody;
    return handle;
}

bool Thread::join(uint32_t timeoutMs)
{
    if (!m_handle)
        return false;
    return m_platform->joinThread(m_handle, timeoutMs);
}

Event::Event(bool manualReset, bool initiallySet)
    : m_platform(&platform::get()), m_event(m_platform->createEvent(manualReset, initiallySet))
{
}

Event::~Event()
{
    if (m_event)
        m_platform->closeEvent(m_event);
}

void Event::set()
{
    if (m_event)
        m_platform->setEvent(m_event);
}

void Event::reset()
{
    if (m_event)
        m_platform->resetEvent(m_event);
}

bool Event::wait()
{
    return wait(platform::kInfiniteTimeout);
}

bool Event::wait(uint32_t timeoutMs)
{
    return m_event && m_platform->waitEvent(m_event, timeoutMs);
}
