// One colour scheme: the global colours of a ".tmTheme" file and its rules,
// each a scope selector with a few settings, turned into a `Style` per scope.
//
//     slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
//     scheme->loadFromFile(u"Packages/Themes/Dark.tmTheme"); // throws ParseException
//     const Style* style = scheme->styleForScope(scope);
//
// Views do not call it directly: they go through a ScopeStyler, which caches
// the style per scope id.
#pragma once

#include <map>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/text/syntax/scope_selector.h"
#include "ui/text/syntax/style.h"
#include "ui/ustring.h"

struct ScopeRecord;

// Shared by slate::SP between the Styler's scheme cache and every ScopeStyler
// over it; the last release deletes it and with it every Style it handed out.
// Main thread only: styleForScope fills a cache without a lock.
class RegexSelectorStyler : public slate::ReferenceCounted<RegexSelectorStyler> {
public:
    // Setting name to value, as a rule or the global entry of a scheme file
    // writes them.
    using Settings = std::map<ustring, ustring>;

    // An empty scheme: no settings, no rules, default SchemeColours. Every
    // scope gets a default Style.
    RegexSelectorStyler();
    ~RegexSelectorStyler();
    RegexSelectorStyler(const RegexSelectorStyler&) = delete;
    RegexSelectorStyler& operator=(const RegexSelectorStyler&) = delete;

    // Fills a new scheme from the ".tmTheme" property list at `path` (virtual,
    // or native when the file manager does not know it); call it once, before
    // the first styleForScope, since styles already handed out stay. Throws
    // ParseException when the file cannot be read or parsed ("Malformed color
    // scheme", "Unabled to open color scheme PATH: malformed plist", "..., bad
    // regex: ..."); the scheme is then left as it was.
    void loadFromFile(const ustring& path);

    // The style of `scope` (null allowed: the style of no scope), made on the
    // first request for its merged settings and cached. The pointer stays
    // valid as long as the scheme lives; scopes whose merged settings agree
    // share one pointer.
    const Style* styleForScope(const ScopeRecord* scope);

    const SchemeColours& colours() const { return m_colours; }

    // The settings of the scope-less entries, without "background" (which
    // has gone into colours()).
    const Settings& globalSettings() const { return m_globalSettings; }
    // One settings map per rule, in file order; alpha colours already blended.
    const std::vector<Settings>& ruleSettings() const { return m_ruleSettings; }
    // The rules' selectors: index i belongs to ruleSettings()[i].
    const RegexSelectorSet& selectors() const { return m_selectors; }

private:
    Settings m_globalSettings;
    SchemeColours m_colours;
    std::vector<Settings> m_ruleSettings;
    RegexSelectorSet m_selectors; // parallel to m_ruleSettings
    // Keyed by the merged settings of a scope, every key included. Map nodes
    // never move, so pointers to the styles stay valid while the scheme lives.
    std::map<Settings, Style> m_styleCache;
    std::vector<int> m_matches; // scratch for styleForScope
};
