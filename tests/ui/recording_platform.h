// A platform for native tests that records the wake-ups of the main loop and
// the windowless timer calls instead of performing them, and forwards
// everything else to the platform it replaced. Installed for its lifetime.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/forwarding_platform.h"

class RecordingPlatform : public ForwardingPlatform {
public:
    struct TimerCall {
        bool kill;         // killTimer, else setTimer
        uintptr_t id;      // the id asked for (setTimer) or killed
        uint32_t interval; // setTimer only
    };

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

private:
    uintptr_t m_lastTimer = 0;
};
