// The Win32 ends of the single-instance hand-over. The running instance is
// recognised by two things: its main window's class name and its answer to
// WM_INSTANCE_PING. The class name alone is not enough, since any program
// may register a class of that name; a window that does not answer the ping
// in time (another program's, or a hung instance) is passed over. Both sends
// block with SMTO_NOTIMEOUTIFNOTHUNG, so a busy but responsive instance is
// waited for while a hung one cannot hold the second start forever.
#define NOMINMAX
#include <windows.h>
#include <shellapi.h>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"
#include "ui/byte_buffer.h"
#include "window_manager/command_line_payload.h"
#include "window_manager/windows/single_instance.h"

namespace {

const UINT kPingTimeoutMs = 2000;
const UINT kHandOverTimeoutMs = 4000;
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

} // namespace

bool singleInstanceForward(const ustring& mutexName, const std::vector<ustring>& arguments)
{
    SetLastError(ERROR_SUCCESS);
    // Deliberately never closed: the mutex marks this instance until it ends.
    CreateMutexW(nullptr, FALSE, wide(mutexName));
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
        return false;

    HWND running = nullptr;
    EnumWindows(findRunningInstance, reinterpret_cast<LPARAM>(&running));
    if (!running)
        return true;

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
            return true;
    }

    SetForegroundWindow(running);
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    return true;
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
    // The system hands over exactly cbData bytes; no data reads as an empty record.
    const size_t size = message->lpData ? message->cbData : 0;
    readCommandLinePayload(message->lpData, size, directory, arguments);
    if (!directory.empty())
        setCurrentDirectory(directory);
    return true;
}
