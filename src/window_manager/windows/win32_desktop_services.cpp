// The Win32 halves of the desktop services: the Windows folder, starting a
// process by its full path and the common save dialog.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "controls/desktop_services.h"

ustring systemFileBrowserFolder()
{
    WCHAR buffer[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ustring();
    return ustring(buffer, length);
}

bool startSystemProcess(const ProcessLaunch& launch)
{
    if (launch.application.empty())
        return false;
    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<WCHAR> commandLine(launch.commandLine.begin(), launch.commandLine.end());
    commandLine.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(launch.application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool showSaveFileDialog(platform::WindowHandle owner, const SaveFileRequest& request, ustring& path)
{
    // The filter is pairs of NUL-terminated texts, ended by an empty one.
    ustring filter = request.filterName;
    filter += u'\0';
    filter += request.filterPattern;
    filter += u'\0';
    filter += u'\0';
    std::vector<WCHAR> file(4096, 0);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = static_cast<HWND>(owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = request.initialFolder.c_str();
    dialog.lpstrDefExt = request.defaultExtension.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&dialog))
        return false;
    path = ustring(file.data());
    return true;
}
