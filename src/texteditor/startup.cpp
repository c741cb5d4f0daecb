// Start-up and shutdown of the services every editor window stands on. The
// data directory holds the user's packages and settings; it is mounted into
// the file manager under two names ("UserOptions" for its "Options" folder,
// "Packages" for its packages), and from then on every part of the program
// reads and watches files through those virtual paths only.
#include "texteditor/startup.h"

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "input/binding_map.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/text/meta_info.h"
#include "ui/text/snippet_manager.h"
#include "ui/text/spell_checker.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/syntax/syntax_manager.h"

namespace {

ustring joinPath(const ustring& directory, const ustring& name)
{
    if (directory.empty() || directory.back() == kNativePathSeparator || directory.back() == u'/')
        return directory + name;
    return directory + kNativePathSeparator + name;
}

} // namespace

ustring chooseDataDirectory(const ustring& executableFolder, const ustring& applicationDataFolder,
                            const ustring& dataSwitch)
{
    if (!dataSwitch.empty())
        return dataSwitch;
    const ustring portable = joinPath(executableFolder, u"Data");
    if (!executableFolder.empty() && isDirectory(portable))
        return portable;
    return joinPath(applicationDataFolder, u"Vantrel");
}

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

bool startupBase(const ustring& dataDirectory, FileSystemFactory factory)
{
    slate::FileManager::setInstance(new slate::FileManagerImpl);
    if (!dataDirectory.empty()) {
        const ustring packages = joinPath(dataDirectory, u"Packages");
        const ustring options = joinPath(dataDirectory, u"Options");
        for (const ustring& folder : {dataDirectory, packages, joinPath(packages, u"Default"), options}) {
            if (!createDirectory(folder))
                VLOG << u"Unable to create " << folder;
        }
        if (!mountPath(u"UserOptions", options, factory) || !mountPath(u"Packages", packages, factory)) {
            // The program exits next, so the box must stay up until it is
            // read. Without a notification manager (a tool, a test) the box
            // is shown directly.
            const ustring message = u"Unable to mount data directory, exiting";
            if (NotificationManager::alive())
                NotificationManager::get().displayBlockingError(message);
            else
                showErrorBox(nullptr, u"Error", message);
            return false;
        }
    }
    OptionsManager::create();
    return true;
}

void startupUi()
{
    SyntaxManager::create();
    SyntaxLoader::create();
    Styler::create();
    MetaInfo::create();
    SpellCheckerManager::create();
    BindingSourceManager::create();
    SnippetManager::create();
    OptionsManager::get().watch(u"*.vantrel-theme");
}

void startBackgroundLoads()
{
    if (SnippetManager::alive())
        SnippetManager::get().loadInBackground();
}

void shutdownUi()
{
    // The store stops its loader here, while the file manager it reads
    // through is still up.
    if (SnippetManager::alive())
        SnippetManager::destroy();
    if (BindingSourceManager::alive())
        BindingSourceManager::destroy();
    if (MetaInfo::alive())
        MetaInfo::destroy();
    if (SyntaxManager::alive())
        SyntaxManager::destroy();
    if (Styler::alive())
        Styler::destroy();
    if (SyntaxLoader::alive())
        SyntaxLoader::destroy();
    if (SpellCheckerManager::alive())
        SpellCheckerManager::destroy();
}

void shutdownBase()
{
    if (OptionsManager::alive())
        OptionsManager::destroy();
    if (slate::FileManager::alive())
        slate::FileManager::destroy();
}
