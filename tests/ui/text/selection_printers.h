// How GoogleTest prints regions and sets in failure messages.
#pragma once

#include <ostream>

#include "ui/text/selection_set.h"

inline void PrintTo(const SelectionRegion& r, std::ostream* os)
{
    *os << "(" << r.a << ", " << r.b << ")";
}

inline void PrintTo(const SelectionSet& set, std::ostream* os)
{
    *os << "{";
    for (size_t i = 0; i < set.size(); ++i) {
        *os << (i ? " " : "");
        PrintTo(set[i], os);
    }
    *os << "}";
}
