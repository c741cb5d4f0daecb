// The program's one message loop, and a hidden window that carries the
// main-thread call queue's wake-up message (WM_RUN_QUEUED_CALLS) and
// directory-change notices while no application window does (before the
// first one exists, and in programs and tests without any). The window
// manager runs the same loop; the current application window then takes the
// queue and the notices over. The loop also dispatches the windowless timers
// of the timer queue, so delayed calls and queued calls run on the main
// thread.
//
// Typical use on the main thread:
//     createMainLoopWindow();  // the queue's target from now on
//     int exitCode = runMainLoop();
//     shutdownTimers(); clearMainThreadQueue(); destroyMainLoopWindow();
#pragma once

#include "ui/platform.h"

// Main thread: creates the hidden window (once; later calls return the same
// one) and makes it the target of the main-thread call queue, which wakes it
// at once so that calls queued before it existed run in the loop. Null on
// failure, which is logged.
platform::WindowHandle createMainLoopWindow();

// Main thread: destroys the hidden window; the call queue then has no target.
void destroyMainLoopWindow();

// The hidden window, or null.
platform::WindowHandle mainLoopWindow();

// Main thread: runs the message loop until quitMainLoop (or until the last
// application window is gone), then writes the statistics report to the log
// once and returns the exit code given to quitMainLoop. Without the hidden
// window or an application window nothing could wake or end the loop: it
// logs that and returns 0 at once, without the report.
int runMainLoop();

// Any thread: makes the running (or next) loop end with `exitCode` once the
// messages posted before this one are handled. False when there is neither
// the hidden window nor a current application window to carry the request.
bool quitMainLoop(int exitCode);

// Main thread: the loop itself, for runMainLoop and the window manager. Key
// messages of application windows go to their window procedure first and
// are translated into characters only when it did not consume them; every
// other message is translated and dispatched. With `releaseInterpreterLock`
// the wait hooks run around every wait for a message. Returns the exit code
// of WM_QUIT after writing the statistics report to the log.
int runMessageLoop(bool releaseInterpreterLock);

// Called before and after every wait of the loop for a message when it runs
// with releaseInterpreterLock: the plug-in host releases its interpreter
// lock there and takes it back. Null for none. Main thread.
using MessageWaitHook = void (*)();
void setMessageWaitHooks(MessageWaitHook beforeWait, MessageWaitHook afterWait);
