// Free helpers over wide text. Number parsing scans the units itself rather
// than converting to UTF-8 first: only ASCII can be part of a number, so the
// result is the same for every well-formed text, and a stray surrogate after
// the number no longer turns it into 0. The digits of a floating-point number
// are then handed to strtod_l with a private "C" locale, which rounds
// correctly and never sees the process locale (a German locale would
// otherwise read "1.5" as 1).
#include "ui/string_utils.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

#include "ui/platform.h"
#include "ui/unicode.h"

namespace {

bool isAsciiDigit(uchar c) { return c >= u'0' && c <= u'9'; }

// The white space that strtol and strtod skip in the "C" locale.
bool isCSpace(uchar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

bool inNarrowSet(uchar c, const char* set)
{
    if (c >= 128)
        return false;
    for (; *set; ++set) {
        if (static_cast<unsigned char>(*set) == c)
            return true;
    }
    return false;
}

bool inWideSet(uchar c, const uchar* set)
{
    for (; *set; ++set) {
        if (*set == c)
            return true;
    }
    return false;
}

locale_t cLocale()
{
    static locale_t s_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return s_locale;
}

size_t wideLength(const uchar* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

} // namespace

void formatInt(int value, uchar* buffer, size_t bufferSize)
{
    if (bufferSize == 0)
        return;
    char digits[16];
    std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    size_t count = static_cast<size_t>(result.ptr - digits);
    if (count > bufferSize - 1)
        count = bufferSize - 1;
    for (size_t i = 0; i < count; ++i)
        buffer[i] = static_cast<uchar>(digits[i]);
    buffer[count] = 0;
}

ustring intToString(int value)
{
    uchar buffer[64];
    formatInt(value, buffer, 64);
    return ustring(buffer);
}

namespace {

template <typename Unit>
int64_t readSignedDecimalUnits(const Unit* begin, const Unit* end)
{
    const Unit* p = begin;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    const uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                    : uint64_t(std::numeric_limits<int64_t>::max());
    uint64_t magnitude = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (!negative)
        return static_cast<int64_t>(magnitude);
    return magnitude == limit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(magnitude);
}

const uchar* skipCSpace(const uchar* p, const uchar* end)
{
    while (p != end && isCSpace(*p))
        ++p;
    return p;
}

} // namespace

int64_t readSignedDecimal(const uchar* begin, const uchar* end)
{
    return readSignedDecimalUnits(begin, end);
}

int64_t readSignedDecimal(const char* begin, const char* end)
{
    return readSignedDecimalUnits(begin, end);
}

int saturateToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int toInt(const uchar* begin, const uchar* end)
{
    return saturateToInt(readSignedDecimal(skipCSpace(begin, end), end));
}

int64_t toInt64(const slate::usubstring& text)
{
    return readSignedDecimal(skipCSpace(text.begin, text.end), text.end);
}

int toInt(const slate::usubstring& text) { return toInt(text.begin, text.end); }

double toDouble(const uchar* begin, const uchar* end)
{
    const uchar* p = begin;
    while (p != end && isCSpace(*p))
        ++p;
    const uchar* start = p;
    if (p != end && (*p == u'+' || *p == u'-'))
        ++p;
    size_t digits = 0;
    for (; p != end && isAsciiDigit(*p); ++p)
        ++digits;
    if (p != end && *p == u'.') {
        ++p;
        for (; p != end && isAsciiDigit(*p); ++p)
            ++digits;
    }
    if (digits == 0)
        return 0;
    if (p != end && (*p == u'e' || *p == u'E')) {
        // The exponent belongs to the number only when it has digits.
        const uchar* exponent = p + 1;
        if (exponent != end && (*exponent == u'+' || *exponent == u'-'))
            ++exponent;
        if (exponent != end && isAsciiDigit(*exponent)) {
            p = exponent;
            while (p != end && isAsciiDigit(*p))
                ++p;
        }
    }
    std::string number(static_cast<size_t>(p - start), '\0');
    for (size_t i = 0; i < number.size(); ++i)
        number[i] = static_cast<char>(start[i]);
    return strtod_l(number.c_str(), nullptr, cLocale());
}

double toDouble(const slate::usubstring& text) { return toDouble(text.begin, text.end); }

ustring toLower(const slate::usubstring& text)
{
    ustring lowered(text.begin, text.end);
    for (uchar& c : lowered) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<uchar>(c + 32);
    }
    return lowered;
}

namespace {

template <typename String, typename View>
void replaceAllIn(String& text, const View& pattern, const View& replacement)
{
    if (pattern.empty())
        return;
    const size_t patternLength = pattern.length();
    const size_t replacementLength = replacement.length();
    size_t position = text.find(pattern.begin, 0, patternLength);
    while (position != String::npos) {
        text.replace(position, patternLength, replacement.begin, replacementLength);
        position = text.find(pattern.begin, position + replacementLength, patternLength);
    }
}

} // namespace

void replaceAll(ustring& text, const slate::usubstring& pattern, const slate::usubstring& replacement)
{
    // Copies first: the pattern or replacement may view `text` itself.
    const ustring patternCopy = pattern.str();
    const ustring replacementCopy = replacement.str();
    replaceAllIn(text, slate::usubstring(patternCopy), slate::usubstring(replacementCopy));
}

void replaceAll(std::string& text, const slate::substring& pattern, const slate::substring& replacement)
{
    const std::string patternCopy = pattern.str();
    const std::string replacementCopy = replacement.str();
    replaceAllIn(text, slate::substring(patternCopy), slate::substring(replacementCopy));
}

void replaceAll(ustring& text, const slate::substring& pattern, const slate::substring& replacement)
{
    const ustring widePattern = toUstring(pattern);
    const ustring wideReplacement = toUstring(replacement);
    replaceAllIn(text, slate::usubstring(widePattern), slate::usubstring(wideReplacement));
}

ustring escapeString(const slate::usubstring& text)
{
    ustring escaped;
    escaped.reserve(text.length());
    for (const uchar* p = text.begin; p != text.end; ++p) {
        const uchar c = *p;
        switch (c) {
        case u'\t': escaped += u"\\t"; break;
        case u'\n': escaped += u"\\n"; break;
        case u'"': escaped += u"\\\""; break;
        case u'\\': escaped += u"\\\\"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

ustring unescapeString(const slate::usubstring& text)
{
    ustring plain;
    plain.reserve(text.length());
    for (const uchar* p = text.begin; p != text.end; ++p) {
        if (*p != u'\\' || p + 1 == text.end) {
            plain += *p;
            continue;
        }
        ++p;
        plain += *p == u'n' ? u'\n' : *p == u't' ? u'\t' : *p;
    }
    return plain;
}

slate::usubstring trimLeft(const slate::usubstring& text, const char* set)
{
    const uchar* begin = text.begin;
    while (begin != text.end && inNarrowSet(*begin, set))
        ++begin;
    return slate::usubstring(begin, text.end);
}

slate::usubstring trimRight(const slate::usubstring& text, const char* set)
{
    const uchar* end = text.end;
    while (end != text.begin && inNarrowSet(end[-1], set))
        --end;
    return slate::usubstring(text.begin, end);
}

slate::usubstring trim(const slate::usubstring& text, const char* set)
{
    return trimLeft(trimRight(text, set), set);
}

void tokenize(const slate::usubstring& text, const uchar* separators,
              std::vector<slate::usubstring>& pieces)
{
    const uchar* p = text.begin;
    while (p != text.end) {
        while (p != text.end && inWideSet(*p, separators))
            ++p;
        const uchar* start = p;
        while (p != text.end && !inWideSet(*p, separators))
            ++p;
        if (p != start)
            pieces.emplace_back(start, p);
    }
}

void split(const slate::usubstring& text, const uchar* separators,
           std::vector<slate::usubstring>& fields)
{
    const uchar* start = text.begin;
    for (const uchar* p = text.begin; p != text.end; ++p) {
        if (inWideSet(*p, separators)) {
            fields.emplace_back(start, p);
            start = p + 1;
        }
    }
    fields.emplace_back(start, text.end);
}

std::string urlEncode(const slate::usubstring& text)
{
    static const char kHexDigits[] = "0123456789ABCDEF";
    static const char kSafe[] = "$-_.!*'(),";
    const std::string bytes = toUtf8(text);
    std::string encoded;
    encoded.reserve(bytes.size());
    for (char byte : bytes) {
        const unsigned char value = static_cast<unsigned char>(byte);
        const bool alphanumeric = (value >= 'a' && value <= 'z') || (value >= 'A' && value <= 'Z') ||
                                  (value >= '0' && value <= '9');
        if (alphanumeric || (value != 0 && strchr(kSafe, value))) {
            encoded += byte;
        } else {
            encoded += '%';
            encoded += kHexDigits[value >> 4];
            encoded += kHexDigits[value & 0xF];
        }
    }
    return encoded;
}

bool wildcardMatch(const uchar* pattern, const uchar* text)
{
    const uchar* p = pattern;
    const uchar* t = text;
    while (*t && *p != u'*') {
        if (*p != u'?' && *p != *t)
            return false;
        ++p;
        ++t;
    }
    // The last star seen, and where the text resumes if what follows it fails.
    const uchar* starPattern = nullptr;
    const uchar* retryText = nullptr;
    while (*t) {
        if (*p == u'*') {
            if (!*++p)
                return true;
            starPattern = p;
            retryText = t + 1;
        } else if (*p == u'?' || *p == *t) {
            ++p;
            ++t;
        } else {
            p = starPattern;
            t = retryText++;
        }
    }
    while (*p == u'*')
        ++p;
    return !*p;
}

bool wildcardMatchNoCase(const uchar* pattern, const uchar* text)
{
    const ustring loweredPattern = toLower(slate::usubstring(pattern, pattern + wideLength(pattern)));
    const ustring loweredText = toLower(slate::usubstring(text, text + wideLength(text)));
    return wildcardMatch(loweredPattern.c_str(), loweredText.c_str());
}

FILE* openFileUtf8(const std::string& path, const std::string& mode)
{
    const ustring widePath = toUstring(path);
    const ustring wideMode = toUstring(mode);
    if (widePath.empty() || wideMode.empty())
        return nullptr;
    return platform::get().openFile(widePath, wideMode);
}
