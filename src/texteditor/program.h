// The program from entry to exit: deciding the data directory, reading the
// command line, the install run, the single-instance hand-over, bringing up
// the services, the application and the message loop, and shutdown in the
// reverse order. The steps and their order live in runProgram; what is
// platform (Win32 calls) or not part of the program yet (the plug-in host,
// the update check) is reached through StartupPlatform, which the entry
// point implements over Win32 and tests replace.
#pragma once

#include <vector>

#include "texteditor/command_line_arguments.h"
#include "texteditor/startup.h"
#include "texteditor/startup_rules.h"
#include "ui/ustring.h"

class NotificationManager;

// What the entry point gathers before anything else runs.
struct StartupEnvironment {
    std::vector<ustring> arguments; // the command line without the program name
    ustring executableFolder;
    ustring applicationDataFolder;  // empty when unknown
    bool developmentBuild = false;
    // Development build only: the build's resource folder (its "Packages"
    // is mounted) and the build tree's shared packages.
    ustring developmentResourceFolder;
    ustring developmentSharedPackages;
};

class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;

    // The notification manager was just made; the platform may set how its
    // boxes are shown.
    virtual void notificationManagerCreated(NotificationManager&) {}
    // Makes a path absolute (for "--data").
    virtual ustring fullPath(const ustring& path) = 0;
    virtual FileSystemFactory fileSystemFactory() = 0;
    // Asks the user and copies one package file into the data directory's
    // "Installed Packages".
    virtual void installPackageFile(const ustring& packageFile, const ustring& dataDirectory) = 0;
    virtual HandOverResult forwardToRunningInstance(const ustring& mutexName,
                                                    const std::vector<ustring>& arguments) = 0;

    // The plug-in host. Until it exists these are the only places that
    // would start, initialise and stop it and run the package set-up hook.
    virtual void createPluginHost() = 0;
    // False, with the reason in `message`, when the hook failed.
    virtual bool runPackageSetup(const ustring& dataDirectory, ustring& message) = 0;
    virtual void initPluginHost() = 0;
    virtual void destroyPluginHost() = 0;

    // The window manager for the chosen renderer; installed by startupUi.
    virtual WindowManager* createWindowManager(bool openGL, bool swapChains) = 0;

    // The application object: constructed (and g_application set), then
    // initialised with the command line (false when it has no window), and
    // deleted after the loop (g_application cleared). The defaults do just
    // that with the TextEditorApplication.
    virtual void createApplication(bool developmentBuild);
    virtual bool initApplication(const CommandLineArguments& arguments);
    // Starts the update check when the application's option asks for it.
    // The update check is not part of the program yet: the default only
    // logs that it would start.
    virtual void startUpdateCheck();
    virtual void destroyApplication();
};

// The data directory the command line leaves: the rule's choice, replaced
// by a usable "--data" value.
ustring decideDataDirectory(const StartupEnvironment& environment, const CommandLineArguments& arguments,
                            const FullPathFunction& fullPath);

// Runs the program and returns its exit code (kExitNormal,
// kExitDataDirectoryUnusable, kExitPackageSetupFailed). Sets the debug
// output flag first. Main thread; once per process (tests may run it again
// after restarting the timer queue).
int runProgram(const StartupEnvironment& environment, StartupPlatform& platform);
