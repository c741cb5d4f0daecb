// The program from entry to exit over a stand-in platform: which steps run,
// in which order, and with which exit code.
#include "texteditor/program.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
#include "texteditor/application_fixture.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/statistics.h"
#include "ui/timer_queue.h"
#include "ui/unicode.h"
#include "ui/menu_descriptor.h"
#include "window_manager/window_manager.h"

namespace {

using Steps = std::vector<std::string>;

slate::FileSystem* createPosixFileSystem(const ustring& directory)
{
    return slate::PosixFileSystem::create(directory);
}

// The message loop "runs" until the user has closed every window.
class LoopWindowManager : public application_test::MemoryWindowManager {
public:
    LoopWindowManager(Steps& steps, std::vector<ustring>& openPaths) : m_steps(steps), m_openPaths(openPaths) {}
    ~LoopWindowManager() override { m_steps.push_back("destroy window manager"); }
    void run() override
    {
        m_steps.push_back("run");
        if (TextEditorWindow* window = g_application->activeWindow()) {
            for (const ViewEntry& entry : window->viewSet().views(0)) {
                const BufferSource* source = entry.view->buffer()->source();
                m_openPaths.push_back(source ? source->path() : u"<untitled>");
            }
        }
        while (!g_application->windows().empty())
            close(g_application->windows().back());
    }

private:
    Steps& m_steps;
    std::vector<ustring>& m_openPaths; // of the first window, when the loop started
};

class StandInPlatform : public StartupPlatform {
public:
    void notificationManagerCreated(NotificationManager& notifications) override
    {
        // Non-blocking boxes run on threads of their own, which may outlive
        // the test: they hold the list, not the platform.
        notifications.setErrorBoxFunction(
            [list = m_errors](platform::WindowHandle, const ustring&, const ustring& text) {
                std::lock_guard<std::mutex> lock(list->lock);
                list->texts.push_back(text);
            });
    }
    ustring fullPath(const ustring& path) override { return path; }
    FileSystemFactory fileSystemFactory() override { return createPosixFileSystem; }
    void installPackageFile(const ustring& packageFile, const ustring& dataDirectory) override
    {
        installed.push_back(packageFile);
        installedInto = dataDirectory;
    }
    HandOverResult forwardToRunningInstance(const ustring& mutexName,
                                            const std::vector<ustring>& arguments) override
    {
        steps.push_back("hand over");
        askedMutex = mutexName;
        handedOver = arguments;
        return handOver;
    }
    void createPluginHost() override { steps.push_back("create plug-in host"); }
    bool runPackageSetup(const ustring&, ustring& message) override
    {
        steps.push_back("package setup");
        message = packageSetupMessage;
        return packageSetupMessage.empty();
    }
    void initPluginHost() override { steps.push_back("init plug-in host"); }
    void destroyPluginHost() override { steps.push_back("destroy plug-in host"); }
    WindowManager* createWindowManager(bool openGL, bool) override
    {
        steps.push_back(openGL ? "create window manager, OpenGL" : "create window manager, Direct3D");
        return new LoopWindowManager(steps, openPaths);
    }
    void createApplication(bool developmentBuild) override
    {
        steps.push_back("create application");
        StartupPlatform::createApplication(developmentBuild);
    }
    bool initApplication(const CommandLineArguments& arguments) override
    {
        steps.push_back("init application");
        return StartupPlatform::initApplication(arguments);
    }
    void startUpdateCheck() override { steps.push_back("update check"); }
    void destroyApplication() override
    {
        steps.push_back("destroy application");
        StartupPlatform::destroyApplication();
    }

    HandOverResult handOver = HandOverResult::FirstInstance;
    ustring packageSetupMessage; // empty: the hook succeeds
    Steps steps;
    std::vector<ustring> errors() const
    {
        std::lock_guard<std::mutex> lock(m_errors->lock);
        return m_errors->texts;
    }

    std::vector<ustring> installed;
    ustring installedInto;
    ustring askedMutex;
    std::vector<ustring> handedOver;
    std::vector<ustring> openPaths; // of the first window when the loop ran

private:
    struct ErrorList {
        std::mutex lock;
        std::vector<ustring> texts;
    };
    std::shared_ptr<ErrorList> m_errors = std::make_shared<ErrorList>();
};

class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // An early exit leaves its singletons to the process end.
        shutdownBase();
        timer_queue_testing::restart();
        g_debugOutputEnabled = m_debugOutput;
        // An opened file's folder became current; it goes with the scratch
        // folder.
        setCurrentDirectory(m_savedDirectory);
    }

    int run(const std::vector<ustring>& arguments)
    {
        StartupEnvironment environment;
        environment.arguments = arguments;
        environment.executableFolder = m_root + u"/bin";
        environment.applicationDataFolder = m_root + u"/appdata";
        environment.developmentBuild = m_developmentBuild;
        environment.developmentResourceFolder = m_root + u"/resources";
        environment.developmentSharedPackages = m_root + u"/shared";
        return runProgram(environment, m_platform);
    }

    test_support::ScratchFolder m_folder{"vantrel-program"};
    const ustring m_root = toUstring(m_folder.path().string());
    const ustring m_data = m_root + u"/data";
    bool m_developmentBuild = false;
    StandInPlatform m_platform;
    const bool m_debugOutput = g_debugOutputEnabled;
    const ustring m_savedDirectory = currentDirectory();
};

TEST_F(ProgramTest, NormalRunBringsEverythingUpAndDownInOrder)
{
    ASSERT_TRUE(createDirectory(m_root + u"/appdata"));
    const double startups = g_statStartup.count;
    const double inits = g_statStartupInit.count;
    // A missing file opens as a new buffer bound to its path, line and
    // column taken off by the opener.
    const ustring file = m_root + u"/notes.txt";
    EXPECT_EQ(run({file + u":12:5", u"--debug"}), kExitNormal);
    const Steps expected = {"hand over", "create plug-in host", "package setup",
                            "create window manager, Direct3D", "init plug-in host", "create application",
                            "init application", "update check", "run", "destroy application",
                            "destroy plug-in host", "destroy window manager"};
    EXPECT_EQ(m_platform.steps, expected);
    EXPECT_EQ(m_platform.openPaths, std::vector<ustring>{file});
    EXPECT_EQ(g_application, nullptr);
    EXPECT_EQ(m_platform.handedOver, (std::vector<ustring>{file + u":12:5", u"--debug"}));
    EXPECT_EQ(m_platform.askedMutex, singleInstanceMutexName(m_root + u"/bin"));
    EXPECT_TRUE(isDirectory(m_root + u"/appdata/Vantrel/Packages/Default"));
    EXPECT_FALSE(NotificationManager::alive() || slate::FileManager::alive() || OptionsManager::alive());
    EXPECT_EQ(g_statStartup.count, startups + 1);
    EXPECT_EQ(g_statStartupInit.count, inits + 1);
}

TEST_F(ProgramTest, RendererOptionAndDevelopmentBuild)
{
    m_developmentBuild = true;
    ASSERT_TRUE(createDirectory(m_data));
    ASSERT_TRUE(createDirectory(m_root + u"/resources"));
    ASSERT_TRUE(createDirectory(m_data + u"/Packages"));
    ASSERT_TRUE(createDirectory(m_data + u"/Packages/Default"));
    ASSERT_TRUE(createDirectory(m_data + u"/Packages/Default/Options"));
    ASSERT_TRUE(writeFileAtomically(m_data + u"/Packages/Default/Options/Application.vantrel-options",
                                    std::string("renderer OpenGL\n")));
    EXPECT_EQ(run({u"--data", m_data + u"/", u"--multiinstance"}), kExitNormal);
    // No hand-over, no set-up hook and no update check in a development build.
    const Steps expected = {"create plug-in host", "create window manager, OpenGL", "init plug-in host",
                            "create application", "init application", "run", "destroy application",
                            "destroy plug-in host", "destroy window manager"};
    EXPECT_EQ(m_platform.steps, expected);
}

TEST_F(ProgramTest, InstallRunInstallsEveryPackageAndNothingElse)
{
    EXPECT_EQ(run({u"a.txt", u"X.VANTREL-PACKAGE", u"--install", u"b.vantrel-package", u"--data", m_data}),
              kExitNormal);
    EXPECT_EQ(m_platform.installed, (std::vector<ustring>{u"X.VANTREL-PACKAGE", u"b.vantrel-package"}));
    EXPECT_EQ(m_platform.installedInto, m_data);
    EXPECT_TRUE(m_platform.steps.empty());
    EXPECT_FALSE(isDirectory(m_data));
}

TEST_F(ProgramTest, HandOverEndsTheStartWithZero)
{
    m_platform.handOver = HandOverResult::HandedOver;
    EXPECT_EQ(run({u"a.txt"}), kExitNormal);
    EXPECT_EQ(m_platform.steps, Steps{"hand over"});
    EXPECT_TRUE(m_platform.errors().empty());
    EXPECT_FALSE(isDirectory(m_root + u"/appdata/Vantrel"));
}

// A second start whose files went nowhere says so instead of ending quietly.
TEST_F(ProgramTest, LostHandOverIsReported)
{
    m_platform.handOver = HandOverResult::NoWindowAnswered;
    EXPECT_EQ(run({u"a.txt", u"b.txt"}), kExitNormal);
    ASSERT_EQ(m_platform.errors().size(), 1u);
    EXPECT_NE(m_platform.errors()[0].find(u"\na.txt\nb.txt"), ustring::npos);
}

TEST_F(ProgramTest, FailedPackageSetupExitsWithTwo)
{
    m_platform.packageSetupMessage = u"Traceback";
    EXPECT_EQ(run({}), kExitPackageSetupFailed);
    EXPECT_EQ(m_platform.errors(), std::vector<ustring>{u"Unable to run package setup:\n\nTraceback"});
    EXPECT_FALSE(slate::FileManager::alive());
}

TEST_F(ProgramTest, UnusableDataDirectoryExitsWithOneHavingWrittenNothing)
{
    const ustring data = m_root + u"/missing/data";
    EXPECT_EQ(run({u"--data", data}), kExitDataDirectoryUnusable);
    EXPECT_EQ(m_platform.errors(), std::vector<ustring>{u"Unable to mount data directory, exiting"});
    EXPECT_FALSE(isDirectory(m_root + u"/missing"));
    EXPECT_FALSE(isDirectory(m_root + u"/appdata"));
    EXPECT_FALSE(OptionsManager::alive());
}

} // namespace
