// The modal questions and file dialogs of an editor window: the open and
// save dialogs and the Yes/No(/Cancel) message boxes of saving, reloading
// and closing. The window reaches them only through this interface, so that
// tests script the answers. The default one is the system's common dialogs
// and message boxes in the Win32 build; the native build, which has no
// desktop, cancels every dialog and gives every question its safe answer
// (No, or Cancel when there is one). Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/platform.h"
#include "ui/ustring.h"

// What a file dialog shows.
struct FileDialogRequest {
    // Pairs of NUL-terminated caption and pattern, ended by one more NUL
    // ("All Files (*.*)\0*.*\0\0").
    ustring filter;
    // The 1-based pair selected at first; 0 selects the first.
    int filterIndex = 0;
    // The folder the dialog opens in; empty: the system's choice.
    ustring initialFolder;
    // The name the dialog starts with (save dialog only).
    ustring fileName;
    // Open dialog: several files may be chosen.
    bool multiSelect = false;
};

// What a file dialog gave back.
struct FileDialogAnswer {
    bool chosen = false;
    // The dialog's name buffer up to and including its final empty name:
    // one path and a NUL, or a folder and then each chosen name, each ended
    // by a NUL, and one more NUL ("C:\dir\0a.txt\0b.txt\0\0").
    ustring names;
    // The 1-based filter pair the user had selected.
    int filterIndex = 0;
    // When nothing was chosen: the dialog's extended error code, 0 for a
    // plain cancel.
    uint32_t errorCode = 0;
};

enum class QuestionButtons { YesNo, YesNoCancel };
enum class QuestionIcon { Warning, Question };
enum class QuestionAnswer { Yes, No, Cancel };

struct Question {
    ustring caption;
    ustring text;
    QuestionButtons buttons = QuestionButtons::YesNo;
    QuestionIcon icon = QuestionIcon::Warning;
    // No, rather than Yes, is the button Enter presses.
    bool noIsDefault = false;
};

class WindowDialogs {
public:
    virtual ~WindowDialogs() = default;
    // The open-file dialog owned by `owner` (may be null); only existing
    // files can be chosen, and the read-only box is hidden.
    virtual FileDialogAnswer chooseFilesToOpen(platform::WindowHandle owner, const FileDialogRequest& request) = 0;
    // The save-file dialog owned by `owner`. It asks nothing about existing
    // files: the caller does.
    virtual FileDialogAnswer chooseFileToSave(platform::WindowHandle owner, const FileDialogRequest& request) = 0;
    // A modal message box owned by `owner`; closing it without a button
    // answers Cancel (YesNoCancel) or No (YesNo).
    virtual QuestionAnswer ask(platform::WindowHandle owner, const Question& question) = 0;
};

// The installed dialogs; never null (the default until another is set).
WindowDialogs& windowDialogs();
// Installs `dialogs` (not owned; it must outlive its installation) and
// returns the previous one; null reinstalls the default.
WindowDialogs* installWindowDialogs(WindowDialogs* dialogs);

// The full paths a dialog's name buffer holds: one path as it stands, or
// the folder joined with each name after it ("dir\0a\0b\0\0" gives dir\a
// and dir\b). Empty when the buffer names nothing.
std::vector<ustring> chosenPaths(const ustring& names);

// The platform halves of the default dialogs (window_dialogs_win32.cpp and
// window_dialogs_native.cpp).
FileDialogAnswer showSystemOpenDialog(platform::WindowHandle owner, const FileDialogRequest& request);
FileDialogAnswer showSystemSaveDialog(platform::WindowHandle owner, const FileDialogRequest& request);
QuestionAnswer showSystemQuestion(platform::WindowHandle owner, const Question& question);
