// Small free functions over wide text: numbers, case, replacing, escaping,
// trimming, splitting, wildcards, URL encoding and opening a file by a UTF-8
// name. None keeps state; all may be called from any thread. Functions that
// return views (`slate::usubstring`) point into the caller's text, which must
// outlive them: never pass a temporary string to them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/ustring.h"

// Numbers. Formatting and parsing ignore the process locale: the decimal
// point is always ".".

// Writes `value` in decimal into `buffer`, cut to `bufferSize` - 1 units and
// NUL-terminated; nothing when `bufferSize` is 0.
void formatInt(int value, uchar* buffer, size_t bufferSize);
ustring intToString(int value);
// Leading white space, an optional sign, then digits up to the first other
// unit; 0 when there are no digits. Values outside the int range saturate.
int toInt(const slate::usubstring& text);
int toInt(const uchar* begin, const uchar* end);
// As toInt, saturating at the int64_t range.
int64_t toInt64(const slate::usubstring& text);
// An optional sign, then decimal digits up to the first other unit (no white
// space is skipped); 0 when there are no digits. Saturates at the int64_t
// range. The one reader of decimal integers under toInt and toInt64, and for
// UTF-8 text.
int64_t readSignedDecimal(const uchar* begin, const uchar* end);
int64_t readSignedDecimal(const char* begin, const char* end);
// `value` clamped to the int range.
int saturateToInt(int64_t value);
// Leading white space, then a decimal number (sign, digits, fraction,
// exponent) up to the first unit that does not fit; 0 when nothing is
// readable. No hexadecimal, "inf" or "nan". Out of range gives +-HUGE_VAL or 0.
double toDouble(const slate::usubstring& text);
double toDouble(const uchar* begin, const uchar* end);

// A copy with ASCII A-Z lowered; every other unit unchanged.
ustring toLower(const slate::usubstring& text);

// Replaces every occurrence of `pattern`, left to right, in place. Inserted
// text is never searched again; an empty pattern changes nothing.
void replaceAll(ustring& text, const slate::usubstring& pattern, const slate::usubstring& replacement);
void replaceAll(std::string& text, const slate::substring& pattern, const slate::substring& replacement);
// Wide text with a UTF-8 pattern and replacement (converted first).
void replaceAll(ustring& text, const slate::substring& pattern, const slate::substring& replacement);

// TAB -> \t, LF -> \n, and a backslash before each double quote and
// backslash; everything else (CR included) copied. Put the result inside
// double quotes to write it as one word of a command line.
ustring escapeString(const slate::usubstring& text);
// A backslash and the unit after it become that unit, except \n (LF) and
// \t (TAB); a backslash that is the last unit stays.
ustring unescapeString(const slate::usubstring& text);

// Views without the leading / trailing units that are in `set`. Only units
// below 128 are ever removed.
slate::usubstring trimLeft(const slate::usubstring& text, const char* set = " \t\r\n");
slate::usubstring trimRight(const slate::usubstring& text, const char* set = " \t\r\n");
slate::usubstring trim(const slate::usubstring& text, const char* set = " \t\r\n");

// Appends every maximal run of units not in `separators` (NUL-terminated):
// no empty pieces, ever.
void tokenize(const slate::usubstring& text, const uchar* separators,
              std::vector<slate::usubstring>& pieces);
// Appends the fields between single separators, empty fields kept: n
// separators give n + 1 fields, an empty text one empty field.
void split(const slate::usubstring& text, const uchar* separators,
           std::vector<slate::usubstring>& fields);

// The UTF-8 bytes of `text` with everything but ASCII letters, digits and
// "$-_.!*'()," written as %XX (uppercase hexadecimal). Empty when `text` is
// not valid UTF-16.
std::string urlEncode(const slate::usubstring& text);

// Whole-text match of NUL-terminated strings: "*" matches any run of units
// (path separators included), "?" exactly one unit, anything else itself.
bool wildcardMatch(const uchar* pattern, const uchar* text);
// The same after lowering ASCII letters in both.
bool wildcardMatchNoCase(const uchar* pattern, const uchar* text);

// Opens the file named by the UTF-8 `path` (a program path, so any Unicode
// name works) with the fopen mode `mode`. Null on failure, including a path
// that is not valid UTF-8. The caller closes the file with fclose.
FILE* openFileUtf8(const std::string& path, const std::string& mode);
