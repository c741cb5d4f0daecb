// The program's string types. All text inside the editor is UTF-16: `ustring`
// holds code units, and `slate::usubstring` / `slate::substring` are
// non-owning two-pointer views used wherever a copy would be wasted.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

using ustring = std::u16string;
using uchar = char16_t;

namespace slate {

// A view of wide text owned elsewhere: valid only while that text is alive
// and unchanged. `end` is exclusive. Lookups return a pointer into the viewed
// text, or null when nothing is found.
class usubstring {
public:
    const uchar* begin = nullptr;
    const uchar* end = nullptr;

    usubstring() = default;
    usubstring(const uchar* b, const uchar* e) : begin(b), end(e) {}
    usubstring(const ustring& s) : begin(s.data()), end(s.data() + s.size()) {}
    // A view of a whole NUL-terminated wide string.
    usubstring(const uchar* nulTerminated);

    size_t length() const { return static_cast<size_t>(end - begin); }
    size_t size() const { return length(); }
    bool empty() const { return begin == end; }
    uchar operator[](size_t i) const { return begin[i]; }

    ustring str() const { return ustring(begin, end); }

    const uchar* find(uchar c) const;
    const uchar* rfind(uchar c) const;
    const uchar* find_first_of(const uchar* set) const;
    const uchar* find_last_of(const uchar* set) const;
    const uchar* findNoCase(const usubstring& other) const;

    bool equals(const usubstring& other) const;
    bool equalsNoCase(const usubstring& other) const;
    bool startsWith(const usubstring& other) const;
    bool endsWith(const usubstring& other) const;
    bool endsWithNoCase(const usubstring& other) const;

    // No bounds checks: the caller keeps within the view.
    usubstring substr(size_t offset) const { return usubstring(begin + offset, end); }
    usubstring substr(size_t offset, size_t count) const
    {
        return usubstring(begin + offset, begin + offset + count);
    }
};

bool operator==(const usubstring& a, const usubstring& b);
inline bool operator!=(const usubstring& a, const usubstring& b) { return !(a == b); }
// Units compared as unsigned values over the common length; then shorter first.
bool operator<(const usubstring& a, const usubstring& b);
std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out, const usubstring& s);

// The narrow counterpart, over bytes (UTF-8 unless a caller says otherwise).
class substring {
public:
    const char* begin = nullptr;
    const char* end = nullptr;

    substring() = default;
    substring(const char* b, const char* e) : begin(b), end(e) {}
    substring(const std::string& s) : begin(s.data()), end(s.data() + s.size()) {}
    substring(const char* nulTerminated);

    size_t length() const { return static_cast<size_t>(end - begin); }
    size_t size() const { return length(); }
    bool empty() const { return begin == end; }
    char operator[](size_t i) const { return begin[i]; }

    std::string str() const { return std::string(begin, end); }
    const char* rfind(char c) const;
};

bool operator==(const substring& a, const substring& b);
inline bool operator!=(const substring& a, const substring& b) { return !(a == b); }
// Bytes compared unsigned over the common length; then shorter first.
bool operator<(const substring& a, const substring& b);

} // namespace slate
