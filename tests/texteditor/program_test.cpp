// The program from entry to exit over a stand-in platform: which steps run,
// in which order, and with which exit code.
#include "texteditor/program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
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

class StandInWindowManager : public WindowManager {
public:
    explicit StandInWindowManager(Steps& steps) : m_steps(steps) {}
    ~StandInWindowManager() override { m_steps.push_back("destroy window manager"); }
    void run() override { m_steps.push_back("run"); }
    bool createWindow(const ustring&, WindowHandler*, const slate::SP<MenuDescriptor>&, const ustring&, int,
                      WindowHandler*) override
    {
        return false;
    }
    void invalidateAll() override {}
    void setMenu(const ustring&, const slate::SP<MenuDescriptor>&) override {}
    slate::SP<MenuDescriptor> menu(const ustring&) override { return nullptr; }
    bool copyToClipboard(const ustring&, const ustring&, const void*, size_t) override { return false; }
    bool copyFromClipboard(ustring&, const ustring&, std::vector<char>*) override { return false; }
    platform::WindowHandle mainWindowHandle() override { return nullptr; }

private:
    Steps& m_steps;
};

class StandInPlatform : public StartupPlatform {
public:
    void notificationManagerCreated(NotificationManager& notifications) override
    {
        notifications.setErrorBoxFunction(
            [this](platform::WindowHandle, const ustring&, const ustring& text) { errors.push_back(text); });
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
        return new StandInWindowManager(steps);
    }
    void createApplication(bool) override { steps.push_back("create application"); }
    bool initApplication(const CommandLineArguments& arguments) override
    {
        steps.push_back("init application");
        files = arguments.files;
        return false;
    }
    void startUpdateCheck() override { steps.push_back("update check"); }
    void destroyApplication() override { steps.push_back("destroy application"); }

    HandOverResult handOver = HandOverResult::FirstInstance;
    ustring packageSetupMessage; // empty: the hook succeeds
    Steps steps;
    std::vector<ustring> errors;
    std::vector<ustring> installed;
    ustring installedInto;
    ustring askedMutex;
    std::vector<ustring> handedOver;
    std::vector<ustring> files;
};

class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // An early exit leaves its singletons to the process end.
        if (OptionsManager::alive())
            OptionsManager::destroy();
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
        if (NotificationManager::alive())
            NotificationManager::destroy();
        timer_queue_testing::restart();
        g_debugOutputEnabled = m_debugOutput;
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
};

TEST_F(ProgramTest, NormalRunBringsEverythingUpAndDownInOrder)
{
    ASSERT_TRUE(createDirectory(m_root + u"/appdata"));
    const double startups = g_statStartup.count;
    const double inits = g_statStartupInit.count;
    EXPECT_EQ(run({u"a.txt:12:5", u"--debug"}), kExitNormal);
    const Steps expected = {"hand over", "create plug-in host", "package setup",
                            "create window manager, Direct3D", "init plug-in host", "create application",
                            "init application", "update check", "run", "destroy application",
                            "destroy plug-in host", "destroy window manager"};
    EXPECT_EQ(m_platform.steps, expected);
    EXPECT_EQ(m_platform.files, std::vector<ustring>{u"a.txt:12:5"});
    EXPECT_EQ(m_platform.handedOver, (std::vector<ustring>{u"a.txt:12:5", u"--debug"}));
    EXPECT_EQ(m_platform.askedMutex, singleInstanceMutexName(m_root + u"/bin"));
    EXPECT_TRUE(isDirectory(m_root + u"/appdata/Vantrel/Packages/Default"));
    EXPECT_FALSE(NotificationManager::alive() || slate::FileManager::alive() || OptionsManager::alive());
    EXPECT_EQ(g_statStartup.count, startups + 1);
    EXPECT_EQ(g_statStartupInit.count, inits + 1);
    EXPECT_TRUE(m_platform.errors.empty());
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
    EXPECT_TRUE(m_platform.errors.empty());
    EXPECT_FALSE(isDirectory(m_root + u"/appdata/Vantrel"));
}

// A second start whose files went nowhere says so instead of ending quietly.
TEST_F(ProgramTest, LostHandOverIsReported)
{
    m_platform.handOver = HandOverResult::NoWindowAnswered;
    EXPECT_EQ(run({u"a.txt", u"b.txt"}), kExitNormal);
    ASSERT_EQ(m_platform.errors.size(), 1u);
    EXPECT_NE(m_platform.errors[0].find(u"\na.txt\nb.txt"), ustring::npos);
}

TEST_F(ProgramTest, FailedPackageSetupExitsWithTwo)
{
    m_platform.packageSetupMessage = u"Traceback";
    EXPECT_EQ(run({}), kExitPackageSetupFailed);
    EXPECT_EQ(m_platform.errors, std::vector<ustring>{u"Unable to run package setup:\n\nTraceback"});
    EXPECT_FALSE(slate::FileManager::alive());
}

TEST_F(ProgramTest, UnusableDataDirectoryExitsWithOneHavingWrittenNothing)
{
    const ustring data = m_root + u"/missing/data";
    EXPECT_EQ(run({u"--data", data}), kExitDataDirectoryUnusable);
    EXPECT_EQ(m_platform.errors, std::vector<ustring>{u"Unable to mount data directory, exiting"});
    EXPECT_FALSE(isDirectory(m_root + u"/missing"));
    EXPECT_FALSE(isDirectory(m_root + u"/appdata"));
    EXPECT_FALSE(OptionsManager::alive());
}

} // namespace
