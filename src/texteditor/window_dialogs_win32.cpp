// The system's common open and save dialogs and message boxes.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "texteditor/window_dialogs.h"

namespace {

// The name buffer: 4096 characters on Windows 2000, whose dialog refuses
// more, and room for a long multiple selection elsewhere.
size_t nameBufferSize()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExW(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 0)
        return 4096;
    return 524288;
}

FileDialogAnswer showDialog(platform::WindowHandle owner, const FileDialogRequest& request, bool save)
{
    std::vector<WCHAR> names(save ? 4096 : nameBufferSize(), 0);
    if (save && !request.fileName.empty() && request.fileName.size() < names.size())
        std::copy(request.fileName.begin(), request.fileName.end(), names.begin());
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = static_cast<HWND>(owner);
    dialog.lpstrFilter = request.filter.empty() ? nullptr : request.filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    FileDialogAnswer answer;
    BOOL chosen = FALSE;
    if (save) {
        chosen = GetSaveFileNameW(&dialog);
    } else {
        dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (request.multiSelect)
            dialog.Flags |= OFN_ALLOWMULTISELECT;
        chosen = GetOpenFileNameW(&dialog);
    }
    if (!chosen) {
        answer.errorCode = CommDlgExtendedError();
        return answer;
    }
    answer.chosen = true;
    answer.filterIndex = static_cast<int>(dialog.nFilterIndex);
    // Up to and including the first empty name.
    size_t end = 0;
    while (end + 1 < names.size() && !(names[end] == 0 && (end == 0 || names[end - 1] == 0)))
        ++end;
    const size_t length = std::min(end + 1, names.size());
    answer.names.assign(names.data(), length);
    if (answer.names.size() < 2 || answer.names[answer.names.size() - 2] != 0)
        answer.names += u'\0';
    return answer;
}

} // namespace

FileDialogAnswer showSystemOpenDialog(platform::WindowHandle owner, const FileDialogRequest& request)
{
    return showDialog(owner, request, false);
}

FileDialogAnswer showSystemSaveDialog(platform::WindowHandle owner, const FileDialogRequest& request)
{
    return showDialog(owner, request, true);
}

QuestionAnswer showSystemQuestion(platform::WindowHandle owner, const Question& question)
{
    UINT style = question.icon == QuestionIcon::Warning ? MB_ICONWARNING : MB_ICONQUESTION;
    const bool withCancel = question.buttons == QuestionButtons::YesNoCancel;
    style |= withCancel ? MB_YESNOCANCEL : MB_YESNO;
    if (question.noIsDefault)
        style |= MB_DEFBUTTON2;
    const int result = MessageBoxW(static_cast<HWND>(owner), question.text.c_str(), question.caption.c_str(), style);
    if (result == IDYES)
        return QuestionAnswer::Yes;
    if (result == IDNO)
        return QuestionAnswer::No;
    return withCancel ? QuestionAnswer::Cancel : QuestionAnswer::No;
}
