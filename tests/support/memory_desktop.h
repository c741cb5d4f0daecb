// Desktop services for tests and benchmarks: a clipboard in memory, process
// starts recorded instead of run, and a save dialog that answers with a set
// path. Installed for its lifetime.
#pragma once

#include <vector>

#include "controls/desktop_services.h"
#include "filesystem/file_utils.h"

namespace test_support {

// A clipboard in memory and a save dialog that answers with a set path
// (none: cancelled), moving the current folder as real dialogs may.
class MemoryDesktop final : public DesktopServices {
public:
    MemoryDesktop() : m_previous(installDesktopServices(this)) {}
    ~MemoryDesktop() override { installDesktopServices(m_previous); }
    MemoryDesktop(const MemoryDesktop&) = delete;
    MemoryDesktop& operator=(const MemoryDesktop&) = delete;

    bool writeClipboard(const ustring& text, const ustring& formatName, const std::vector<char>& record) override
    {
        m_text = text;
        m_format = formatName;
        m_record = record;
        return true;
    }
    bool readClipboard(ustring& text, const ustring& formatName, std::vector<char>& record) override
    {
        text = m_text;
        record = formatName == m_format ? m_record : std::vector<char>();
        return true;
    }
    bool startProcess(const ProcessLaunch& launch) override
    {
        m_launches.push_back(launch);
        return true;
    }
    bool chooseSaveFile(platform::WindowHandle, const SaveFileRequest& request, ustring& path) override
    {
        m_requests.push_back(request);
        if (!m_dialogFolder.empty())
            setCurrentDirectory(m_dialogFolder);
        if (m_chosen.empty())
            return false;
        path = m_chosen;
        return true;
    }

    // The clipboard; the record is read back only under its own format.
    ustring m_text;
    ustring m_format;
    std::vector<char> m_record;
    std::vector<ProcessLaunch> m_launches;
    std::vector<SaveFileRequest> m_requests;
    // What the dialog answers (empty: cancelled), and the folder it moves to.
    ustring m_chosen;
    ustring m_dialogFolder;

private:
    DesktopServices* m_previous;
};

} // namespace test_support
