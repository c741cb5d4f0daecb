// A platform for native tests that records the wake-ups of the main loop and
// the windowless timer calls instead of performing them, and forwards
// everything else to the platform it replaced. Installed for its lifetime.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/platform.h"

class RecordingPlatform : public platform::Platform {
public:
    struct TimerCall {
        bool kill;         // killTimer, else setTimer
        uintptr_t id;      // the id asked for (setTimer) or killed
        uint32_t interval; // setTimer only
    };

    RecordingPlatform() : m_previous(platform::install(this)) {}
    ~RecordingPlatform() override { platform::install(m_previous); }

    std::vector<platform::WindowHandle> posts; // one per postRunQueuedCalls
    std::vector<TimerCall> timerCalls;
    platform::TimerCallback armedCallback = nullptr; // of the last setTimer
    uintptr_t armedId = 0;                           // 0 while no timer is armed

    void postRunQueuedCalls(platform::WindowHandle window) override { posts.push_back(window); }
    uintptr_t setTimer(uintptr_t id, uint32_t intervalMs, platform::TimerCallback callback) override
    {
        timerCalls.push_back({false, id, intervalMs});
        armedCallback = callback;
        armedId = id ? id : ++m_lastTimer;
        return armedId;
    }
    void killTimer(uintptr_t id) override
    {
        timerCalls.push_back({true, id, 0});
        if (id == armedId)
            armedId = 0;
    }

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
    uint32_t tickCount32() override { return m_previous->tickCount32(); }
    int64_t performanceCounter() override { return m_previous->performanceCounter(); }
    int64_t performanceFrequency() override { return m_previous->performanceFrequency(); }
    ustring lastErrorText() override { return m_previous->lastErrorText(); }

private:
    platform::Platform* m_previous;
    uintptr_t m_lastTimer = 0;
};
