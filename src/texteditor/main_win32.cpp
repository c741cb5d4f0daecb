// The program's entry point: gathers what only Win32 can tell (the command
// line, the executable's and the application-data folders) and runs the
// program (program.h) with the Win32 side of start-up: the Windows file
// system, the single-instance hand-over, the package installer and the
// Win32 window manager. The plug-in host is not part of the program yet; the
// methods marked below are where it plugs in.
#include <windows.h>

#include <string>
#include <vector>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"
#include "filesystem/path_parts.h"
#include "filesystem/windows_file_system.h"
#include "texteditor/package_installer.h"
#include "texteditor/program.h"
#include "texteditor/text_editor_application.h"
#include "ui/log.h"
#include "ui/unicode.h"
#include "window_manager/main_loop.h"
#include "window_manager/windows/single_instance.h"
#include "window_manager/windows/win32_window_manager.h"

namespace {

const DWORD kFullPathCapacity = 4096;

slate::FileSystem* createWindowsFileSystem(const ustring& directory)
{
    return slate::WindowsFileSystem::create(directory);
}

ustring buildTreePath(const char* unixPath)
{
    ustring path = toUstring(unixPath);
    toBackslashes(path);
    return path;
}

class Win32StartupPlatform : public StartupPlatform {
public:
    ustring fullPath(const ustring& path) override
    {
        std::vector<WCHAR> buffer(kFullPathCapacity);
        const DWORD length = GetFullPathNameW(wide(path), kFullPathCapacity, buffer.data(), nullptr);
        if (length == 0 || length >= kFullPathCapacity)
            return ustring();
        return ustring(reinterpret_cast<const uchar*>(buffer.data()), length);
    }

    FileSystemFactory fileSystemFactory() override { return createWindowsFileSystem; }

    void installPackageFile(const ustring& packageFile, const ustring& dataDirectory) override
    {
        ::installPackageFile(packageFile, dataDirectory);
    }

    HandOverResult forwardToRunningInstance(const ustring& mutexName,
                                            const std::vector<ustring>& arguments) override
    {
        return singleInstanceForward(mutexName, arguments);
    }

    // The plug-in host (not built yet): interpreter start, the package
    // set-up hook, plug-in loading and interpreter stop go here.
    void createPluginHost() override { VLOG << u"No plug-in host in this build"; }
    bool runPackageSetup(const ustring&, ustring&) override { return true; }
    void initPluginHost() override {}
    void destroyPluginHost() override {}

    WindowManager* createWindowManager(bool openGL, bool swapChains) override
    {
        VLOG << u"Creating WindowManager with " << (openGL ? u"opengl" : u"direct3d") << u" renderer";
        return new Win32WindowManager((swapChains ? Win32WindowManager::kUseSwapChains : 0) |
                                      (openGL ? Win32WindowManager::kUseOpenGL : 0));
    }

    void createApplication(bool developmentBuild) override
    {
        StartupPlatform::createApplication(developmentBuild);
        g_application->setQuitFunction([](int exitCode) { quitMainLoop(exitCode); });
    }
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    StartupEnvironment environment;
    commandLineArguments(environment.arguments);
    environment.executableFolder = executableDirectory();
    environment.applicationDataFolder = applicationDataDirectory();
    environment.developmentBuild = isDevelopmentBuild(environment.executableFolder, buildTreePath(VANTREL_BUILD_DIR));
    environment.developmentResourceFolder = buildTreePath(VANTREL_SOURCE_DIR);
    environment.developmentSharedPackages = buildTreePath(VANTREL_BUILD_DIR) + u"\\Packages";
    Win32StartupPlatform platform;
    return runProgram(environment, platform);
}
