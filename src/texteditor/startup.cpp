// Start-up and shutdown of the services every editor window stands on. The
// data directory holds the user's packages and settings; it is mounted into
// the file manager under two names ("UserOptions" for its "Options" folder,
// "Packages" for its packages), and from then on every part of the program
// reads and watches files through those virtual paths only.
//
// A data directory that cannot be used ends the program, so nothing may be
// left behind on the way: the folders are checked before any is created.
#include "texteditor/startup.h"

#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "input/binding_map.h"
#include "texteditor/startup_rules.h"
#include "ui/log.h"
#include "ui/menu_descriptor.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/statistics.h"
#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/meta_info.h"
#include "ui/text/snippet_manager.h"
#include "ui/text/spell_checker.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/syntax/syntax_manager.h"
#include "window_manager/window_manager.h"

namespace {

const uchar kMountFailedMessage[] = u"Unable to mount data directory, exiting";

// Creates the missing folders in order (each one's parent comes before it).
// False, with nothing created, when one of them is a file; false when a
// creation fails, with the folders after it left alone.
bool createFolders(const std::vector<ustring>& folders)
{
    for (const ustring& folder : folders) {
        if (isFile(folder)) {
            VLOG << u"Unable to create " << folder << u": a file is in the way";
            return false;
        }
    }
    for (const ustring& folder : folders) {
        if (!isDirectory(folder) && !createDirectory(folder)) {
            VLOG << u"Unable to create " << folder;
            return false;
        }
    }
    return true;
}

bool mountDataDirectory(const ustring& dataDirectory, FileSystemFactory factory)
{
    VLOG << u"Using user path of " << dataDirectory;
    const ustring packages = joinNativePath(dataDirectory, u"Packages");
    const ustring options = joinNativePath(dataDirectory, u"Options");
    // A folder that cannot be created cannot be mounted either; the mounts
    // below report it.
    createFolders({dataDirectory, packages, joinNativePath(packages, u"Default"), options});
    return mountPath(u"UserOptions", options, factory) && mountPath(u"Packages", packages, factory);
}

} // namespace

bool mountPath(const ustring& mountPoint, const ustring& nativeDirectory, FileSystemFactory factory)
{
    slate::FileSystem* system = factory(nativeDirectory);
    if (!system) {
        VLOG << u"Unable to mount FS";
        return false;
    }
    VLOG << u"Got FS, adding at " << mountPoint;
    slate::FileManager::get().mount(mountPoint, system);
    return true;
}

bool startupBase(const ustring& applicationName, const StartupFolders& folders, FileSystemFactory factory)
{
    if (!NotificationManager::alive())
        NotificationManager::set(new NotificationManager(applicationName));
    VLOG << u"Creating FileManager";
    slate::FileManager::setInstance(new slate::FileManagerImpl);

    bool mounted = folders.dataDirectory.empty() || mountDataDirectory(folders.dataDirectory, factory);
    if (mounted) {
        VLOG << u"Using base path of " << folders.basePath;
        if (folders.developmentBuild) {
            // The build tree's own folders; a fresh checkout has none yet.
            const ustring basePackages = joinNativePath(folders.basePath, u"Packages");
            createFolders({basePackages});
            createFolders({folders.sharedPackages});
            mounted = mountPath(u"Packages", basePackages, factory) &&
                      mountPath(u"Packages", folders.sharedPackages, factory);
        }
    }
    if (!mounted) {
        // The program exits next, so the box stays up until it is read.
        NotificationManager::get().displayBlockingError(kMountFailedMessage);
        return false;
    }
    OptionsManager::create();
    return true;
}

void startupUi(WindowManager* windowManager)
{
    ScopedTimer timer(g_statStartupUI);
    VASSERT(NotificationManager::alive());
    VASSERT(slate::FileManager::alive());
    VASSERT(OptionsManager::alive());
    if (windowManager)
        WindowManager::create(windowManager);
    BindingSourceManager::create();
    SyntaxManager::create();
    // The file-type button of the status bar shows the syntax menu by name.
    SyntaxManager::get().setMenuPublisher([](const SyntaxMenu& menu) {
        if (WindowManager::alive())
            WindowManager::get().setMenu(u"setFileType", syntaxMenuDescriptor(menu));
    });
    SyntaxLoader::create();
    Styler::create();
    SnippetManager::create();
    MetaInfo::create();
    SpellCheckerManager::create();
    OptionsManager::get().watch(u"*.vantrel-theme");
}

slate::SP<MenuDescriptor> syntaxMenuDescriptor(const SyntaxMenu& menu)
{
    slate::SP<MenuDescriptor> result(new MenuDescriptor);
    slate::SP<MenuDescriptor> assign(new MenuDescriptor(menu.submenuCaption));
    for (const SyntaxMenuItem& item : menu.assignItems)
        assign->addItem(item.caption, item.command);
    result->addSubmenu(assign);
    result->addSeparator();
    for (const SyntaxMenuItem& item : menu.setItems)
        result->addItem(item.caption, item.command);
    return result;
}

void startupLate()
{
    if (SnippetManager::alive())
        SnippetManager::get().loadInBackground();
}

void shutdownUi()
{
    if (WindowManager::alive())
        WindowManager::destroy();
    if (MetaInfo::alive())
        MetaInfo::destroy();
    // The store stops and joins its loader here, while the file manager it
    // reads through is still up.
    if (SnippetManager::alive())
        SnippetManager::destroy();
    if (SyntaxManager::alive())
        SyntaxManager::destroy();
    if (Styler::alive())
        Styler::destroy();
    if (SyntaxLoader::alive())
        SyntaxLoader::destroy();
    if (SpellCheckerManager::alive())
        SpellCheckerManager::destroy();
    if (BindingSourceManager::alive())
        BindingSourceManager::destroy();
}

void shutdownBase()
{
    if (OptionsManager::alive())
        OptionsManager::destroy();
    if (slate::FileManager::alive())
        slate::FileManager::destroy();
    if (NotificationManager::alive())
        NotificationManager::destroy();
    onigCleanup();
}
