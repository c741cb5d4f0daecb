// Thin owners of a system thread and a system event. Every thread of the
// program that may call the system starts through Thread (the platform's
// thread start: CreateThread in the Win32 build).
#pragma once

#include <cstdint>
#include <functional>

#include "ui/platform.h"

// Owns one thread handle. Destroying a Thread closes the handle without
// waiting: a thread still running then finishes on its own, so whatever it
// uses must outlive it or be owned by it. Not copyable. Start and join from
// one owning thread.
class Thread {
public:
    Thread() = default;
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `entry(parameter)` on a new thread with the default stack size.
    // Returns the handle, or null when the thread could not be created
    // (callers do not retry). A handle held from an earlier start is closed
    // first.
    platform::ThreadHandle start(platform::ThreadFunction entry, void* parameter);
    // The same for a function object. An exception escaping `body` is caught
    // at the thread's entry and logged; it never ends the process.
    platform::ThreadHandle start(std::function<void()> body);

    // Waits up to `timeoutMs` (platform::kInfiniteTimeout: for ever) for the
    // thread to end. True when it ended within the time; false on time-out,
    // on a failed wait, and when no thread was started.
    bool join(uint32_t timeoutMs);

    // Null before start and after a failed start.
    platform::ThreadHandle handle() const { return m_handle; }

private:
    void close();

    platform::ThreadHandle m_handle = nullptr;
    // The platform that started the thread, which alone knows its handle.
    platform::Platform* m_platform = nullptr;
};

// Owns one system event. Any thread may set it; waits happen on the thread
// that needs them. Not copyable.
class Event {
public:
    // An auto-reset event (manualReset false) releases one waiter and clears
    // itself; a manual-reset one stays set until reset.
    Event(bool manualReset, bool initiallySet);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Waits without time-out, alertably: the calling thread's queued
    // completion routines run while it waits, and each one that runs ends the
    // wait (the result is then false). True when the event was set.
    bool wait();
    // The same with a time-out in milliseconds; false on time-out.
    bool wait(uint32_t timeoutMs);

private:
    // The platform that made the event, which alone knows its handle.
    platform::Platform* m_platform;
    platform::EventHandle m_event; // null when it could not be made
};
