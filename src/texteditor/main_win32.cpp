// The program's entry point. It decides where the user's data lives, brings
// up the base services (file manager, mounts, options) and the language
// services on them, runs the message loop, and tears everything down in the
// reverse order before the process exits. The editor window is not part of
// the program yet, so the loop is told to end as soon as it starts.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "filesystem/file_utils.h"
#include "filesystem/path_parts.h"
#include "filesystem/windows_file_system.h"
#include "texteditor/startup.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/notification_manager.h"
#include "ui/performance_timer.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"
#include "ui/text/lexer/onig_scanner.h"
#include "ui/timer_queue.h"
#include "ui/unicode.h"
#include "window_manager/main_loop.h"

namespace {

const char16_t kApplicationTitle[] = u"Vantrel";

std::vector<ustring> commandLineArguments()
{
    std::vector<ustring> arguments;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; words && i < count; ++i)
        arguments.emplace_back(reinterpret_cast<const uchar*>(words[i]));
    LocalFree(words);
    return arguments;
}

// True when the executable runs from the tree it was built in.
bool isDevelopmentBuild()
{
    ustring folder = executableDirectory();
    const size_t colon = folder.find(u':');
    if (colon != ustring::npos)
        folder.erase(0, colon + 1);
    ustring buildTree = toUstring(VANTREL_BUILD_DIR);
    toBackslashes(buildTree);
    return slate::usubstring(folder).equalsNoCase(slate::usubstring(buildTree));
}

slate::FileSystem* createWindowsFileSystem(const ustring& directory)
{
    return slate::WindowsFileSystem::create(directory);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    g_debugOutputEnabled = isDevelopmentBuild();
    ustring dataSwitch;
    const std::vector<ustring> arguments = commandLineArguments();
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--debug")
            g_debugOutputEnabled = true;
        else if (arguments[i] == u"--data" && i + 1 < arguments.size())
            dataSwitch = arguments[++i];
    }

    NotificationManager::set(new NotificationManager(kApplicationTitle));
    {
        ScopedTimer startupTimer(g_statStartup);
        const ustring dataDirectory =
            chooseDataDirectory(executableDirectory(), applicationDataDirectory(), dataSwitch);
        VLOG << u"Data directory " << dataDirectory;
        if (!startupBase(dataDirectory, createWindowsFileSystem)) {
            shutdownBase();
            NotificationManager::destroy();
            return 1;
        }
        {
            ScopedTimer uiTimer(g_statStartupUI);
            startupUi();
        }
        VLOG << u"File manager, options manager, syntaxes, colour schemes, preferences and spelling are up";

        if (!createMainLoopWindow()) {
            VLOG << u"Unable to create the main loop window, exiting";
            return 1;
        }
        VLOG << u"Main loop window receives queued calls (message " << WM_RUN_QUEUED_CALLS << u")";
        postToMainThread(startBackgroundLoads);
        postToMainThread([] { quitMainLoop(0); });
    }

    const int loopResult = runMainLoop();
    VLOG << u"Main loop ended with " << loopResult;

    shutdownTimers();
    clearMainThreadQueue();
    destroyMainLoopWindow();
    shutdownUi();
    shutdownBase();
    NotificationManager::destroy();
    onigCleanup();
    return 0;
}
