// An application over a scratch data folder, with a window manager whose
// windows exist only in memory (support/memory_window_manager.h).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/posix_file_system.h"
#include "input/binding_map.h"
#include "support/memory_window_manager.h"
#include "support/scratch_folder.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/main_thread_queue.h"
#include "ui/options_manager.h"
#include "ui/text/view_test_canvas.h"
#include "ui/unicode.h"

namespace application_test {

using test_support::MemoryWindowManager;

class ApplicationTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Activating a view makes its file's folder current, and that folder
        // is usually the scratch folder, which goes with the test.
        m_savedDirectory = currentDirectory();
        m_folder.makeFolder("Data/Packages");
        m_folder.makeFolder("Data/Options");
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"UserOptions/", slate::PosixFileSystem::create(dataPath(u"Options")));
        slate::FileManager::get().mount(u"Packages/", slate::PosixFileSystem::create(dataPath(u"Packages")));
        OptionsManager::create();
        BindingSourceManager::create();
        m_windowManager = new MemoryWindowManager;
        WindowManager::create(m_windowManager);
    }
    void TearDown() override
    {
        destroyApplication();
        WindowManager::destroy();
        clearMainThreadQueue();
        BindingSourceManager::destroy();
        OptionsManager::destroy();
        slate::FileManager::destroy();
        setCurrentDirectory(m_savedDirectory);
    }

    void createApplication(bool developmentBuild = false)
    {
        m_application = std::make_unique<TextEditorApplication>(developmentBuild);
        m_application->setQuitFunction([this](int exitCode) { m_quitCodes.push_back(exitCode); });
    }
    // Closes the windows that are left, then deletes the application.
    void destroyApplication()
    {
        if (!m_application)
            return;
        while (!m_application->windows().empty())
            ASSERT_TRUE(m_windowManager->close(m_application->windows().back()));
        m_application.reset();
    }

    // The native path of a file or folder in the data folder.
    ustring dataPath(const ustring& relative) const
    {
        return toUstring((m_folder.path() / "Data").string()) + u"/" + relative;
    }
    // Writes a package file (`relative` under "Packages/").
    void writePackageFile(const std::string& relative, const std::string& bytes)
    {
        m_folder.write("Data/Packages/" + relative, bytes);
    }
    slate::SP<Options> packageOptions(const ustring& path) { return OptionsManager::get().getOptions(path); }

    ustring m_savedDirectory;
    test_support::ScratchFolder m_folder{"vantrel-application"};
    MemoryWindowManager* m_windowManager = nullptr; // owned by WindowManager
    std::unique_ptr<TextEditorApplication> m_application;
    std::vector<int> m_quitCodes;
};

// An application with one window made as the user's first.
class WindowTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        createApplication();
        m_window = m_application->newWindow(u"", false);
        ASSERT_NE(nullptr, m_window);
    }

    TextEditorWindow* m_window = nullptr;
};

} // namespace application_test
