// The indentation patterns are tested on every line break typed, so the
// preference lookup (a scope-selector match over every preference file) and
// the compilation run once per scope and setting, and each later test is a
// vector index and one anchored match. Scope ids are dense, hence vectors
// rather than maps. Patterns come from package files: one that does not
// compile must not break typing, so it is reported once and then behaves as
// the never-matching pattern that stands in for a missing setting.
//
// The patterns are compiled by the grammar scanner, so they share its
// engine settings (and its UTF-8 form of the text); the test itself is the
// engine's anchored match at the first unit, which the scanner's search
// interface does not offer. This file and the scanner are the only ones that
// see Oniguruma's header.
#include "ui/text/indent_pattern_cache.h"

#include <oniguruma.h>

#include <algorithm>
#include <string>
#include <unordered_set>

#include "ui/log.h"
#include "ui/text/encoding.h"
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

// Whether `regex` matches at the start of `text`, whatever length it
// matches. The engine reads UTF-8, in which a lone surrogate takes the
// three-byte form of its value, as the scanner converts it.
bool matchesAtStart(const OnigRegexRef& regex, const ustring& text, std::string& bytes)
{
    bytes.resize(text.size() * 3);
    const uchar* source = text.data();
    const size_t written =
        encodeChunk(kEncodingUtf8, source, text.data() + text.size(),
                    reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), true);
    const OnigUChar* begin = reinterpret_cast<const OnigUChar*>(bytes.data());
    const int result = onig_match(static_cast<OnigRegex>(regex.engineRegex()), begin,
                                  begin + written, begin, nullptr, ONIG_OPTION_NONE);
    if (result >= 0)
        return true;
    if (result == ONIG_MISMATCH)
        return false;
    OnigUChar message[ONIG_MAX_ERROR_MESSAGE_LEN] = {};
    onig_error_code_to_str(message, result);
    throw oniguruma::regex_error(std::string(reinterpret_cast<const char*>(message)));
}

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
        // Every buffer keeps its own cache, but the preference file is one:
        // report each bad pattern once per process, not once per buffer.
        static std::unordered_set<ustring, UstringHash> s_reported;
        if (s_reported.insert(pattern).second)
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
    try {
        return matchesAtStart(*compiled.regex(), text, m_bytes);
    } catch (const oniguruma::regex_error& error) {
        if (std::find(m_reportedFailures.begin(), m_reportedFailures.end(), &compiled) ==
            m_reportedFailures.end()) {
            m_reportedFailures.push_back(&compiled);
            // Rare enough to look the text up by walking the table.
            const ustring* pattern = nullptr;
            for (const auto& entry : m_compiled)
                if (&entry.second == &compiled)
                    pattern = &entry.first;
            VLOG << u"Indentation pattern failed: " << error.what() << u" in regex "
                 << (pattern ? *pattern : ustring());
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
