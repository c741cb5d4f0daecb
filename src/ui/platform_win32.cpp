// The Win32 implementation of the platform interface, installed as the
// default in the program and its Wine tests. Under Wine these are the real
// system calls; diagnostics are also mirrored to the process's standard error
// so that the log can be read from a terminal.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "ui/main_thread_queue.h"
#include "ui/platform.h"
#include "ui/unicode.h"

// Exported by Wine's kernel32: the Unix name behind a Windows path.
extern "C" char* CDECL wine_get_unix_file_name(LPCWSTR dosName);

namespace platform {
namespace {

struct ThreadStart {
    ThreadFunction entry;
    void* parameter;
};

DWORD WINAPI threadTrampoline(void* raw)
{
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    start.entry(start.parameter);
    return 0;
}

// Timer callbacks are plain functions; windowless timers give us only the id.
TimerCallback s_timerCallbacks[64];
uintptr_t s_timerIds[64];

void CALLBACK timerTrampoline(HWND, UINT, UINT_PTR id, DWORD)
{
    for (int i = 0; i < 64; ++i) {
        if (s_timerIds[i] == id && s_timerCallbacks[i]) {
            s_timerCallbacks[i]();
            return;
        }
    }
}

class Win32Platform final : public Platform {
public:
    Win32Platform() : m_mainThreadId(GetCurrentThreadId()) {}

    void debugOutput(const ustring& text) override
    {
        OutputDebugStringW(reinterpret_cast<const WCHAR*>(text.c_str()));
        fputs(toUtf8(text).c_str(), stderr);
    }
    void debugOutputNarrow(const std::string& text) override
    {
        OutputDebugStringA(text.c_str());
        fputs(text.c_str(), stderr);
    }
    void showAssertion(const ustring& text) override
    {
        fprintf(stderr, "Assertion Error: %s\n", toUtf8(text).c_str());
        MessageBoxW(nullptr, reinterpret_cast<const WCHAR*>(text.c_str()), u"Assertion Error",
                    MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
    }
    [[noreturn]] void breakpoint() override
    {
        DebugBreak();
        std::abort();
    }

    FILE* openFile(const ustring& path, const ustring& mode) override
    {
        if (path.empty() || mode.empty())
            return nullptr;
        // The C library here opens Unix names only, so Wine resolves the
        // program path (drive letters, case-insensitive names) first.
        char* unixName = wine_get_unix_file_name(reinterpret_cast<const WCHAR*>(path.c_str()));
        if (!unixName)
            return nullptr;
        FILE* file = fopen(unixName, toUtf8(mode).c_str());
        HeapFree(GetProcessHeap(), 0, unixName);
        return file;
    }

    std::string unixPath(const ustring& path) override
    {
        if (path.empty())
            return std::string();
        char* unixName = wine_get_unix_file_name(reinterpret_cast<const WCHAR*>(path.c_str()));
        if (!unixName)
            return std::string();
        std::string name(unixName);
        HeapFree(GetProcessHeap(), 0, unixName);
        return name;
    }

    ThreadHandle startThread(ThreadFunction entry, void* parameter) override
    {
        auto* start = new ThreadStart{entry, parameter};
        HANDLE thread = CreateThread(nullptr, 0, threadTrampoline, start, 0, nullptr);
        if (!thread)
            delete start;
        return thread;
    }
    bool joinThread(ThreadHandle thread, uint32_t timeoutMs) override
    {
        return WaitForSingleObject(static_cast<HANDLE>(thread), timeoutMs) == WAIT_OBJECT_0;
    }
    void closeThread(ThreadHandle thread) override { CloseHandle(static_cast<HANDLE>(thread)); }
    bool isMainThread() override { return GetCurrentThreadId() == m_mainThreadId; }

    EventHandle createEvent(bool manualReset, bool initiallySet) override
    {
        return CreateEventW(nullptr, manualReset, initiallySet, nullptr);
    }
    void setEvent(EventHandle event) override { SetEvent(static_cast<HANDLE>(event)); }
    void resetEvent(EventHandle event) override { ResetEvent(static_cast<HANDLE>(event)); }
    bool waitEvent(EventHandle event, uint32_t timeoutMs) override
    {
        // Alertable: completion routines queued to this thread (directory
        // change notifications) run inside the wait, which then ends.
        DWORD timeout = timeoutMs == kInfiniteTimeout ? INFINITE : timeoutMs;
        return WaitForSingleObjectEx(static_cast<HANDLE>(event), timeout, TRUE) == WAIT_OBJECT_0;
    }
    void closeEvent(EventHandle event) override { CloseHandle(static_cast<HANDLE>(event)); }

    void postRunQueuedCalls(WindowHandle window) override
    {
        PostMessageW(static_cast<HWND>(window), WM_RUN_QUEUED_CALLS, 0, 0);
    }

    uint32_t tickCount32() override { return GetTickCount(); }
    int64_t performanceCounter() override
    {
        LARGE_INTEGER value;
        QueryPerformanceCounter(&value);
        return value.QuadPart;
    }
    int64_t performanceFrequency() override
    {
        LARGE_INTEGER value;
        if (!QueryPerformanceFrequency(&value) || value.QuadPart == 0)
            return 1;
        return value.QuadPart;
    }

    uintptr_t setTimer(uintptr_t id, uint32_t intervalMs, TimerCallback callback) override
    {
        UINT_PTR result = SetTimer(nullptr, id, intervalMs, timerTrampoline);
        if (!result)
            return 0;
        int freeSlot = -1;
        for (int i = 0; i < 64; ++i) {
            if (s_timerIds[i] == result) {
                s_timerCallbacks[i] = callback;
                return result;
            }
            if (freeSlot < 0 && !s_timerCallbacks[i])
                freeSlot = i;
        }
        if (freeSlot >= 0) {
            s_timerIds[freeSlot] = result;
            s_timerCallbacks[freeSlot] = callback;
        }
        return result;
    }
    void killTimer(uintptr_t id) override
    {
        KillTimer(nullptr, id);
        for (int i = 0; i < 64; ++i) {
            if (s_timerIds[i] == id) {
                s_timerIds[i] = 0;
                s_timerCallbacks[i] = nullptr;
            }
        }
    }

    ustring lastErrorText() override
    {
        DWORD code = GetLastError();
        if (!code)
            return ustring();
        WCHAR* buffer = nullptr;
        DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, reinterpret_cast<WCHAR*>(&buffer), 0, nullptr);
        ustring text;
        if (buffer) {
            text.assign(reinterpret_cast<const uchar*>(buffer), length);
            LocalFree(buffer);
        }
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
            text.pop_back();
        return text;
    }

private:
    DWORD m_mainThreadId;
};

} // namespace

Platform& defaultPlatform()
{
    static Win32Platform s_platform;
    return s_platform;
}

} // namespace platform
