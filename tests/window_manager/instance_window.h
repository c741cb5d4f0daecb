// Win32 stand-ins for the single-instance and clipboard tests: a window of
// the main window class with the least window procedure that takes part in
// the hand-over, a way to start a second instance and wait for it while this
// thread's messages are handled, and raw clipboard writes that bypass the
// program's own encoding (as another program's would).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/ustring.h"

namespace test_support {

// The mutex the second-instance program names (second_instance_main.cpp).
inline constexpr uchar kSecondInstanceMutexName[] = u"VantrelSecondInstanceTestMutex";

// Takes the second program's mutex for this process, once, so that the
// second program finds an instance running; true when this process holds it.
bool holdSecondInstanceMutex();

// What a stand-in window has seen.
struct InstanceWindowLog {
    int pings = 0;         // WM_INSTANCE_PING messages
    int copyDataMessages = 0; // WM_COPYDATA messages of any kind
    int commandLines = 0;  // of them, hand-overs the receiver accepted
    ustring directory;     // of the last hand-over
    std::vector<ustring> arguments;
};

// A top-level window of the main window class, not shown, owned by the
// calling thread. One that answers pings behaves as the running instance's
// main window does for the hand-over (its WM_COPYDATA goes through
// receiveCommandLine); one that does not stands for another program's
// window of the same class name. A new window is on top of the others.
class InstanceWindow {
public:
    explicit InstanceWindow(bool answersPings);
    ~InstanceWindow();
    InstanceWindow(const InstanceWindow&) = delete;
    InstanceWindow& operator=(const InstanceWindow&) = delete;

    bool created() const { return m_window != nullptr; }
    const InstanceWindowLog& log() const { return m_log; }
    // Sends this window a WM_COPYDATA with `id` and `bytes` from this
    // thread; with `noData` the message carries no COPYDATASTRUCT at all.
    void sendCopyData(uintptr_t id, const std::string& bytes, bool noData = false);
    void minimise();
    bool isMinimised() const;

private:
    friend class InstanceWindowProcedure;

    void* m_window = nullptr; // the HWND
    bool m_answersPings;
    InstanceWindowLog m_log;
};

// How long the second-instance program waits for a window to answer.
constexpr unsigned kSecondInstanceWaitMs = 2000;

// Starts the second-instance program (built beside the test program) with
// `arguments` in the folder `directory` (a program path), handles this
// thread's messages until it ends, and returns its exit code: the
// HandOverResult it got (0 first instance, 1 handed over, 2 no window
// answered, 3 hand-over failed); -1 when it could not be started or did not
// end within 20 s. `afterStart`, when given, runs once on this thread
// `afterStartMs` after the program started (a window that comes up late).
int runSecondInstance(const std::vector<ustring>& arguments, const ustring& directory,
                      const std::function<void()>& afterStart = {}, unsigned afterStartMs = 0);

// Puts `bytes` on the clipboard exactly as given, in a block of their size,
// under the format registered as `formatName`, with `text` as Unicode text
// when not empty. False when the clipboard refused.
bool putRawClipboardData(const ustring& text, const ustring& formatName, const std::string& bytes);

} // namespace test_support
