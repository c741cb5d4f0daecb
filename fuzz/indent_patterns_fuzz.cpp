// Indentation patterns, as a buffer's pattern cache reads them from the
// preferences: the input is UTF-16 text whose first line is the increase
// pattern, the second the decrease pattern and the rest lines tested against
// both. A pattern that does not compile or fails to match counts as no
// match; nothing may be thrown.
#include <any>
#include <map>

#include "fuzz_target.h"
#include "ui/arena_allocator.h"
#include "ui/text/indent_pattern_cache.h"
#include "ui/text/scope_name_pool.h"

namespace {

// The two patterns for the one scope that has settings.
class PatternSettings final : public ScopeSettingSource {
public:
    PatternSettings(const ScopeRecord* scope, const ustring& increase, const ustring& decrease)
        : m_scope(scope), m_values{{u"increaseIndentPattern", increase}, {u"decreaseIndentPattern", decrease}}
    {
    }
    const std::any* lookup(const ustring& name, const ScopeRecord* scope) const override
    {
        auto found = m_values.find(name);
        return scope == m_scope && found != m_values.end() ? &found->second : nullptr;
    }

private:
    const ScopeRecord* m_scope;
    std::map<ustring, std::any> m_values;
};

// The text up to the next line feed (or the end), and `from` moved past it.
ustring nextLine(const ustring& text, size_t& from)
{
    size_t end = text.find(u'\n', from);
    if (end == ustring::npos)
        end = text.size();
    ustring line = text.substr(from, end - from);
    from = end < text.size() ? end + 1 : end;
    return line;
}

} // namespace

VANTREL_FUZZ_TARGET(indent_patterns)
{
    const ustring text = fuzzUnits(data, size);
    size_t at = 0;
    const ustring increase = nextLine(text, at);
    const ustring decrease = nextLine(text, at);

    ArenaAllocator arena;
    ScopeNamePool pool(arena);
    const ScopeRecord* withPatterns = pool.intern(slate::usubstring(u"source.fuzz"));
    const ScopeRecord* without = pool.intern(slate::usubstring(u"text.plain"));
    PatternSettings settings(withPatterns, increase, decrease);
    IndentPatternCache cache(settings);
    do {
        const ustring line = nextLine(text, at);
        for (const ScopeRecord* scope : {withPatterns, without}) {
            cache.matchesIncreaseIndent(line, scope);
            cache.matchesDecreaseIndent(line, scope);
        }
    } while (at < text.size());
    return 0;
}
