#include "texteditor/file_spec.h"

namespace {

// The number `text[begin, end)` holds when it is one of 1 to 9 digits;
// -1 otherwise.
int32_t wholeNumber(const ustring& text, size_t begin, size_t end)
{
    if (begin >= end || end - begin > 9)
        return -1;
    int32_t value = 0;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return -1;
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

} // namespace

FileSpec parseFileSpec(const ustring& spec)
{
    FileSpec result;
    result.path = spec;
    // A drive letter's colon is part of the path.
    const size_t pathStart = (spec.size() >= 2 && spec[1] == u':') ? 2 : 0;
    const size_t last = spec.rfind(u':');
    if (last == ustring::npos || last < pathStart)
        return result;
    const int32_t lastNumber = wholeNumber(spec, last + 1, spec.size());
    if (lastNumber < 0)
        return result;
    const size_t previous = last > pathStart ? spec.rfind(u':', last - 1) : ustring::npos;
    if (previous != ustring::npos && previous >= pathStart) {
        const int32_t line = wholeNumber(spec, previous + 1, last);
        if (line >= 0) {
            result.path = spec.substr(0, previous);
            result.line = line;
            result.column = lastNumber;
            return result;
        }
    }
    result.path = spec.substr(0, last);
    result.line = lastNumber;
    return result;
}
