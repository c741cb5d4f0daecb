// A real editor window under Wine, for the tests and benchmarks of its whole
// frame on each renderer: the Win32 window manager draws it through probed
// peers (see controls/probed_peer.h), the application reads the shipped
// packages (theme, key map, options) from the repository's Packages/ folder,
// and the files the tabs show are small C files written to a scratch folder.
// The application is a development build, so it writes no options back.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/probed_peer.h"
#include "controls/text_view_window.h"
#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "input/binding_map.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/log.h"
#include "ui/options_manager.h"
#include "ui/timer_queue.h"
#include "window_manager/main_loop.h"
#include "window_manager/window_manager_lifetime.h"
#include "window_manager/windows/app_window.h"

namespace editor_window_test {

// What the window's tabs show: a few lines of C, numbered by `index` so
// that the files differ.
inline std::string smallCFile(int index)
{
    const std::string n = std::to_string(index);
    return "#include <stdio.h>\n\n// File " + n + " of the window's tabs.\nint sum" + n +
           "(const int* values, int count)\n{\n    int total = 0;\n    for (int i = 0; i < count; ++i)\n"
           "        total += values[i];\n    return total;\n}\n";
}

struct WindowShape {
    int width = 0;
    int height = 0;
    int tabs = 0; // spread over the two groups, the first group's half first
    bool showToolbar = true;
};

class EditorWindowRig {
public:
    EditorWindowRig(const text_window_test::RendererCase& renderer, const WindowShape& shape)
        : m_debugOutput(g_debugOutputEnabled.exchange(false)), m_previousDirectory(currentDirectory())
    {
        m_manager = window_test::startWindowManager(renderer.managerFlags);
        window_test::probePeers(*m_manager, m_probe);
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", test_support::createFileSystem(VANTREL_PACKAGES_DIR));
        OptionsManager::create();
        BindingSourceManager::create();

        m_application = std::make_unique<TextEditorApplication>(true);
        m_application->setQuitFunction([](int) {});
        m_application->m_showToolbar = shape.showToolbar;
        const std::string placement =
            "0,0,1,-1,-1,-1,-1,0,0," + std::to_string(shape.width) + "," + std::to_string(shape.height);
        m_window = m_application->newWindow(toUstring(placement), false);
        if (!m_window || m_probe.kind != renderer.kind)
            return;
        m_handle = m_window->m_window->nativeHandle();
        m_window->setLayout(1);
        const int firstGroupTabs = (shape.tabs + 1) / 2;
        for (int i = 0; i < shape.tabs; ++i) {
            m_window->viewSet().focusGroup(i < firstGroupTabs ? 0 : 1);
            const std::string name = "file" + std::to_string(i) + ".c";
            m_folder.write(name, smallCFile(i));
            const ustring path = test_support::programPath((m_folder / name).string());
            if (!m_window->openFile(path, FileEncoding(), TextEditorWindow::kOpenFromUser))
                return;
        }
        // The files are read on threads; their texts come back through the
        // message loop.
        m_ready = runUntil([this] { return allLoaded(); });
    }
    ~EditorWindowRig()
    {
        m_probe.onFrameEnd = nullptr;
        window_test::stopWindowManager(); // the native windows take the editor windows with them
        m_application.reset();
        BindingSourceManager::destroy();
        OptionsManager::destroy();
        slate::FileManager::destroy();
        g_debugOutputEnabled = m_debugOutput;
        // A focused view makes its file's folder current; the scratch folder
        // goes with the rig.
        setCurrentDirectory(m_previousDirectory);
    }
    EditorWindowRig(const EditorWindowRig&) = delete;
    EditorWindowRig& operator=(const EditorWindowRig&) = delete;

    // Whether the window exists on the renderer asked for, with every tab's
    // file read.
    bool ready() const { return m_ready; }
    TextEditorWindow& window() const { return *m_window; }
    window_test::FrameProbe& probe() { return m_probe; }

    // Paints the window now: one whole frame, read back when the probe's
    // `capture` says so.
    void paint()
    {
        findAppWindow(m_handle)->invalidate();
        window_test::paintNow(m_handle);
    }
    // Runs the message loop until `done` answers true, checked every few
    // milliseconds, or until `timeoutMs` passed; answers `done`.
    static bool runUntil(const std::function<bool()>& done, int timeoutMs = 10000)
    {
        auto ticks = std::make_shared<int>(timeoutMs / 5);
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [done, ticks, poll] {
            if (done() || --*ticks <= 0) {
                quitMainLoop(0);
                return;
            }
            setTimeout(*poll, 5);
        };
        setTimeout(*poll, 0);
        runMessageLoop(false);
        *poll = nullptr; // breaks the cycle
        return done();
    }

private:
    bool allLoaded() const
    {
        for (int group = 0; group < m_window->viewSet().numGroups(); ++group) {
            for (const ViewEntry& entry : m_window->viewSet().views(group)) {
                if (entry.view->buffer()->size() == 0)
                    return false;
            }
        }
        return true;
    }

    bool m_debugOutput;
    ustring m_previousDirectory;
    test_support::ScratchFolder m_folder{"vantrel-window-frame"};
    Win32WindowManager* m_manager = nullptr;
    window_test::FrameProbe m_probe;
    std::unique_ptr<TextEditorApplication> m_application;
    TextEditorWindow* m_window = nullptr; // owned by its native window
    platform::WindowHandle m_handle = nullptr;
    bool m_ready = false;
};

} // namespace editor_window_test
