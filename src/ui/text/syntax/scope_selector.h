// Scope selectors: the text with which preferences, colour-scheme rules and
// the spelling settings name the tokens they apply to.
//
//     CompiledSelector selector = compileSelector(u"source.js string - comment");
//     if (selectorMatches(selector, scope->text)) ...
//
//     RegexSelectorSet rules;           // one selector per colour-scheme rule
//     rules.add(compileSelector(u"comment"));
//     rules.add(compileSelector(u"string.quoted"));
//     int rule = rules.bestMatch(scope->text); // -1 when none applies
//
// A selector is a comma-separated list of alternatives. An alternative is a
// path of scope names written outermost first ("source.js string": a string
// somewhere inside script source), optionally followed by exclusions after a
// "-" that is preceded by a blank or ")" ("source - string": source, but not
// where a string is open). A part in brackets may list several paths
// separated by "|". A selector name matches a whole scope name or a prefix of
// one that ends at a dot: "string" matches "string" and "string.quoted", not
// "strings".
//
// A scope string names the scopes of one token innermost first, each followed
// by one blank ("string.quoted.double.js source.js "), as the scope-name pool
// interns them. Match positions count UTF-16 units from its start, so an
// earlier start means a match at a deeper scope.
//
// Ranking between matches: the earlier start wins (the deeper scope); at an
// equal start, the longer match (the more specific selector); at an equal
// start and length, the selector that comes first.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/ustring.h"

// Where a selector matched in a scope string. `start` and `end` are offsets
// in UTF-16 units and mean something only when `matched` is set.
struct SelectorMatch {
    bool matched = false;
    int32_t start = 0;
    int32_t end = 0;

    int32_t length() const { return end - start; }
};

// True when `a` ranks before `b`: `a` matched and `b` did not, or both matched
// and `a` starts earlier, or at the same start is longer. Matches that rank
// alike give false both ways, so a stable sort keeps their order.
bool selectorMatchRanksBefore(const SelectorMatch& a, const SelectorMatch& b);

// A selector compiled for matching. A value: copies share the compiled form,
// which is read-only, so one selector may be matched on several threads at
// once. A default-constructed selector, and one compiled from text that
// names nothing (empty text, only commas and blanks, "()"), is empty and
// matches nothing. An alternative that names nothing is dropped: "a, ,b"
// means "a, b".
class CompiledSelector {
public:
    CompiledSelector() = default;

    bool empty() const { return !m_compiled; }

    // The compiled form: complete only inside the matcher, so the regex
    // library stays out of this header. Null when the selector is empty.
    struct Compiled;
    const Compiled* compiled() const { return m_compiled.get(); }

private:
    explicit CompiledSelector(std::shared_ptr<const Compiled> compiled)
        : m_compiled(std::move(compiled)) {}

    friend CompiledSelector compileSelector(const slate::usubstring& selector);

    std::shared_ptr<const Compiled> m_compiled; // null when empty
};

// Compiles selector text. Bad syntax is never an error: an unmatched bracket
// stays part of its name and is matched literally. Throws ParseException only
// for text that is not well-formed UTF-16 (the message gives the offset of
// the unpaired surrogate) or when the regex library refuses the expression
// built from the text (a pathological size); callers compile at load time,
// catch it there and report it.
CompiledSelector compileSelector(const slate::usubstring& selector);

// Where `selector` first matches `scope`; not matched for an empty selector.
// A failure inside the regex library (such as its complexity limit) is logged
// as "error in regex: " and its text, and counts as no match. Any thread.
SelectorMatch matchNameStack(const CompiledSelector& selector, const slate::usubstring& scope);

// Whether `selector` matches `scope`; false for an empty selector. Any thread.
bool selectorMatches(const CompiledSelector& selector, const slate::usubstring& scope);

// An ordered list of selectors, queried with one scope string at a time. A
// selector's index in the list is what the queries report; empty selectors
// keep their index and never match. The queries are const and may run on
// several threads at once; changing the list may not.
class RegexSelectorSet {
public:
    // Appends `selector` at index size().
    void add(CompiledSelector selector);
    void clear() { m_selectors.clear(); }
    size_t size() const { return m_selectors.size(); }
    bool empty() const { return m_selectors.empty(); }
    const CompiledSelector& operator[](size_t index) const { return m_selectors[index]; }

    // The index of the best-ranked selector that matches `scope`, or -1 when
    // none does.
    int bestMatch(const slate::usubstring& scope) const;
    // Replaces the contents of `indices` with the indices of every selector
    // that matches `scope`, best-ranked first.
    void allMatches(const slate::usubstring& scope, std::vector<int>& indices) const;
    // Whether any selector matches `scope`; stops at the first that does.
    bool anyMatch(const slate::usubstring& scope) const;

private:
    std::vector<CompiledSelector> m_selectors;
};
