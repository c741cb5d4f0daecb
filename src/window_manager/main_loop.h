// The main message loop and the hidden window that carries the main-thread
// call queue's wake-up message (WM_RUN_QUEUED_CALLS) until the window manager
// takes both over. The loop also dispatches the windowless timers of the
// timer queue, so delayed calls and queued calls run on the main thread.
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

// Main thread: runs the message loop until quitMainLoop, then writes the
// statistics report to the log once and returns the exit code given to
// quitMainLoop. Without the hidden window nothing could wake or end the loop:
// it logs that and returns 0 at once, without the report.
int runMainLoop();

// Any thread: makes the running (or next) loop end with `exitCode` once the
// messages posted before this one are handled. False when there is no hidden
// window to carry the request.
bool quitMainLoop(int exitCode);
