// The Win32 main loop. Until an application window takes over, a
// message-only window (it is never shown and receives no broadcasts) is the
// target of WM_RUN_QUEUED_CALLS; its procedure drains the main-thread call
// queue there. The loop is the GetMessageW one, except that key messages of
// application windows reach their procedure before translation, so a key the
// window consumed never becomes a character. DispatchMessageW hands WM_TIMER
// messages that carry a timer procedure to that procedure, which is how the
// timer queue's windowless timer fires on the main thread. Ending the loop
// goes through a private message to the hidden window (or a queued call on
// the current application window) rather than a thread message, so any
// thread can ask for it and it cannot be lost while a modal loop runs.
#include <windows.h>

#include <atomic>

#include "filesystem/file_manager.h"
#include "filesystem/windows_file_system.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/statistics.h"
#include "window_manager/main_loop.h"
#include "window_manager/windows/app_window.h"
#include "window_manager/windows/win32_window_manager.h"

namespace {

const UINT kQuitLoopMessage = WM_APP + 1; // wParam: exit code
const WCHAR kWindowClassName[] = u"VantrelMainLoopWindow";

// Read by quitMainLoop on any thread; changed on the main thread only.
std::atomic<HWND> s_window{nullptr};

MessageWaitHook s_beforeWait = nullptr;
MessageWaitHook s_afterWait = nullptr;

bool isKeyMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

LRESULT CALLBACK mainLoopWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RUN_QUEUED_CALLS:
        runMainThreadQueue();
        return 0;
    case WM_FILES_CHANGED:
        slate::deliverFileChanges();
        return 0;
    case kQuitLoopMessage:
        PostQuitMessage(static_cast<int>(wParam));
        return 0;
    case WM_DESTROY:
        // Cleared first, so the targets fall back to none.
        if (s_window.load() == window)
            s_window.store(nullptr);
        if (mainThreadWindow() == window)
            setMainThreadWindow(nullptr);
        if (slate::fileChangeWindow() == window)
            slate::setFileChangeWindow(nullptr);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool registerWindowClass()
{
    static bool s_registered = false;
    if (s_registered)
        return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = mainLoopWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    s_registered = true;
    return true;
}

} // namespace

platform::WindowHandle createMainLoopWindow()
{
    if (HWND existing = s_window.load())
        return existing;
    if (!registerWindowClass()) {
        VLOG << u"Unable to register the main loop window class: " << platform::get().lastErrorText();
        return nullptr;
    }
    HWND window = CreateWindowExW(0, kWindowClassName, u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        VLOG << u"Unable to create the main loop window: " << platform::get().lastErrorText();
        return nullptr;
    }
    s_window.store(window);
    setMainThreadWindow(window);
    slate::setFileChangeWindow(window);
    return window;
}

void destroyMainLoopWindow()
{
    if (HWND window = s_window.load())
        DestroyWindow(window);
}

platform::WindowHandle mainLoopWindow()
{
    return s_window.load();
}

int runMainLoop()
{
    if (!s_window.load() && appWindows().empty()) {
        VLOG << u"No AppWindows, nothing to run!";
        return 0;
    }
    return runMessageLoop(true);
}

int runMessageLoop(bool releaseInterpreterLock)
{
    MSG message;
    int exitCode = 0;
    for (;;) {
        const MessageWaitHook beforeWait = releaseInterpreterLock ? s_beforeWait : nullptr;
        const MessageWaitHook afterWait = releaseInterpreterLock ? s_afterWait : nullptr;
        if (beforeWait)
            beforeWait();
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (afterWait)
            afterWait();
        if (result == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (result == -1) {
            VLOG << u"The message loop failed: " << platform::get().lastErrorText();
            break;
        }
        if (isKeyMessage(message.message) && findAppWindow(message.hwnd)) {
            if (callAppWindowProcedure(message.hwnd, message.message, message.wParam, message.lParam) != 0)
                TranslateMessage(&message);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    stats::dumpStats();
    return exitCode;
}

bool quitMainLoop(int exitCode)
{
    if (HWND window = s_window.load())
        return PostMessageW(window, kQuitLoopMessage, static_cast<WPARAM>(exitCode), 0);
    if (!mainThreadWindow())
        return false;
    postToMainThread([exitCode] { PostQuitMessage(exitCode); });
    return true;
}

void setMessageWaitHooks(MessageWaitHook beforeWait, MessageWaitHook afterWait)
{
    s_beforeWait = beforeWait;
    s_afterWait = afterWait;
}
