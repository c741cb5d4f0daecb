// Per-scope preferences: the ".tmPreferences" files of the packages, each a
// scope selector ("scope") with a dictionary of named settings ("settings")
// that hold for text in the scopes it matches.
//
//     if (const PlistValue* value = MetaInfo::get().lookup(u"increaseIndentPattern", scope))
//         if (const ustring* pattern = std::any_cast<ustring>(value)) ...
#pragma once

#include <unordered_map>
#include <vector>

#include "filesystem/file_manager.h"
#include "ui/hash.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/syntax/scope_selector.h"
#include "ui/ustring.h"

struct ScopeRecord;

// Singleton, created by start-up once the file manager has its mounts and
// destroyed by shutdown before it. Reads every "Packages/**.tmPreferences"
// when created and again whenever any of them changes. Main thread only.
class MetaInfo : public Singleton<MetaInfo> {
public:
    // The known values of one setting name. Both lists are in load order and
    // of equal length: selectorSet[i] is the selector of the file that gives
    // values[i].
    struct SettingInfo {
        RegexSelectorSet selectorSet;
        PlistArray values;
    };

    // One file that loaded: its compiled "scope" and a copy of its whole
    // "settings" dictionary.
    struct Entry {
        CompiledSelector compiledSelector;
        PlistDict settingsDict;
    };

    // Creates the singleton (none may exist), watches the preference files
    // (when there is a file manager) and loads them all.
    static void create();
    // Singleton::destroy releases the watch first.

    // The value of the setting `name` for `scope`, from the file whose
    // selector matches the scope best: the match at the deepest scope, then
    // the longest match, then the file whose path sorts first. Null when no
    // file sets the name, no selector of it matches, or `scope` is null. The
    // pointer is valid until the next reload.
    const PlistValue* lookup(const ustring& name, const ScopeRecord* scope) const;

    // Rereads every preference file in path order. A file that cannot be read
    // or is malformed is reported ("Error loading meta info from PATH: ...")
    // and skipped. Invalidates every pointer from lookup and every reference
    // into entries().
    void reload();

    // Every file that loaded, in load order, for scans over all preferences.
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    friend class Singleton<MetaInfo>; // deletes it
    MetaInfo();
    ~MetaInfo();
    MetaInfo(const MetaInfo&) = delete;
    MetaInfo& operator=(const MetaInfo&) = delete;

    static void onPreferencesChanged(const ustring& path, int32_t flags, void* userData);

    // Declaration order gives the destruction order: the watch, the entries,
    // then the setting map.
    std::unordered_map<ustring, SettingInfo, UstringHash> m_settingInfos;
    std::vector<Entry> m_entries;
    slate::SP<DirectoryWatchHandle> m_watch;

};
