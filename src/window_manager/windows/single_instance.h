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

// Called once at start-up, before any window exists. Creates (or opens) the
// named mutex and keeps it open for the life of the process. False when no
// other process holds it: this is the first instance and goes on starting.
// True when another instance exists and the caller must exit: the first
// top-level window of the main window class that answers WM_INSTANCE_PING
// within 2 s has been sent `arguments` and this process's current directory
// (nothing is sent when `arguments` is empty) and brought to the front. Also
// true when no such window answers or the hand-over fails or times out
// after 4 s (the window is then not brought to the front).
bool singleInstanceForward(const ustring& mutexName, const std::vector<ustring>& arguments);

// Appends the process's command-line arguments, split as the system splits
// them, without the program name. Appends nothing when the split fails.
void commandLineArguments(std::vector<ustring>& arguments);

// For the window procedure on WM_COPYDATA, with its lParam. False, with the
// outputs unchanged, when the message is not a command-line hand-over (no
// data, or another dwData); the message is then ignored. Otherwise decodes
// the record (as far as it goes, see readCommandLinePayload), makes the
// directory the process's current directory, fills `directory` and
// `arguments` and returns true; the caller then passes the arguments to its
// handler's onCommandLine and invalidates the window. The window procedure
// answers WM_COPYDATA with 1 either way. Main thread.
bool receiveCommandLine(intptr_t lParam, ustring& directory, std::vector<ustring>& arguments);
