// Preferences (".tmPreferences"), loaded through the file manager as the
// preferences are at start-up, then looked up for a few settings and scopes.
// A malformed file is reported and skipped, so nothing may escape the load.
// Seeds: files from tests/data/preferences (licence there).
#include <cstdlib>
#include <vector>

#include "one_file_system.h"
#include "ui/arena_allocator.h"
#include "ui/text/meta_info.h"
#include "ui/text/scope_name_pool.h"

VANTREL_FUZZ_TARGET(preferences)
{
    mountFuzzInput(u"Fuzz.tmPreferences", data, size);
    MetaInfo::create();
    {
        const MetaInfo& preferences = MetaInfo::get();
        if (preferences.entries().size() > 1)
            std::abort();
        ArenaAllocator arena;
        ScopeNamePool pool(arena);
        std::vector<ustring> names{u"increaseIndentPattern", u"symbolTransformation", u"shellVariables"};
        for (const MetaInfo::Entry& entry : preferences.entries())
            for (const auto& setting : entry.settingsDict)
                names.push_back(setting.first);
        for (const char16_t* scope : {u"source", u"source.d", u"source.d meta.definition.method", u"text"}) {
            const ScopeRecord* record = pool.intern(slate::usubstring(scope));
            for (const ustring& name : names)
                preferences.lookup(name, record);
        }
    }
    MetaInfo::destroy();
    slate::FileManager::destroy();
    return 0;
}
