// The main-thread call queue: how worker threads hand work to the main
// thread. A post appends the call and wakes the main window with message 1225;
// the window's procedure then runs every call queued so far, in order.
#pragma once

#include <functional>

#include "ui/platform.h"

using MainThreadCall = std::function<void()>;

// Any thread. Calls posted before any window is set wait until the first one.
void postToMainThread(MainThreadCall call);
// Main thread: the window that receives message 1225 (null when none is left).
void setMainThreadWindow(platform::WindowHandle window);
// Main thread: runs every call queued so far; calls posted meanwhile run in a
// later drain.
void runMainThreadQueue();
// Main thread, at shutdown: destroys every queued call without running it.
void clearMainThreadQueue();
