#include "ui/wildcard_filter.h"

#include "ui/string_utils.h"

void WildcardFilter::addInclude(const ustring& pattern) { m_includes.push_back(pattern); }

void WildcardFilter::addExclude(const ustring& pattern) { m_excludes.push_back(pattern); }

bool WildcardFilter::matches(const uchar* name) const
{
    bool included = m_includes.empty();
    for (size_t i = 0; i < m_includes.size() && !included; ++i)
        included = wildcardMatch(m_includes[i].c_str(), name);
    if (!included)
        return false;
    for (const ustring& pattern : m_excludes) {
        if (wildcardMatch(pattern.c_str(), name))
            return false;
    }
    return true;
}
