// The process-wide cache of options files: one shared Options object per
// virtual path, loaded on first use and reloaded in place when its file is
// written, so that every holder, and every Options chained below it, sees
// the new values and its listeners run.
//
// Threads: main thread only, like the file-manager watches that drive the
// reloads.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/ustring.h"

class OptionsManager : public Singleton<OptionsManager> {
public:
    // Creates the singleton (none may exist). Start-up calls it once the file
    // manager has its mounts: it watches "Options/*.vantrel-options",
    // "Packages/*.vantrel-options" and "Packages/*.vantrel-build" for writes.
    // Without a file manager it watches nothing.
    // Singleton::destroy releases its watches first, then its cache (each
    // Options goes when nobody else holds it). Shutdown destroys it before
    // the file manager.
    static void create();

    // The shared options of the file at the virtual path; never null. The
    // first request loads the file (a missing or unreadable one gives empty
    // options, which are cached all the same) and notifies; later requests
    // for the same path, compared exactly, return the same object.
    slate::SP<Options> getOptions(const ustring& path);
    // The path in UTF-8.
    slate::SP<Options> getOptions(const std::string& path);
    // Rereads the cached options of the path in place (parents, children and
    // listeners stay), then notifies them and everything chained below.
    // Nothing for a path that is not cached: it is neither loaded nor cached
    // now. A file that cannot be read just now keeps the values in use and
    // notifies nobody.
    void reload(const ustring& path);
    // Reloads the cached options of every written file that matches
    // `pattern` (see FileManager::addWatch), until destruction. Start-up
    // adds "*.vantrel-theme" this way.
    void watch(const ustring& pattern);

private:
    friend class Singleton<OptionsManager>; // deletes it
    OptionsManager();
    ~OptionsManager();
    OptionsManager(const OptionsManager&) = delete;
    OptionsManager& operator=(const OptionsManager&) = delete;

    // Path to options, compared by exact code units. Only grows.
    std::map<ustring, slate::SP<Options>> m_cache;
    // One per watched pattern; the last release removes the watch.
    std::vector<slate::SP<DirectoryWatchHandle>> m_watches;
};

// The watch callback: OptionsManager::reload of `path` on the manager passed
// as `userData`. The flags are not looked at.
void onOptionsFileChanged(const ustring& path, int32_t flags, void* userData);
