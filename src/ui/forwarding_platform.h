// A platform that installs itself for its lifetime and passes every call to
// the platform it replaced: the base of test platforms and of tools that
// change one behaviour (and override only the calls they record or change).
#pragma once

#include <cstdlib>

#include "ui/platform.h"

class ForwardingPlatform : public platform::Platform {
public:
    ForwardingPlatform() : m_previous(platform::install(this)) {}
    ~ForwardingPlatform() override { platform::install(m_previous); }
    ForwardingPlatform(const ForwardingPlatform&) = delete;
    ForwardingPlatform& operator=(const ForwardingPlatform&) = delete;

    void debugOutput(const ustring& text) override { m_previous->debugOutput(text); }
    void debugOutputNarrow(const std::string& text) override { m_previous->debugOutputNarrow(text); }
    void showAssertion(const ustring& text) override { m_previous->showAssertion(text); }
    [[noreturn]] void breakpoint() override
    {
        m_previous->breakpoint();
        std::abort();
    }
    FILE* openFile(const ustring& path, const ustring& mode) override
    {
        return m_previous->openFile(path, mode);
    }
    std::string unixPath(const ustring& path) override { return m_previous->unixPath(path); }
    platform::ThreadHandle startThread(platform::ThreadFunction entry, void* parameter) override
    {
        return m_previous->startThread(entry, parameter);
    }
    bool joinThread(platform::ThreadHandle thread, uint32_t timeoutMs) override
    {
        return m_previous->joinThread(thread, timeoutMs);
    }
    void closeThread(platform::ThreadHandle thread) override { m_previous->closeThread(thread); }
    bool isMainThread() override { return m_previous->isMainThread(); }
    platform::EventHandle createEvent(bool manualReset, bool initiallySet) override
    {
        return m_previous->createEvent(manualReset, initiallySet);
    }
    void setEvent(platform::EventHandle event) override { m_previous->setEvent(event); }
    void resetEvent(platform::EventHandle event) override { m_previous->resetEvent(event); }
    bool waitEvent(platform::EventHandle event, uint32_t timeoutMs) override
    {
        return m_previous->waitEvent(event, timeoutMs);
    }
    void closeEvent(platform::EventHandle event) override { m_previous->closeEvent(event); }
    void postRunQueuedCalls(platform::WindowHandle window) override
    {
        m_previous->postRunQueuedCalls(window);
    }
    uint32_t tickCount32() override { return m_previous->tickCount32(); }
    int64_t performanceCounter() override { return m_previous->performanceCounter(); }
    int64_t performanceFrequency() override { return m_previous->performanceFrequency(); }
    uintptr_t setTimer(uintptr_t id, uint32_t intervalMs, platform::TimerCallback callback) override
    {
        return m_previous->setTimer(id, intervalMs, callback);
    }
    void killTimer(uintptr_t id) override { m_previous->killTimer(id); }
    ustring lastErrorText() override { return m_previous->lastErrorText(); }

private:
    platform::Platform* m_previous;
};
