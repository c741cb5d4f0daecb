// The order of start-up is the contract every singleton relies on: the
// notification manager first (anything may report), the file manager and
// its mounts before the options manager, both before the toolkit's
// singletons, the plug-in host before the application, the application
// last. Shutdown runs the same list backwards. Early exits (install run,
// hand-over, a failed set-up hook or mount) return without tearing down what
// was made: the process ends right after.
#include "texteditor/program.h"

#include "filesystem/file_manager.h"
#include "texteditor/text_editor_application.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/notification_manager.h"
#include "ui/options.h"
#include "ui/options_manager.h"
#include "ui/performance_timer.h"
#include "ui/statistics.h"
#include "ui/timer_queue.h"
#include "window_manager/window_manager.h"

namespace {

const uchar kApplicationName[] = u"Vantrel";
const uchar kNotificationTitle[] = u"Vantrel 1.4";

// The "Startup" sample runs from entry to the loop or to an early exit.
class StartupSample {
public:
    void add() { g_statStartup.add(m_timer.lap()); }

private:
    PerformanceTimer m_timer;
};

ustring rendererOption()
{
    ustring renderer;
    OptionsManager::get().getOptions(kApplicationOptionsPath)->getString(u"renderer", renderer);
    return renderer;
}

} // namespace

void StartupPlatform::createApplication(bool developmentBuild)
{
    g_application = new TextEditorApplication(developmentBuild);
}

bool StartupPlatform::initApplication(const CommandLineArguments& arguments)
{
    return g_application->init(arguments.files, arguments.commands, arguments.project, arguments.restore);
}

void StartupPlatform::startUpdateCheck()
{
    if (g_application && g_application->m_checkForUpdates)
        VLOG << u"No update check in this build";
}

void StartupPlatform::destroyApplication()
{
    delete g_application;
    g_application = nullptr;
}

ustring decideDataDirectory(const StartupEnvironment& environment, const CommandLineArguments& arguments,
                            const FullPathFunction& fullPath)
{
    ustring dataDirectory = chooseDataDirectory(environment.executableFolder, environment.applicationDataFolder,
                                                environment.developmentBuild);
    if (arguments.hasDataSwitch) {
        const ustring given = dataDirectoryFromSwitch(arguments.dataSwitch, fullPath);
        if (!given.empty())
            dataDirectory = given;
    }
    return dataDirectory;
}

int runProgram(const StartupEnvironment& environment, StartupPlatform& platform)
{
    g_debugOutputEnabled = environment.developmentBuild;
    StartupSample startup;
    const CommandLineArguments arguments = parseCommandLineArguments(environment.arguments);
    if (arguments.debug)
        g_debugOutputEnabled = true;
    const ustring dataDirectory = decideDataDirectory(
        environment, arguments, [&platform](const ustring& path) { return platform.fullPath(path); });

    NotificationManager::set(new NotificationManager(kNotificationTitle));
    platform.notificationManagerCreated(NotificationManager::get());

    if (!arguments.packages.empty()) {
        for (const ustring& package : arguments.packages)
            platform.installPackageFile(package, dataDirectory);
        startup.add();
        return kExitNormal;
    }

    if (arguments.singleInstance) {
        const HandOverResult result = platform.forwardToRunningInstance(
            singleInstanceMutexName(environment.executableFolder), environment.arguments);
        if (result != HandOverResult::FirstInstance) {
            if (result != HandOverResult::HandedOver)
                VLOG << u"The running instance did not take the command line";
            const ustring message = handOverFailureMessage(result, environment.arguments);
            if (!message.empty())
                NotificationManager::get().displayBlockingError(message);
            startup.add();
            return kExitNormal;
        }
    }

    platform.createPluginHost();
    if (!environment.developmentBuild) {
        ustring message;
        if (!platform.runPackageSetup(dataDirectory, message)) {
            NotificationManager::get().displayBlockingError(u"Unable to run package setup:\n\n" + message);
            startup.add();
            return kExitPackageSetupFailed;
        }
    }

    VLOG << u"Creating UI";
    StartupFolders folders;
    folders.dataDirectory = dataDirectory;
    folders.developmentBuild = environment.developmentBuild;
    folders.basePath =
        environment.developmentBuild ? environment.developmentResourceFolder : environment.executableFolder;
    folders.sharedPackages = environment.developmentSharedPackages;
    if (!startupBase(kApplicationName, folders, platform.fileSystemFactory())) {
        startup.add();
        return kExitDataDirectoryUnusable;
    }

    const bool openGL = useOpenGLRenderer(arguments.openGL, rendererOption());
    startupUi(platform.createWindowManager(openGL, arguments.swapChains));
    PerformanceTimer postUi;
    platform.initPluginHost();

    VLOG << u"Creating application";
    platform.createApplication(environment.developmentBuild);
    PerformanceTimer init;
    VLOG << u"Initing app";
    platform.initApplication(arguments);
    startupLate();
    if (!environment.developmentBuild)
        platform.startUpdateCheck();
    g_statStartupInit.add(init.lap());
    g_statStartupPostUI.add(postUi.lap());
    startup.add();

    WindowManager::get().run();

    shutdownTimers();
    clearMainThreadQueue();
    platform.destroyApplication();
    platform.destroyPluginHost();
    shutdownUi();
    shutdownBase();
    return kExitNormal;
}
