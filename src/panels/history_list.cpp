#include "panels/history_list.h"

#include <algorithm>

void HistoryList::add(const ustring& text)
{
    if (text.empty())
        return;
    const slate::usubstring key(text);
    const auto equal = std::find_if(m_entries.begin(), m_entries.end(), [this, &key, &text](const ustring& entry) {
        return m_ignoreCase ? slate::usubstring(entry).equalsNoCase(key) : entry == text;
    });
    if (equal != m_entries.end())
        m_entries.erase(equal);
    m_entries.insert(m_entries.begin(), text);
    if (m_entries.size() > m_maximumSize)
        m_entries.resize(m_maximumSize);
}

void HistoryList::restore(const std::vector<ustring>& stored)
{
    m_entries.insert(m_entries.end(), stored.begin(), stored.end());
}
