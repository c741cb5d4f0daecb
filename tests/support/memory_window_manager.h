// A window manager whose windows exist only in memory: each created window
// gets a platform window that shows nothing, a client rect of the size the
// manager was made with and a canvas with fixed-advance fonts, and is
// deleted when it is closed, as the platform deletes a window's handler
// when its native window goes. Windows still open go with the manager.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "support/fake_window.h"
#include "support/null_window_manager.h"
#include "ui/text/view_test_canvas.h"

namespace test_support {

class MemoryWindowManager : public NullWindowManager {
public:
    explicit MemoryWindowManager(float width = 640, float height = 480) : m_width(width), m_height(height) {}
    ~MemoryWindowManager() override
    {
        while (!m_windows.empty())
            close(m_windows.back().handler);
    }

    bool createWindow(const ustring& title, WindowHandler* handler, const slate::SP<MenuDescriptor>&,
                      const ustring& placement, int, WindowHandler*) override
    {
        if (refuseWindows)
            return false;
        titles.push_back(title);
        placements.push_back(placement);
        auto platformWindow = std::make_unique<FakePlatformWindow>();
        handler->m_rect = interval2(0, 0, m_width, m_height);
        handler->m_window = platformWindow.get();
        handler->setCanvas(&m_canvas);
        m_windows.push_back({handler, std::move(platformWindow)});
        return true;
    }

    // Destroys the window that owns `handler`, deleting the handler. False
    // when no window of this manager has it.
    bool close(WindowHandler* handler)
    {
        auto it = std::find_if(m_windows.begin(), m_windows.end(),
                               [handler](const Entry& entry) { return entry.handler == handler; });
        if (it == m_windows.end())
            return false;
        std::unique_ptr<FakePlatformWindow> platformWindow = std::move(it->platformWindow);
        m_windows.erase(it);
        delete handler;
        return true;
    }

    bool refuseWindows = false;
    std::vector<ustring> titles;
    std::vector<ustring> placements;

private:
    struct Entry {
        WindowHandler* handler;
        std::unique_ptr<FakePlatformWindow> platformWindow;
    };
    const float m_width;
    const float m_height;
    GridRecordingCanvas m_canvas;
    std::vector<Entry> m_windows;
};

} // namespace test_support
