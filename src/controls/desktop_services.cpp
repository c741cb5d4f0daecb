// The default desktop services: the clipboard through the window manager,
// processes and dialogs through the platform functions.
#include "controls/desktop_services.h"

#include "window_manager/window_manager.h"

namespace {

class DefaultDesktopServices final : public DesktopServices {
public:
    bool writeClipboard(const ustring& text, const ustring& formatName, const std::vector<char>& record) override
    {
        if (!WindowManager::alive())
            return false;
        return WindowManager::get().copyToClipboard(text, formatName, record.empty() ? nullptr : record.data(),
                                                    record.size());
    }
    bool readClipboard(ustring& text, const ustring& formatName, std::vector<char>& record) override
    {
        text.clear();
        record.clear();
        return WindowManager::alive() && WindowManager::get().copyFromClipboard(text, formatName, &record);
    }
    bool startProcess(const ProcessLaunch& launch) override { return startSystemProcess(launch); }
    bool chooseSaveFile(platform::WindowHandle owner, const SaveFileRequest& request, ustring& path) override
    {
        return showSaveFileDialog(owner, request, path);
    }
};

DefaultDesktopServices s_defaultServices;
DesktopServices* s_services = &s_defaultServices;

} // namespace

DesktopServices& desktopServices() { return *s_services; }

DesktopServices* installDesktopServices(DesktopServices* services)
{
    DesktopServices* previous = s_services;
    s_services = services ? services : &s_defaultServices;
    return previous;
}
