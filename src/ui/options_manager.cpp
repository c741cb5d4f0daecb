// The options cache hands out one Options object per path so that a change
// to a file reaches everyone at once: the object is reloaded in place rather
// than replaced, and holders keep their pointers, links and listeners. The
// file manager's watches tell it which files were written; a change under a
// path that was never asked for is ignored rather than loaded, since nobody
// would see it.
#include "ui/options_manager.h"

#include "ui/log.h"
#include "ui/unicode.h"

namespace {

const char16_t* const kWatchedPatterns[] = {
    u"Options/*.vantrel-options",
    u"Packages/*.vantrel-options",
    u"Packages/*.vantrel-build",
};

} // namespace

void OptionsManager::create()
{
    install(new OptionsManager);
}

OptionsManager::OptionsManager()
{
    for (const char16_t* pattern : kWatchedPatterns)
        watch(pattern);
}

OptionsManager::~OptionsManager()
{
    m_watches.clear();
    m_cache.clear();
}

slate::SP<Options> OptionsManager::getOptions(const ustring& path)
{
    auto found = m_cache.find(path);
    if (found != m_cache.end())
        return found->second;
    slate::SP<Options> options(new Options);
    options->load(path);
    options->notifyChanged();
    m_cache.emplace(path, options);
    return options;
}

slate::SP<Options> OptionsManager::getOptions(const std::string& path)
{
    return getOptions(toUstring(path));
}

void OptionsManager::reload(const ustring& path)
{
    auto found = m_cache.find(path);
    if (found == m_cache.end())
        return;
    slate::SP<Options> options = found->second;
    if (!options->reload(path)) {
        VLOG << u"Kept the options of " << path << u": the changed file could not be read";
        return;
    }
    options->notifyChanged();
}

void OptionsManager::watch(const ustring& pattern)
{
    if (!slate::FileManager::alive())
        return;
    // Saves replace a file through a temporary file and a rename (ours do,
    // and so do most editors'), which the watcher reports as an addition: a
    // watch for modifications alone would miss every such save.
    m_watches.push_back(DirectoryWatchHandle::watch(pattern, FileChangeModified | FileChangeAdded,
                                                    onOptionsFileChanged, this));
}

void onOptionsFileChanged(const ustring& path, int32_t flags, void* userData)
{
    static_cast<OptionsManager*>(userData)->reload(path);
}
