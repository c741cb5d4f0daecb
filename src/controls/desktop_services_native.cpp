// The native build has no file browser or save dialog to show: tests and
// tools install their own desktop services where they need one.
#include "controls/desktop_services.h"

ustring systemFileBrowserFolder() { return ustring(); }

bool startSystemProcess(const ProcessLaunch&) { return false; }

bool showSaveFileDialog(platform::WindowHandle, const SaveFileRequest&, ustring&) { return false; }
