// The remembered entries of one kind of text field (find text, replacement,
// console input) or of the recently opened files and projects, newest first.
// The application keeps one set of these lists for all its windows and the
// session stores them; panels and windows hold plain pointers to them, which
// stay valid until shutdown. Main thread only.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/ustring.h"

// The most entries the history of a text field keeps.
constexpr size_t kFieldHistoryMaximum = 16;

class HistoryList {
public:
    // `ignoreCase`: two entries that differ only in letter case are the same
    // entry (file names, as Windows compares them).
    HistoryList(size_t maximumSize, bool ignoreCase) : m_maximumSize(maximumSize), m_ignoreCase(ignoreCase) {}

    // Puts `text` first. An entry equal to it further down is removed, so in
    // a list that ignores case the newest spelling wins; the oldest entries
    // past the maximum size go. An empty text changes nothing.
    void add(const ustring& text);

    // Appends entries read back from the session, in their stored order,
    // without looking for duplicates or trimming: the list is shown as it
    // was saved.
    void restore(const std::vector<ustring>& stored);

    void clear() { m_entries.clear(); }

    // Newest first.
    const std::vector<ustring>& entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const ustring& operator[](size_t index) const { return m_entries[index]; }
    size_t maximumSize() const { return m_maximumSize; }
    bool ignoresCase() const { return m_ignoreCase; }

private:
    // At most one entry of each text (under m_ignoreCase), and at most
    // m_maximumSize entries, except right after restore.
    std::vector<ustring> m_entries;
    size_t m_maximumSize;
    bool m_ignoreCase;
};
