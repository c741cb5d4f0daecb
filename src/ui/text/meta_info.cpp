// Per-scope preferences from the packages' ".tmPreferences" files. Every file
// is read at start-up and the whole set again on any change to any of them:
// there are few files, the property-list cache makes rereading cheap, and a
// full reload keeps the load order (sorted paths), on which ties between equal
// selectors depend, without bookkeeping per file. Lookups are by setting name
// first, so a question about one setting only matches the selectors of the
// files that set it.
#include "ui/text/meta_info.h"

#include <any>
#include <exception>
#include <string>

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/statistics.h"
#include "ui/text/parse_exception.h"
#include "ui/text/scope_name_pool.h"
#include "ui/unicode.h"

namespace {

const char16_t kPreferencesDirectory[] = u"Packages/";
const char16_t kPreferencesPattern[] = u"*.tmPreferences";
const char16_t kPreferencesWatchPattern[] = u"Packages/*.tmPreferences";
// What users have always been shown for a value of the wrong type.
const char16_t kWrongTypeMessage[] = u"boost::bad_any_cast: failed conversion using boost::any_cast";

// Reads one preference file. Throws ParseException, or std::bad_any_cast when
// the root, "scope" or "settings" has the wrong type.
MetaInfo::Entry loadEntry(const ustring& path)
{
    PlistValue root;
    loadPlist(path, root, true);
    const PlistDict& dict = std::any_cast<const PlistDict&>(root);

    // The scope comes first, so a file without either key is reported for
    // its scope.
    const ustring& scope = requirePlistString(dict, u"scope");
    MetaInfo::Entry entry;
    try {
        entry.compiledSelector = compileSelector(scope);
    } catch (const std::exception& error) {
        throw ParseException(u"Bad scope selector \"" + scope + u"\": " + toUstring(error.what()));
    }

    auto settings = dict.find(u"settings");
    if (settings == dict.end())
        throw ParseException(std::string("No settings key"));
    entry.settingsDict = std::any_cast<const PlistDict&>(settings->second);
    return entry;
}

void reportError(const ustring& path, const ustring& message)
{
    const ustring text = u"Error loading meta info from " + path + u": " + message;
    if (NotificationManager::alive())
        NotificationManager::get().displayError(text);
    else
        VLOG << text;
}

} // namespace

void MetaInfo::create()
{
    install(new MetaInfo);
}

MetaInfo::MetaInfo()
{
    if (slate::FileManager::alive())
        m_watch = DirectoryWatchHandle::watch(
            kPreferencesWatchPattern, FileChangeModified | FileChangeAdded | FileChangeRemoved,
            &MetaInfo::onPreferencesChanged, this);
    reload();
}

MetaInfo::~MetaInfo()
{
    m_watch.reset();
}

const PlistValue* MetaInfo::lookup(const ustring& name, const ScopeRecord* scope) const
{
    auto found = m_settingInfos.find(name);
    if (found == m_settingInfos.end())
        return nullptr;
    const SettingInfo& info = found->second;
    VASSERT(info.selectorSet.size() == info.values.size());
    if (!scope)
        return nullptr;
    const int index = info.selectorSet.bestMatch(scope->text);
    if (index < 0)
        return nullptr;
    return &info.values[static_cast<size_t>(index)];
}

void MetaInfo::reload()
{
    ScopedTimer timer(g_statMetaInfoReload);

    std::vector<ustring> files;
    if (slate::FileManager::alive())
        slate::FileManager::get().findFiles(kPreferencesDirectory, kPreferencesPattern, files);

    m_settingInfos.clear();
    m_entries.clear();
    for (const ustring& path : files) {
        Entry entry;
        try {
            entry = loadEntry(path);
        } catch (const ParseException& error) {
            reportError(path, toUstring(error.what()));
            continue;
        } catch (const std::bad_any_cast&) {
            reportError(path, kWrongTypeMessage);
            continue;
        }
        for (const auto& setting : entry.settingsDict) {
            SettingInfo& info = m_settingInfos[setting.first];
            info.selectorSet.add(entry.compiledSelector);
            info.values.push_back(setting.second);
        }
        m_entries.push_back(std::move(entry));
    }
}

void MetaInfo::onPreferencesChanged(const ustring&, int32_t, void* userData)
{
    static_cast<MetaInfo*>(userData)->reload();
}
