// The portable platform used by the native build: tests, benchmarks and
// command-line tools. It never runs inside the Win32 program, so its threads
// are plain C++ threads; diagnostics go to standard error.
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "ui/platform.h"
#include "ui/unicode.h"

namespace platform {
namespace {

// The state a thread shares with its handle: whichever of the two goes last
// frees it, so a thread left running when its handle is closed stays safe.
struct NativeThreadState {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

struct NativeThread {
    std::thread thread;
    std::shared_ptr<NativeThreadState> state = std::make_shared<NativeThreadState>();
};

class NativePlatform final : public Platform {
public:
    NativePlatform() : m_mainThread(std::this_thread::get_id()) {}

    void debugOutput(const ustring& text) override { fputs(toUtf8(text).c_str(), stderr); }
    void debugOutputNarrow(const std::string& text) override { fputs(text.c_str(), stderr); }
    void showAssertion(const ustring& text) override
    {
        fprintf(stderr, "Assertion Error: %s\n", toUtf8(text).c_str());
    }
    [[noreturn]] void breakpoint() override
    {
        std::raise(SIGTRAP);
        std::abort();
    }

    FILE* openFile(const ustring& path, const ustring& mode) override
    {
        std::string narrowPath = toUtf8(path);
        std::string narrowMode = toUtf8(mode);
        if (narrowPath.empty() || narrowMode.empty())
            return nullptr;
        return fopen(narrowPath.c_str(), narrowMode.c_str());
    }

    ThreadHandle startThread(ThreadFunction entry, void* parameter) override
    {
        auto* handle = new NativeThread;
        handle->thread = std::thread([state = handle->state, entry, parameter] {
            entry(parameter);
            std::lock_guard<std::mutex> lock(state->mutex);
            state->done = true;
            state->ended.notify_all();
        });
        return handle;
    }
    bool joinThread(ThreadHandle thread, uint32_t timeoutMs) override
    {
        NativeThreadState& state = *static_cast<NativeThread*>(thread)->state;
        std::unique_lock<std::mutex> lock(state.mutex);
        return state.ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&state] { return state.done; });
    }
    void closeThread(ThreadHandle thread) override
    {
        auto* handle = static_cast<NativeThread*>(thread);
        // A thread still running when its handle goes is left to finish alone,
        // as a closed system handle would leave it.
        if (joinThread(handle, 0))
            handle->thread.join();
        else
            handle->thread.detach();
        delete handle;
    }
    bool isMainThread() override { return std::this_thread::get_id() == m_mainThread; }

    void postRunQueuedCalls(WindowHandle) override {}

    uint32_t tickCount32() override
    {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    }
    int64_t performanceCounter() override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    int64_t performanceFrequency() override { return 1000000000; }

    // The native build has no message loop, so timers are only recorded; tests
    // that need them install a platform of their own.
    uintptr_t setTimer(uintptr_t id, uint32_t, TimerCallback) override
    {
        return id ? id : ++m_lastTimer;
    }
    void killTimer(uintptr_t) override {}

    ustring lastErrorText() override { return ustring(); }

private:
    std::thread::id m_mainThread;
    uintptr_t m_lastTimer = 0;
};

} // namespace

Platform& defaultPlatform()
{
    static NativePlatform s_platform;
    return s_platform;
}

} // namespace platform
