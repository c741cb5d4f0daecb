// Include/exclude filtering of names by wildcard patterns ("*" any run,
// "?" one unit), as used for the file lists of projects and find in files.
#pragma once

#include <vector>

#include "ui/ustring.h"

// A name passes when it matches an include pattern (or there are none) and
// no exclude pattern. Patterns match the whole name, case-sensitively. Not
// locked: build it on one thread, then `matches` is safe from any.
class WildcardFilter {
public:
    void addInclude(const ustring& pattern);
    void addExclude(const ustring& pattern);

    // `name` is NUL-terminated.
    bool matches(const uchar* name) const;
    bool matches(const ustring& name) const { return matches(name.c_str()); }

    // In the order added.
    const std::vector<ustring>& includes() const { return m_includes; }
    const std::vector<ustring>& excludes() const { return m_excludes; }

private:
    std::vector<ustring> m_includes;
    std::vector<ustring> m_excludes;
};
