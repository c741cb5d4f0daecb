// Starting and ending a Win32 window manager around a Wine test or
// benchmark: the main thread's calls, timers and messages start empty, and
// every window left is destroyed before the manager goes.
#pragma once

#include <vector>

#include "ui/main_thread_queue.h"
#include "ui/timer_queue.h"
#include "window_manager/window_manager.h"
#include "window_manager/window_test_input.h"
#include "window_manager/windows/app_window.h"
#include "window_manager/windows/win32_window_manager.h"

namespace window_test {

// Installs a new manager made with `flags` (Win32WindowManager's
// constructor flags) and returns it; the installed one owns it.
inline Win32WindowManager* startWindowManager(int flags)
{
    clearMainThreadQueue();
    timer_queue_testing::restart();
    discardMessages();
    auto* manager = new Win32WindowManager(flags);
    WindowManager::create(manager);
    return manager;
}

inline void stopWindowManager()
{
    const std::vector<AppWindow*> left = appWindows();
    for (AppWindow* window : left)
        destroyWindow(window->nativeHandle());
    discardMessages();
    if (WindowManager::alive())
        WindowManager::destroy();
    timer_queue_testing::restart();
    clearMainThreadQueue();
}

} // namespace window_test
