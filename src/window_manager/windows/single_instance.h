// One running instance per installation. A second start of the program finds
// the running instance's main window, hands it its current directory and its
// command-line arguments (command_line_payload.h) in a WM_COPYDATA message,
// brings it to the front and exits. The sender runs in the second process
// before it has any window; the receiver is called by the running instance's
// window procedure. Win32 only (window_manager/windows/).
#pragma once

#include <cstdint>
#include <vector>

#include "ui/ustring.h"

// The class name of the program's main windows, by which a second start
// finds the running instance.
inline constexpr uchar kMainWindowClassName[] = u"VTMainWindowClass";

// What a start learned from the single-instance mutex and the hand-over.
enum class HandOverResult {
    FirstInstance,    // no other instance holds the mutex: go on starting
    HandedOver,       // the running instance took the arguments (or, with
                      // none, was brought to the front)
    NoWindowAnswered, // the mutex is held, but no main window answered
                      // within the wait: the arguments were not delivered
    HandOverFailed,   // a main window answered, but the hand-over message
                      // failed or timed out: the arguments may be lost
};

// How long a second start waits for the running instance's main window. The
// mutex is taken long before the first window exists, so two files opened
// in quick succession find the mutex held and no window yet.
constexpr unsigned kRunningInstanceWaitMs = 5000;

// Called once at start-up, before any window exists. Creates (or opens) the
// named mutex and keeps it open for the life of the process; FirstInstance
// when no other process held it. Otherwise looks for the first top-level
// window of the main window class that answers WM_INSTANCE_PING within 2 s,
// looking again every 100 ms for up to `waitForWindowMs` while none does.
// The window found is sent `arguments` and this process's current directory
// (nothing is sent when `arguments` is empty), within 4 s, and brought to
// the front unless that send failed. Every result but FirstInstance means
// the caller must exit; the two failures are the caller's to report.
HandOverResult singleInstanceForward(const ustring& mutexName, const std::vector<ustring>& arguments,
                                     unsigned waitForWindowMs = kRunningInstanceWaitMs);

// Appends the process's command-line arguments, split as the system splits
// them, without the program name. Appends nothing when the split fails.
void commandLineArguments(std::vector<ustring>& arguments);

// For the window procedure on WM_COPYDATA, with its lParam. False, with the
// outputs unchanged, when the message is not a well-formed command-line
// hand-over: another dwData, no data, or a record readCommandLinePayload
// refuses (the message is then ignored and logged). Otherwise makes the
// directory the process's current directory, fills `directory` and
// `arguments` and returns true; the caller then passes the arguments to its
// handler's onCommandLine and invalidates the window. The window procedure
// answers WM_COPYDATA with 1 either way. Main thread.
bool receiveCommandLine(intptr_t lParam, ustring& directory, std::vector<ustring>& arguments);
