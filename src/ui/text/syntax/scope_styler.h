// The styles of one view or one token storage: a front over a colour scheme
// that remembers the style of every scope it was asked about, by the scope's
// id, so that styling a token while drawing costs one vector index.
#pragma once

#include <vector>

#include "ui/reference_counted.h"
#include "ui/text/scope_name_pool.h"
#include "ui/text/syntax/regex_selector_styler.h"
#include "ui/text/syntax/style.h"

// Obtained from the Styler and shared by slate::SP between a view's settings
// and its token storage. A new colour scheme means a new ScopeStyler; the
// scheme of one never changes. Main thread only.
class ScopeStyler : public slate::ReferenceCounted<ScopeStyler> {
public:
    // Holds `regexStyler`, which must not be null (asserted).
    explicit ScopeStyler(slate::SP<RegexSelectorStyler> regexStyler);
    ~ScopeStyler();
    ScopeStyler(const ScopeStyler&) = delete;
    ScopeStyler& operator=(const ScopeStyler&) = delete;

    // The style of `scope` (null allowed), never null. The same scope gives
    // the same pointer until clearCache; scopes with equal merged settings
    // share one. The style lives as long as the scheme, which this styler
    // keeps alive. Scope ids belong to one syntax's scope pool: clear the
    // cache when the scopes start coming from another syntax.
    const Style* styleForScope(const ScopeRecord* scope)
    {
        const size_t index = scope ? static_cast<size_t>(scope->id) + 1 : 0;
        if (index < m_cache.size() && m_cache[index])
            return m_cache[index];
        return lookUp(scope, index);
    }

    const SchemeColours& colours() const { return m_regexStyler->colours(); }

    // Forgets the remembered styles (the styles themselves stay in the
    // scheme).
    void clearCache() { m_cache.clear(); }

    // The scheme; never null.
    const slate::SP<RegexSelectorStyler>& regexStyler() const { return m_regexStyler; }

private:
    const Style* lookUp(const ScopeRecord* scope, size_t index);

    // Indexed by scope id + 1 (0 is the null scope); null where the scope has
    // not been asked for. Points into the scheme's style cache.
    std::vector<const Style*> m_cache;
    slate::SP<RegexSelectorStyler> m_regexStyler;
};
