// The Win32 main loop. A message-only window (it is never shown and receives
// no broadcasts) is the target of WM_RUN_QUEUED_CALLS; its procedure drains
// the main-thread call queue there. The loop is the plain GetMessageW one:
// DispatchMessageW hands WM_TIMER messages that carry a timer procedure to
// that procedure, which is how the timer queue's windowless timer fires on
// the main thread. Ending the loop goes through a private message to the
// window rather than a thread message, so any thread can ask for it and it
// cannot be lost while a modal loop runs; the window procedure turns it into
// WM_QUIT on the main thread.
#include <windows.h>

#include <atomic>

#include "filesystem/file_manager.h"
#include "filesystem/windows_file_system.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/statistics.h"
#include "window_manager/main_loop.h"

namespace {

const UINT kQuitLoopMessage = WM_APP + 1; // wParam: exit code
const WCHAR kWindowClassName[] = u"VantrelMainLoopWindow";

// Read by quitMainLoop on any thread; changed on the main thread only.
std::atomic<HWND> s_window{nullptr};

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
        if (mainThreadWindow() == window)
            setMainThreadWindow(nullptr);
        if (slate::fileChangeWindow() == window)
            slate::setFileChangeWindow(nullptr);
        if (s_window.load() == window)
            s_window.store(nullptr);
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
    if (!s_window.load()) {
        VLOG << u"No AppWindows, nothing to run!";
        return 0;
    }
    MSG message;
    int exitCode = 0;
    for (;;) {
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (result == -1) {
            VLOG << u"The message loop failed: " << platform::get().lastErrorText();
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    stats::dumpStats();
    return exitCode;
}

bool quitMainLoop(int exitCode)
{
    HWND window = s_window.load();
    return window && PostMessageW(window, kQuitLoopMessage, static_cast<WPARAM>(exitCode), 0);
}
