#include "window_manager/instance_window.h"

#define NOMINMAX
#include <windows.h>

#include "filesystem/native_file.h"
#include "support/test_window.h"
#include "window_manager/command_line_payload.h"
#include "window_manager/windows/single_instance.h"

namespace test_support {

class InstanceWindowProcedure {
public:
    static LRESULT CALLBACK run(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<InstanceWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self)
            return DefWindowProcW(window, message, wParam, lParam);
        switch (message) {
        case WM_INSTANCE_PING:
            ++self->m_log.pings;
            if (self->m_answersPings)
                return WM_INSTANCE_PING;
            break;
        case WM_COPYDATA: {
            ++self->m_log.copyDataMessages;
            ustring directory;
            std::vector<ustring> arguments;
            if (self->m_answersPings && receiveCommandLine(lParam, directory, arguments)) {
                ++self->m_log.commandLines;
                self->m_log.directory = directory;
                self->m_log.arguments = arguments;
                InvalidateRect(window, nullptr, FALSE);
            }
            return 1;
        }
        default:
            break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

namespace {

// The class may already be registered in this process with the program's
// own procedure; the stand-in then takes its windows over once created.
bool registerMainWindowClass()
{
    WNDCLASSW windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = InstanceWindowProcedure::run;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = reinterpret_cast<LPCWSTR>(kMainWindowClassName);
    return RegisterClassW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Quotes an argument so that the system's command-line split gives it back
// unchanged.
ustring quoted(const ustring& argument)
{
    ustring result = u"\"";
    size_t backslashes = 0;
    for (uchar unit : argument) {
        if (unit == u'\\') {
            ++backslashes;
            continue;
        }
        result.append(unit == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        result += unit;
    }
    result.append(backslashes * 2, u'\\');
    return result + u"\"";
}

ustring secondInstanceProgram()
{
    WCHAR buffer[2048];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 2048);
    ustring path(reinterpret_cast<const uchar*>(buffer), length);
    const size_t backslash = path.rfind(u'\\');
    // A Winelib program is started by its shared object.
    return path.substr(0, backslash + 1) + u"vantrel_second_instance.exe.so";
}

} // namespace

bool holdSecondInstanceMutex()
{
    // Once per process: a second call would find the mutex taken.
    static const bool s_first =
        singleInstanceForward(kSecondInstanceMutexName, {}, 0) == HandOverResult::FirstInstance;
    return s_first;
}

InstanceWindow::InstanceWindow(bool answersPings) : m_answersPings(answersPings)
{
    if (!registerMainWindowClass())
        return;
    HWND window = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kMainWindowClassName), u"Vantrel test window", WS_OVERLAPPEDWINDOW,
                                  100, 100, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InstanceWindowProcedure::run));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_window = window;
}

InstanceWindow::~InstanceWindow()
{
    if (m_window)
        DestroyWindow(static_cast<HWND>(m_window));
}

void InstanceWindow::sendCopyData(uintptr_t id, const std::string& bytes, bool noData)
{
    COPYDATASTRUCT message;
    message.dwData = id;
    message.cbData = static_cast<DWORD>(bytes.size());
    message.lpData = const_cast<char*>(bytes.data());
    SendMessageW(static_cast<HWND>(m_window), WM_COPYDATA, 0, noData ? 0 : reinterpret_cast<LPARAM>(&message));
}

void InstanceWindow::minimise() { ShowWindow(static_cast<HWND>(m_window), SW_MINIMIZE); }

bool InstanceWindow::isMinimised() const { return IsIconic(static_cast<HWND>(m_window)) != FALSE; }

int runSecondInstance(const std::vector<ustring>& arguments, const ustring& directory,
                      const std::function<void()>& afterStart, unsigned afterStartMs)
{
    ustring commandLine = quoted(secondInstanceProgram());
    for (const ustring& argument : arguments)
        commandLine += u" " + quoted(argument);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, reinterpret_cast<WCHAR*>(&commandLine[0]), nullptr, nullptr, FALSE, 0, nullptr,
                        wide(directory), &startup, &process))
        return -1;
    CloseHandle(process.hThread);

    // The hand-over arrives as messages sent to this thread's windows, so
    // they are handled while waiting.
    const DWORD started = GetTickCount();
    const DWORD deadline = started + 20000;
    bool afterStartPending = static_cast<bool>(afterStart);
    int result = -1;
    for (;;) {
        deliverPendingMessages();
        DWORD now = GetTickCount();
        if (afterStartPending && now - started >= afterStartMs) {
            afterStartPending = false;
            afterStart();
            now = GetTickCount();
        }
        if (static_cast<int>(deadline - now) <= 0) {
            TerminateProcess(process.hProcess, 2);
            break;
        }
        DWORD timeout = deadline - now;
        if (afterStartPending && afterStartMs - (now - started) < timeout)
            timeout = afterStartMs - (now - started);
        const DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, timeout, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code))
                result = static_cast<int>(code);
            break;
        }
        if (wait == WAIT_FAILED)
            break;
    }
    CloseHandle(process.hProcess);
    return result;
}

bool putRawClipboardData(const ustring& text, const ustring& formatName, const std::string& bytes)
{
    const UINT format = RegisterClipboardFormatW(wide(formatName));
    if (!format || !OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    bool placed = true;
    if (!text.empty()) {
        const size_t size = (text.size() + 1) * 2;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        if (block) {
            memcpy(GlobalLock(block), text.c_str(), size);
            GlobalUnlock(block);
        }
        placed = block && SetClipboardData(CF_UNICODETEXT, block);
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (block) {
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    placed = placed && block && SetClipboardData(format, block);
    return CloseClipboard() && placed;
}

} // namespace test_support
