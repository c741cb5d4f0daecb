// The indentation patterns are tested on every line break typed, so the
// preference lookup (a scope-selector match over every preference file) and
// the compilation run once per scope and setting, and each later test is a
// vector index and one anchored match. Scope ids are dense, hence vectors
// rather than maps. Patterns come from package files: one that does not
// compile must not break typing, so it is reported once and then behaves as
// the never-matching pattern that stands in for a missing setting.
#include "ui/text/indent_pattern_cache.h"

#include <algorithm>

#include "ui/log.h"
#include "ui/text/meta_info.h"
#include "ui/text/scope_name_pool.h"

namespace {

// Nothing can come before the start of the text, so this never matches.
const uchar kNeverMatches[] = u"a^";

class PreferenceSettings final : public ScopeSettingSource {
public:
    const std::any* lookup(const ustring& name, const ScopeRecord* scope) const override
    {
        if (!MetaInfo::alive())
            return nullptr;
        return MetaInfo::get().lookup(name, scope);
    }
};

} // namespace

const ScopeSettingSource& preferenceSettings()
{
    static const PreferenceSettings settings;
    return settings;
}

IndentPatternCache::IndentPatternCache(const ScopeSettingSource& settings) : m_settings(settings)
{
}

bool IndentPatternCache::matchesIncreaseIndent(const ustring& text, const ScopeRecord* scope)
{
    static const ustring name(u"increaseIndentPattern");
    return matches(text, scope, name, m_increase);
}

bool IndentPatternCache::matchesDecreaseIndent(const ustring& text, const ScopeRecord* scope)
{
    static const ustring name(u"decreaseIndentPattern");
    return matches(text, scope, name, m_decrease);
}

const CachedRegex* IndentPatternCache::compiledPattern(const ustring& pattern)
{
    auto found = m_compiled.find(pattern);
    if (found != m_compiled.end())
        return &found->second;
    const slate::usubstring text(pattern.data(), pattern.data() + pattern.size());
    CachedRegex compiled;
    try {
        compiled = CachedRegex(text);
    } catch (const oniguruma::regex_error& error) {
        VLOG << u"Indentation pattern ignored: " << error.what();
        static const ustring never(kNeverMatches);
        compiled = CachedRegex(slate::usubstring(never.data(), never.data() + never.size()));
    }
    return &m_compiled.emplace(pattern, std::move(compiled)).first->second;
}

bool IndentPatternCache::matches(const ustring& text, const ScopeRecord* scope,
                                 const ustring& name, std::vector<const CachedRegex*>& vector)
{
    if (!scope || scope->id < 0)
        return false;
    const size_t index = static_cast<size_t>(scope->id);
    if (index >= vector.size())
        vector.resize(index + 1, nullptr);
    if (!vector[index]) {
        const std::any* value = m_settings.lookup(name, scope);
        const ustring* pattern = value ? std::any_cast<ustring>(value) : nullptr;
        vector[index] = compiledPattern(pattern ? *pattern : ustring(kNeverMatches));
    }

    const CachedRegex& compiled = *vector[index];
    const uchar* start = text.data();
    const uchar* end = start + text.size();
    try {
        // A search whose range ends where it starts tries that one place
        // only: a match anchored at the start of the text.
        return onigSearch(start, start, start, end, m_region, compiled, true);
    } catch (const oniguruma::regex_error& error) {
        if (std::find(m_reportedFailures.begin(), m_reportedFailures.end(), &compiled) ==
            m_reportedFailures.end()) {
            m_reportedFailures.push_back(&compiled);
            VLOG << u"Indentation pattern failed: " << error.what();
        }
        return false;
    }
}

const CachedRegex* IndentPatternCache::patternFor(const ScopeRecord* scope,
                                                  const ustring& name) const
{
    if (!scope || scope->id < 0)
        return nullptr;
    const std::vector<const CachedRegex*>& vector =
        name == u"increaseIndentPattern" ? m_increase : m_decrease;
    const size_t index = static_cast<size_t>(scope->id);
    return index < vector.size() ? vector[index] : nullptr;
}
