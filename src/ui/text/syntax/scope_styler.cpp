#include "ui/text/syntax/scope_styler.h"

#include "ui/log.h"

ScopeStyler::ScopeStyler(slate::SP<RegexSelectorStyler> regexStyler)
    : m_regexStyler(std::move(regexStyler))
{
    VASSERT(m_regexStyler);
}

ScopeStyler::~ScopeStyler() = default;

const Style* ScopeStyler::lookUp(const ScopeRecord* scope, size_t index)
{
    if (index >= m_cache.size())
        m_cache.resize(index + 1, nullptr);
    m_cache[index] = m_regexStyler->styleForScope(scope);
    return m_cache[index];
}
