// Colour schemes (".tmTheme"), loaded through the file manager as the styler
// loads them, then asked for the styles of a few scopes. Only
// ParseException may come out of the load, as only that is caught; the
// styles must come out of whatever was loaded. Seeds: a scheme from
// tests/data/themes (licences there) and small hand-made ones.
#include <cstdlib>

#include "one_file_system.h"
#include "ui/arena_allocator.h"
#include "ui/text/parse_exception.h"
#include "ui/text/scope_name_pool.h"
#include "ui/text/syntax/regex_selector_styler.h"

VANTREL_FUZZ_TARGET(colour_scheme)
{
    mountFuzzInput(u"Fuzz.tmTheme", data, size);
    {
        slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        try {
            scheme->loadFromFile(u"Packages/Fuzz.tmTheme");
        } catch (const ParseException&) {
        }
        if (scheme->selectors().size() != scheme->ruleSettings().size())
            std::abort();

        ArenaAllocator arena;
        ScopeNamePool pool(arena);
        scheme->styleForScope(nullptr);
        for (const char16_t* scope : {u"source", u"source.c comment.line", u"text.plain markup.bold string",
                                      u"source.d meta.definition.method entity.name.function"})
            scheme->styleForScope(pool.intern(slate::usubstring(scope)));
    }
    slate::FileManager::destroy();
    return 0;
}
