// Whether a line should change the indentation of what follows it: the
// per-scope preference settings "increaseIndentPattern" and
// "decreaseIndentPattern", regular expressions tested at the start of a line.
// Each buffer owns one cache, which looks each scope's setting up once and
// compiles each distinct pattern text once.
//
//     if (buffer.indentPatterns().matchesIncreaseIndent(lineText, scope)) ...
#pragma once

#include <any>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/hash.h"
#include "ui/text/lexer/multi_matcher.h"
#include "ui/ustring.h"

struct ScopeRecord;

// Where the cache reads the per-scope settings: the preferences in the
// program, a table in tests.
class ScopeSettingSource {
public:
    virtual ~ScopeSettingSource() = default;
    // The value of the setting `name` for `scope`, or null when none
    // applies. The value must stay valid for the duration of the call's
    // caller (the cache copies what it keeps).
    virtual const std::any* lookup(const ustring& name, const ScopeRecord* scope) const = 0;
};

// The preferences (`MetaInfo`) while they exist; no settings otherwise. Lives
// for the whole process.
const ScopeSettingSource& preferenceSettings();

// Main thread only, like its buffer.
class IndentPatternCache {
public:
    // `settings` must outlive the cache.
    explicit IndentPatternCache(const ScopeSettingSource& settings = preferenceSettings());
    IndentPatternCache(const IndentPatternCache&) = delete;
    IndentPatternCache& operator=(const IndentPatternCache&) = delete;

    // Whether the scope's pattern matches at the start of `text` (usually
    // one line without its line break). False for a null scope, for a scope
    // without the setting, and for a pattern that does not compile or whose
    // match fails: such a fault is logged (a pattern that does not compile
    // once per process, a failing match once per cache) and never thrown.
    bool matchesIncreaseIndent(const ustring& text, const ScopeRecord* scope);
    bool matchesDecreaseIndent(const ustring& text, const ScopeRecord* scope);

    // The shared work of both: looks the setting `name` up for `scope` on
    // first use and keeps its compiled pattern in `vector`, indexed by the
    // scope's id.
    bool matches(const ustring& text, const ScopeRecord* scope, const ustring& name,
                 std::vector<const CachedRegex*>& vector);

    // The number of distinct pattern texts compiled so far.
    size_t compiledCount() const { return m_compiled.size(); }
    // The compiled pattern kept for `scope` under `name`, or null when it has
    // not been looked up. For tests.
    const CachedRegex* patternFor(const ScopeRecord* scope, const ustring& name) const;

private:
    const CachedRegex* compiledPattern(const ustring& pattern);

    const ScopeSettingSource& m_settings;
    // Every pattern compiled so far by text. A pattern that does not compile
    // is kept too, holding the never-matching pattern, so it is compiled
    // (and fails) only once. Node-based: the vectors point into it.
    std::unordered_map<ustring, CachedRegex, UstringHash> m_compiled;
    // Indexed by scope id; null = not looked up yet.
    std::vector<const CachedRegex*> m_increase;
    std::vector<const CachedRegex*> m_decrease;
    // The texts whose match already failed once, so the failure is logged
    // only then.
    std::vector<const CachedRegex*> m_reportedFailures;
    std::string m_bytes; // the UTF-8 form of the text matched last, reused
};
