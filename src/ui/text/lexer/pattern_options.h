// The inline options of grammar patterns that change how a pattern reads,
// for the code that reads patterns before the engine does.
#pragma once

#include "ui/ustring.h"

// The options in force at a place of a pattern.
struct PatternOptions {
    bool ignoreCase = false; // "i"
    bool extended = false;   // "x": blanks and "#" comments are ignored
};

// Reads the option letters at `p` ("i", "im-x", ...), which follow "(?":
// the position after them (at ":" or ")"), with `options` changed as they
// say, or null (and `options` unchanged) when they are not options.
inline const uchar* readPatternOptions(const uchar* p, const uchar* end, PatternOptions& options)
{
    PatternOptions result = options;
    bool on = true;
    const uchar* q = p;
    for (; q != end && ((*q >= u'a' && *q <= u'z') || *q == u'-'); ++q) {
        if (*q == u'-')
            on = false;
        else if (*q == u'i')
            result.ignoreCase = on;
        else if (*q == u'x')
            result.extended = on;
    }
    if (q == p || q == end || (*q != u':' && *q != u')'))
        return nullptr;
    options = result;
    return q;
}
