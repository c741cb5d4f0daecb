// What the clipboard and macro commands of a text control need from the
// desktop: the system clipboard, starting the system's file browser and a
// save dialog. The commands reach them only through this interface, so that
// native tests install an in-memory desktop. The default one forwards the
// clipboard to the window manager (when there is one) and the rest to the
// platform functions below, which desktop_services_native.cpp answers with
// "nothing happened" and window_manager/windows/win32_desktop_services.cpp
// with Win32. Main thread only.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/platform.h"
#include "ui/ustring.h"

// What a save dialog offers: the folder it opens in (native path), one
// filter (its caption and pattern) and the extension added to a name typed
// without one. The dialog asks before a chosen file is overwritten.
struct SaveFileRequest {
    ustring initialFolder;
    ustring filterName;
    ustring filterPattern;
    ustring defaultExtension;
};

// A process to start: the program's full path and the whole command line
// (the program's quoted path first, as the system expects).
struct ProcessLaunch {
    ustring application;
    ustring commandLine;
};

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Replaces the clipboard's content with `text` and, when `record` is not
    // empty, its bytes under the private format `formatName`. False when the
    // clipboard could not be used.
    virtual bool writeClipboard(const ustring& text, const ustring& formatName, const std::vector<char>& record) = 0;
    // Reads the clipboard's text and the bytes under `formatName` (empty when
    // there are none). False, with both empty, when it could not be read.
    virtual bool readClipboard(ustring& text, const ustring& formatName, std::vector<char>& record) = 0;
    // Starts `launch` without waiting for it. False when it could not start.
    virtual bool startProcess(const ProcessLaunch& launch) = 0;
    // Shows a save dialog owned by `owner` (may be null). True with the
    // chosen native path in `path`; false, `path` untouched, on cancel.
    virtual bool chooseSaveFile(platform::WindowHandle owner, const SaveFileRequest& request, ustring& path) = 0;
};

// The installed services; never null (the default until another is set).
DesktopServices& desktopServices();
// Installs `services` (not owned; it must outlive its installation) and
// returns the previous one; null reinstalls the default.
DesktopServices* installDesktopServices(DesktopServices* services);

// The platform halves of the default services.
//
// The system folder that holds the file browser ("C:\Windows"), without a
// final separator; empty when the system does not say.
ustring systemFileBrowserFolder();
bool startSystemProcess(const ProcessLaunch& launch);
bool showSaveFileDialog(platform::WindowHandle owner, const SaveFileRequest& request, ustring& path);
