// The few services the portable code needs from the operating system, behind
// one small interface. The Win32 build installs its implementation at the very
// start of `main`; the native build (tests, tools) uses the simple portable one
// that is installed from the start. Nothing here includes a system header, so
// every portable file may include it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "ui/ustring.h"

namespace platform {

// Opaque handles that cross the interface; only the implementation knows what
// they are (a Win32 HANDLE, HWND or timer id in the Win32 build).
using ThreadHandle = void*;
using WindowHandle = void*;
using EventHandle = void*;
using ThreadFunction = void (*)(void* parameter);
using TimerCallback = void (*)();

// A time-out that never expires.
constexpr uint32_t kInfiniteTimeout = 0xFFFFFFFF;

class Platform {
public:
    virtual ~Platform() = default;

    // Diagnostics. Both send text to the system debugger as it stands.
    virtual void debugOutput(const ustring& text) = 0;
    virtual void debugOutputNarrow(const std::string& text) = 0;
    // Shows a modal report captioned "Assertion Error"; returns when it is closed.
    virtual void showAssertion(const ustring& text) = 0;
    // Stops an attached debugger here; without one the process ends.
    [[noreturn]] virtual void breakpoint() = 0;

    // Opens a file by its program path (a Windows path in the Win32 build).
    // Null on failure; the caller closes it with fclose.
    virtual FILE* openFile(const ustring& path, const ustring& mode) = 0;
    // The Unix name, in UTF-8, of a program path, for a native library that
    // opens files itself and sees Unix names only (Hunspell). The file need
    // not exist. Empty when the path has no Unix name. The default returns
    // the path unchanged (in UTF-8); the Win32 build asks Wine. Any thread.
    virtual std::string unixPath(const ustring& path);

    // Threads. Every thread that may call the system comes from here.
    // Null on failure. The handle stays valid until closeThread.
    virtual ThreadHandle startThread(ThreadFunction entry, void* parameter) = 0;
    // True when the thread ended within the time-out.
    virtual bool joinThread(ThreadHandle thread, uint32_t timeoutMs) = 0;
    virtual void closeThread(ThreadHandle thread) = 0;
    // True on the thread that installed the platform (the main thread).
    virtual bool isMainThread() = 0;

    // Events (signalled flags threads wait on). A manual-reset event stays set
    // until resetEvent; an auto-reset one releases one waiter and clears
    // itself. Null on failure; the handle stays valid until closeEvent. Any
    // thread. The defaults here are portable; the Win32 build uses system
    // events, whose waits are alertable so that the waiting thread's queued
    // completion routines run meanwhile.
    virtual EventHandle createEvent(bool manualReset, bool initiallySet);
    virtual void setEvent(EventHandle event);
    virtual void resetEvent(EventHandle event);
    // Waits until the event is set or the time-out passes (kInfiniteTimeout
    // waits for ever). True when the event was set; false on time-out, on
    // failure, or (Win32) when the wait ended because a completion routine
    // queued to this thread ran.
    virtual bool waitEvent(EventHandle event, uint32_t timeoutMs);
    virtual void closeEvent(EventHandle event);

    // Wakes the main loop of `window` to run the main-thread call queue
    // (window message 1225). Any thread.
    virtual void postRunQueuedCalls(WindowHandle window) = 0;

    // The system's 32-bit millisecond tick count, which wraps.
    virtual uint32_t tickCount32() = 0;
    // The high-resolution counter and its ticks per second.
    virtual int64_t performanceCounter() = 0;
    virtual int64_t performanceFrequency() = 0;

    // A timer without a window whose callback runs on the main thread inside
    // its message loop. `id` 0 asks for a new timer; the result is the id in
    // use (0 on failure). Main thread only.
    virtual uintptr_t setTimer(uintptr_t id, uint32_t intervalMs, TimerCallback callback) = 0;
    virtual void killTimer(uintptr_t id) = 0;

    // The text of the last system error of the calling thread, or empty.
    virtual ustring lastErrorText() = 0;
};

// The installed platform; never null (the portable one until another is set).
Platform& get();
// Installs `platform` (not owned; it must outlive every later call) and
// returns the previous one. Null reinstalls the portable implementation.
Platform* install(Platform* platform);

} // namespace platform
