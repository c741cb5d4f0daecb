// The Oniguruma side of the scanner interface, and the only file that sees
// Oniguruma's header. Every grammar pattern is compiled with the same
// settings (UTF-16LE, the default syntax, plain groups capture) so that a compiled
// regex can be shared by any matcher whose pattern text is equal. The engine
// keeps global state while compiling, hence `onigCompileLock`; searching
// touches only the regex (read) and the caller's region (written), so it runs
// unlocked. The search options are derived per call from where the search
// starts and ends inside the text and from the region's anchor settings,
// which is what lets the lexer search a line from the middle while anchors
// still see the whole line.
#include "ui/text/lexer/onig_scanner.h"

#include <oniguruma.h>

#include <vector>

#include "ui/unicode.h"

CriticalSection onigCompileLock;

namespace {

// Whether onig_initialize has run since start or the last onigCleanup.
// Guarded by onigCompileLock.
bool s_engineInitialised = false;

OnigEncoding engineEncoding() { return ONIG_ENCODING_UTF16_LE; }

std::string engineMessage(int code, OnigErrorInfo* information)
{
    OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN] = {};
    if (information)
        onig_error_code_to_str(text, code, information);
    else
        onig_error_code_to_str(text, code);
    return std::string(reinterpret_cast<const char*>(text));
}

const OnigUChar* bytes(const uchar* unit) { return reinterpret_cast<const OnigUChar*>(unit); }

// The length of an escape at `p` that denotes code point 0 ("\\x00",
// "\\x{0}", "\\0", "\\u0000" and longer zero runs), or 0 when there is none.
size_t nulEscapeLength(const uchar* p, const uchar* end)
{
    if (end - p < 2 || p[0] != u'\\')
        return 0;
    const uchar* q = p + 2;
    auto zeros = [&](size_t most) {
        size_t count = 0;
        while (q != end && *q == u'0' && count < most) {
            ++q;
            ++count;
        }
        return count;
    };
    switch (p[1]) {
    case u'0':
        q = p + 1;
        if (!zeros(3))
            return 0;
        break;
    case u'x':
        if (q != end && *q == u'{') {
            ++q;
            if (!zeros(8) || q == end || *q != u'}')
                return 0;
            ++q;
        } else if (zeros(2) != 2) {
            return 0;
        }
        break;
    case u'u':
        if (zeros(4) != 4)
            return 0;
        break;
    default:
        return 0;
    }
    // A following digit would make it another number.
    if (q != end && ((*q >= u'0' && *q <= u'9') || (*q >= u'a' && *q <= u'f') ||
                     (*q >= u'A' && *q <= u'F')) && p[1] != u'x')
        return 0;
    return static_cast<size_t>(q - p);
}

// In UTF-16 the engine (6.9.8) gets a negated class nested inside another
// class wrong when the negated class holds code point 0: "[a[^\\x00-\\x7F]]"
// matches every character. Grammars write exactly that for "not ASCII", so
// such a range is made to start at 1 instead, which changes nothing but the
// treatment of NUL characters. Returns false (and leaves `rewritten` alone)
// when the pattern has no such range.
bool avoidNestedNulRange(const slate::usubstring& pattern, ustring& rewritten)
{
    // For each open class, whether it is negated; nested classes only count
    // inside an outer one.
    std::vector<bool> negated;
    bool changed = false;
    const uchar* copied = pattern.begin;
    const uchar* p = pattern.begin;
    const uchar* const end = pattern.end;
    while (p != end) {
        const uchar unit = *p;
        if (unit == u'\\') {
            if (negated.size() >= 2 && negated.back()) {
                const size_t length = nulEscapeLength(p, end);
                if (length && p + length != end && p[length] == u'-') {
                    if (!changed)
                        rewritten.clear();
                    changed = true;
                    rewritten.append(copied, p);
                    rewritten += u"\\x{1}";
                    copied = p + length;
                    p += length;
                    continue;
                }
            }
            p += p + 1 != end ? 2 : 1;
            continue;
        }
        if (unit == u'[') {
            if (!negated.empty() && p + 1 != end && p[1] == u':') {
                // A POSIX bracket such as "[:alpha:]" inside a class.
                const uchar* close = p + 2;
                while (close + 1 < end && !(close[0] == u':' && close[1] == u']'))
                    ++close;
                if (close + 1 < end) {
                    p = close + 2;
                    continue;
                }
            }
            ++p;
            const bool isNegated = p != end && *p == u'^';
            if (isNegated)
                ++p;
            negated.push_back(isNegated);
            if (p != end && *p == u']')
                ++p; // a "]" first in a class is literal
            continue;
        }
        if (unit == u']' && !negated.empty())
            negated.pop_back();
        ++p;
    }
    if (changed)
        rewritten.append(copied, end);
    return changed;
}

class OnigScanner final : public RegexScanner {
public:
    slate::SP<OnigRegexRef> compile(const slate::usubstring& pattern) override
    {
        OnigRegex regex = nullptr;
        OnigErrorInfo information = {};
        int result;
        ustring rewritten;
        const slate::usubstring source =
            avoidNestedNulRange(pattern, rewritten) ? slate::usubstring(rewritten) : pattern;
        {
            ScopedLock lock(onigCompileLock);
            if (!s_engineInitialised) {
                OnigEncoding encodings[] = {engineEncoding()};
                onig_initialize(encodings, 1);
                s_engineInitialised = true;
            }
            // The engine's default syntax, which grammars are written for
            // (variable-length look-behind among other things).
            result = onig_new(&regex, bytes(source.begin), bytes(source.end),
                              ONIG_OPTION_CAPTURE_GROUP, engineEncoding(), ONIG_SYNTAX_DEFAULT,
                              &information);
        }
        if (result != ONIG_NORMAL)
            throw oniguruma::regex_error(engineMessage(result, &information) + " in regex " +
                                         toUtf8(pattern));
        return slate::SP<OnigRegexRef>(new OnigRegexRef(regex, onig_number_of_captures(regex)));
    }

    bool search(const OnigRegexRef& regex, const uchar* start, const uchar* rangeEnd,
                const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                bool allowEmpty) override
    {
        // No NOTBOL for a search that starts inside the text: a match
        // begins at `start` or later, where "^" only matches after a line
        // break anyway, and a look-behind must still see the text's start
        // as a line start ("(?<=^while )").
        OnigOptionType options = ONIG_OPTION_NONE;
        if (rangeEnd != textEnd)
            options |= ONIG_OPTION_NOTEOL;
        if (!allowEmpty)
            options |= ONIG_OPTION_FIND_NOT_EMPTY;
        if (!region.anchorAllowedAt(start))
            options |= ONIG_OPTION_NOT_BEGIN_POSITION;
        if (!region.textStartIsDocumentStart())
            options |= ONIG_OPTION_NOT_BEGIN_STRING;

        OnigRegion* engineRegion = static_cast<OnigRegion*>(region.engineRegion());
        int result = onig_search(static_cast<OnigRegex>(regex.engineRegex()), bytes(textStart),
                                 bytes(textEnd), bytes(start), bytes(rangeEnd), engineRegion,
                                 options);
        if (result >= 0) {
            region.setResult(textStart, engineRegion->num_regs, engineRegion->beg,
                             engineRegion->end);
            return true;
        }
        region.setResult(textStart, 0, nullptr, nullptr);
        if (result == ONIG_MISMATCH)
            return false;
        throw oniguruma::regex_error(engineMessage(result, nullptr));
    }
};

} // namespace

namespace oniguruma {

regex_error::regex_error(std::string message) : m_message(std::move(message)) {}

regex_error::regex_error(const ustring& message) : m_message(toUtf8(message)) {}

const char* regex_error::what() const noexcept { return m_message.c_str(); }

} // namespace oniguruma

OnigRegexRef::~OnigRegexRef() { onig_free(static_cast<OnigRegex>(m_engineRegex)); }

MatchRegion::MatchRegion() : m_engineRegion(onig_region_new()) {}

MatchRegion::~MatchRegion() { onig_region_free(static_cast<OnigRegion*>(m_engineRegion), 1); }

RegexScanner& onigScanner()
{
    static OnigScanner scanner;
    return scanner;
}

void onigCleanup()
{
    ScopedLock lock(onigCompileLock);
    if (s_engineInitialised) {
        onig_end();
        s_engineInitialised = false;
    }
}
