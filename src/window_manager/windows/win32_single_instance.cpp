// The Win32 ends of the single-instance hand-over. The running instance is
// recognised by two things: its main window's class name and its answer to
// WM_INSTANCE_PING. The class name alone is not enough, since any program
// may register a class of that name; a window that does not answer the ping
// in time (another program's, or a hung instance) is passed over. Both sends
// block with SMTO_NOTIMEOUTIFNOTHUNG, so a busy but responsive instance is
// waited for while a hung one cannot hold the second start forever.
//
// The mutex is taken at the very start of the first instance, seconds before
// its window exists. A second start in that gap (two files opened in quick
// succession) finds the mutex held and no window: it keeps looking for a
// while instead of dropping its arguments, and says so if none ever answers.
#define NOMINMAX
#include <windows.h>
#include <shellapi.h>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"
#include "ui/byte_buffer.h"
#include "ui/log.h"
#include "window_manager/command_line_payload.h"
#include "window_manager/windows/single_instance.h"

namespace {

const UINT kPingTimeoutMs = 2000;
const UINT kHandOverTimeoutMs = 4000;
// Between looks for a window that has not answered yet.
const DWORD kLookAgainMs = 100;
// Class names longer than this cannot equal the main window class anyway.
const int kClassNameCapacity = 64;

BOOL CALLBACK findRunningInstance(HWND window, LPARAM found)
{
    WCHAR className[kClassNameCapacity];
    const int length = GetClassNameW(window, className, kClassNameCapacity);
    if (length <= 0 || ustring(reinterpret_cast<const uchar*>(className), length) != kMainWindowClassName)
        return TRUE;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_INSTANCE_PING, 0, 0, SMTO_BLOCK | SMTO_NOTIMEOUTIFNOTHUNG,
                             kPingTimeoutMs, &answer) ||
        answer != WM_INSTANCE_PING)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}


HWND findRunningInstanceWindow(unsigned waitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND running = nullptr;
        EnumWindows(findRunningInstance, reinterpret_cast<LPARAM>(&running));
        if (running || GetTickCount() - start >= waitMs)
            return running;
        Sleep(kLookAgainMs);
    }
}

} // namespace

HandOverResult singleInstanceForward(const ustring& mutexName, const std::vector<ustring>& arguments,
                                     unsigned waitForWindowMs)
{
    SetLastError(ERROR_SUCCESS);
    // Deliberately never closed: the mutex marks this instance until it ends.
    CreateMutexW(nullptr, FALSE, wide(mutexName));
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
        return HandOverResult::FirstInstance;

    HWND running = findRunningInstanceWindow(waitForWindowMs);
    if (!running)
        return HandOverResult::NoWindowAnswered;

    if (!arguments.empty()) {
        WriteBuffer payload;
        writeCommandLinePayload(payload, currentDirectory(), arguments);
        COPYDATASTRUCT message;
        message.dwData = kCommandLineCopyDataId;
        message.cbData = static_cast<DWORD>(payload.size());
        message.lpData = const_cast<char*>(payload.data());
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                                 SMTO_BLOCK | SMTO_NOTIMEOUTIFNOTHUNG, kHandOverTimeoutMs, &answer))
            return HandOverResult::HandOverFailed;
    }

    SetForegroundWindow(running);
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    return HandOverResult::HandedOver;
}

void commandLineArguments(std::vector<ustring>& arguments)
{
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list)
        return;
    for (int i = 1; i < count; ++i)
        arguments.push_back(reinterpret_cast<const uchar*>(list[i]));
    LocalFree(list);
}

bool receiveCommandLine(intptr_t lParam, ustring& directory, std::vector<ustring>& arguments)
{
    const auto* message = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!message || message->dwData != kCommandLineCopyDataId)
        return false;
    // The system hands over exactly cbData bytes.
    ustring receivedDirectory;
    std::vector<ustring> receivedArguments;
    const size_t size = message->lpData ? message->cbData : 0;
    if (!readCommandLinePayload(message->lpData, size, receivedDirectory, receivedArguments)) {
        VLOG << u"Ignoring a malformed command line of " << static_cast<int>(message->cbData) << u" bytes";
        return false;
    }
    directory = std::move(receivedDirectory);
    arguments = std::move(receivedArguments);
    if (!directory.empty())
        setCurrentDirectory(directory);
    return true;
}
