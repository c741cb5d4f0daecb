// The Oniguruma side of the scanner interface, and the only file that sees
// Oniguruma's header. Every grammar pattern is compiled with the same
// settings (UTF-16LE, the default syntax, plain groups capture) so that a compiled
// regex can be shared by any matcher whose pattern text is equal. The engine
// keeps global state while compiling, hence `onigCompileLock`; searching
// touches only the regex (read) and the caller's region (written), so it runs
// unlocked. The search options are derived per call from where the search
// starts and ends inside the text, which is what lets the lexer search a line
// from the middle while anchors still see the whole line.
#include "ui/text/lexer/onig_scanner.h"

#include <oniguruma.h>

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

class OnigScanner final : public RegexScanner {
public:
    slate::SP<OnigRegexRef> compile(const slate::usubstring& pattern) override
    {
        OnigRegex regex = nullptr;
        OnigErrorInfo information = {};
        int result;
        {
            ScopedLock lock(onigCompileLock);
            if (!s_engineInitialised) {
                OnigEncoding encodings[] = {engineEncoding()};
                onig_initialize(encodings, 1);
                s_engineInitialised = true;
            }
            // The engine's default syntax, which grammars are written for
            // (variable-length look-behind among other things).
            result = onig_new(&regex, bytes(pattern.begin), bytes(pattern.end),
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
        OnigOptionType options = ONIG_OPTION_NONE;
        if (start != textStart)
            options |= ONIG_OPTION_NOTBOL;
        if (rangeEnd != textEnd)
            options |= ONIG_OPTION_NOTEOL;
        if (!allowEmpty)
            options |= ONIG_OPTION_FIND_NOT_EMPTY;

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
