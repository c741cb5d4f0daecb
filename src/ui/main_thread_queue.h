// The main-thread call queue: how worker threads hand work to the main
// thread. A post appends the call and wakes the main window with message
// WM_RUN_QUEUED_CALLS; the window's procedure then runs every call queued so
// far, in posting order.
#pragma once

#include <functional>

#include "ui/platform.h"

using MainThreadCall = std::function<void()>;

// The private window message that makes the main window drain the queue
// (the system's first user message 1024 + 201), posted with both parameters 0.
constexpr unsigned WM_RUN_QUEUED_CALLS = 1225;

// Any thread. Appends `call` and wakes the current target window with one
// message. Calls posted before any window is set wait until the first one;
// calls posted after clearMainThreadQueue are never run.
void postToMainThread(MainThreadCall call);
// Main thread: the window that receives WM_RUN_QUEUED_CALLS (null when none
// is left). Setting a window where there was none wakes it at once, so that
// calls queued meanwhile run.
void setMainThreadWindow(platform::WindowHandle window);
// The current target window, or null. Any thread.
platform::WindowHandle mainThreadWindow();
// Main thread: runs every call queued so far, in posting order; calls posted
// meanwhile (also by the running calls) run in a later drain. A call that
// throws (an empty call among them) is logged and the rest of the batch still
// runs; nothing propagates to the caller.
void runMainThreadQueue();
// Main thread, at shutdown: destroys every queued call without running it,
// releasing whatever the calls hold.
void clearMainThreadQueue();
