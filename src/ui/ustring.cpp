// Lookups and comparisons of the two-pointer string views. Case folding here
// is ASCII only (A-Z), which is what every caller needs for names, keys and
// file extensions; no Unicode case mapping is attempted.
#include "ui/ustring.h"

#include <cstring>

namespace slate {
namespace {

uchar foldAscii(uchar c) { return (c >= u'A' && c <= u'Z') ? static_cast<uchar>(c + 32) : c; }

bool equalUnits(const uchar* a, const uchar* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

bool equalUnitsNoCase(const uchar* a, const uchar* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

bool inSet(uchar c, const uchar* set)
{
    for (; *set; ++set) {
        if (*set == c)
            return true;
    }
    return false;
}

} // namespace

usubstring::usubstring(const uchar* nulTerminated) : begin(nulTerminated), end(nulTerminated)
{
    if (end) {
        while (*end)
            ++end;
    }
}

const uchar* usubstring::find(uchar c) const
{
    for (const uchar* p = begin; p != end; ++p) {
        if (*p == c)
            return p;
    }
    return nullptr;
}

const uchar* usubstring::rfind(uchar c) const
{
    for (const uchar* p = end; p != begin;) {
        if (*--p == c)
            return p;
    }
    return nullptr;
}

const uchar* usubstring::find_first_of(const uchar* set) const
{
    for (const uchar* p = begin; p != end; ++p) {
        if (inSet(*p, set))
            return p;
    }
    return nullptr;
}

const uchar* usubstring::find_last_of(const uchar* set) const
{
    for (const uchar* p = end; p != begin;) {
        if (inSet(*--p, set))
            return p;
    }
    return nullptr;
}

const uchar* usubstring::findNoCase(const usubstring& other) const
{
    const size_t needle = other.length();
    if (needle > length())
        return nullptr;
    for (const uchar* p = begin; p + needle <= end; ++p) {
        if (equalUnitsNoCase(p, other.begin, needle))
            return p;
    }
    return nullptr;
}

bool usubstring::equals(const usubstring& other) const
{
    if (length() != other.length())
        return false;
    return begin == other.begin || equalUnits(begin, other.begin, length());
}

bool usubstring::equalsNoCase(const usubstring& other) const
{
    return length() == other.length() && equalUnitsNoCase(begin, other.begin, length());
}

bool usubstring::startsWith(const usubstring& other) const
{
    return length() >= other.length() && equalUnits(begin, other.begin, other.length());
}

bool usubstring::endsWith(const usubstring& other) const
{
    return length() >= other.length() && equalUnits(end - other.length(), other.begin, other.length());
}

bool usubstring::endsWithNoCase(const usubstring& other) const
{
    return length() >= other.length() &&
           equalUnitsNoCase(end - other.length(), other.begin, other.length());
}

bool operator==(const usubstring& a, const usubstring& b) { return a.equals(b); }

bool operator<(const usubstring& a, const usubstring& b)
{
    const size_t common = a.length() < b.length() ? a.length() : b.length();
    for (size_t i = 0; i < common; ++i) {
        // char16_t is unsigned, so units compare as unsigned values.
        if (a.begin[i] != b.begin[i])
            return a.begin[i] < b.begin[i];
    }
    return a.length() < b.length();
}

std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out, const usubstring& s)
{
    return out.write(s.begin, static_cast<std::streamsize>(s.length()));
}

substring::substring(const char* nulTerminated)
    : begin(nulTerminated), end(nulTerminated ? nulTerminated + strlen(nulTerminated) : nulTerminated)
{
}

const char* substring::rfind(char c) const
{
    for (const char* p = end; p != begin;) {
        if (*--p == c)
            return p;
    }
    return nullptr;
}

bool operator==(const substring& a, const substring& b)
{
    return a.length() == b.length() && (a.length() == 0 || memcmp(a.begin, b.begin, a.length()) == 0);
}

bool operator<(const substring& a, const substring& b)
{
    const size_t common = a.length() < b.length() ? a.length() : b.length();
    const int order = common ? memcmp(a.begin, b.begin, common) : 0; // memcmp compares unsigned bytes
    if (order != 0)
        return order < 0;
    return a.length() < b.length();
}

} // namespace slate
