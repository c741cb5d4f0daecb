// The Oniguruma side of the scanner interface, and the only file that sees
// Oniguruma's header. Every grammar pattern is compiled with the same
// settings (the default syntax, plain groups capture) so that a compiled
// regex can be shared by any matcher whose pattern text is equal. Patterns
// and texts are UTF-16 to the rest of the program but go to the engine as
// UTF-8: in UTF-16 the engine tests every character against a class by
// searching the class's code ranges, where in UTF-8 an ASCII character is
// one table lookup, which makes the grammars' class-heavy patterns about
// twice as fast. A line is converted once for all the searches made on it,
// and results are mapped back to code units. The engine
// keeps global state while compiling, hence `onigCompileLock`; searching
// touches only the regex (read) and the caller's region (written), so it runs
// unlocked. The search options are derived per call from where the search
// starts and ends inside the text and from the region's anchor settings,
// which is what lets the lexer search a line from the middle while anchors
// still see the whole line. Regex sets search all patterns of a lexer
// context in one pass; the engine keeps each set's per-regex regions, so a
// set is searched by one thread at a time.
#include "ui/text/lexer/onig_scanner.h"

#include <oniguruma.h>

#include <string>
#include <vector>

#include "ui/text/encoding.h"
#include "ui/text/lexer/pattern_factoring.h"
#include "ui/unicode.h"

CriticalSection onigCompileLock;

namespace {

// Whether onig_initialize has run since start or the last onigCleanup.
// Guarded by onigCompileLock.
bool s_engineInitialised = false;

OnigEncoding engineEncoding() { return ONIG_ENCODING_UTF8; }

// The UTF-8 form of [begin, end) that the engine searches, written over
// `bytes`: a lone surrogate takes the 3-byte form of its value, as the UTF-8
// file encoder writes it.
void toEngineBytes(const uchar* begin, const uchar* end, std::string& bytes)
{
    bytes.resize(static_cast<size_t>(end - begin) * 3);
    const size_t written =
        encodeChunk(kEncodingUtf8, begin, end, reinterpret_cast<unsigned char*>(&bytes[0]),
                    bytes.size(), true);
    bytes.resize(written);
}

std::string toEngineText(const slate::usubstring& text)
{
    std::string bytes;
    toEngineBytes(text.begin, text.end, bytes);
    return bytes;
}

// The region's UTF-8 form of [start, end), converted unless the region
// holds it already.
MatchRegion::Utf8Text& convertedText(MatchRegion& region, const uchar* start, const uchar* end)
{
    MatchRegion::Utf8Text& text = region.utf8Text();
    const size_t length = static_cast<size_t>(end - start);
    if (text.start == start && text.end == end &&
        (text.held || (text.copy.size() == length &&
                       std::char_traits<uchar>::compare(text.copy.data(), start, length) == 0)))
        return text;
    text.start = start;
    text.end = end;
    text.held = region.holdsText(start, end);
    if (text.held)
        text.copy.clear();
    else
        text.copy.assign(start, end);
    text.charactersFrom.clear();
    text.unitOfByte.clear();
    text.byteOfUnit.clear();
    toEngineBytes(start, end, text.bytes);
    if (text.bytes.size() == length)
        return text; // ASCII: the offsets are equal
    // Each character's bytes map to its first unit; its units to its first
    // byte. A 4-byte sequence is a surrogate pair.
    text.byteOfUnit.reserve(length + 1);
    text.unitOfByte.reserve(text.bytes.size() + 1);
    int32_t unit = 0;
    for (size_t byte = 0; byte < text.bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(text.bytes[byte]);
        const size_t width = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const int units = width == 4 ? 2 : 1;
        text.unitOfByte.insert(text.unitOfByte.end(), width, unit);
        text.byteOfUnit.insert(text.byteOfUnit.end(), static_cast<size_t>(units),
                               static_cast<int32_t>(byte));
        unit += units;
        byte += width;
    }
    text.byteOfUnit.push_back(static_cast<int32_t>(text.bytes.size()));
    text.unitOfByte.push_back(static_cast<int32_t>(length));
    return text;
}

// The characters from `start` to the end of a text the region holds in
// `text`, worked out for every place on first use.
const CharacterSet& charactersFrom(MatchRegion::Utf8Text& text, const uchar* start,
                                   const uchar* textStart, const uchar* textEnd)
{
    if (text.charactersFrom.empty()) {
        const size_t length = static_cast<size_t>(textEnd - textStart);
        text.charactersFrom.resize(length + 1);
        for (size_t unit = length; unit-- > 0;) {
            text.charactersFrom[unit] = text.charactersFrom[unit + 1];
            text.charactersFrom[unit].add(textStart[unit]);
        }
    }
    return text.charactersFrom[static_cast<size_t>(start - textStart)];
}

std::string engineMessage(int code, OnigErrorInfo* information)
{
    OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN] = {};
    if (information)
        onig_error_code_to_str(text, code, information);
    else
        onig_error_code_to_str(text, code);
    return std::string(reinterpret_cast<const char*>(text));
}

} // namespace

const CharacterSet& charactersFrom(MatchRegion& region, const uchar* start,
                                   const uchar* textStart, const uchar* textEnd)
{
    return charactersFrom(convertedText(region, textStart, textEnd), start, textStart, textEnd);
}

namespace {

// The engine options of a search from `start` to `rangeEnd` of a text that
// ends at `textEnd`. No NOTBOL for a search that starts inside the text: a
// match begins at `start` or later, where "^" only matches after a line
// break anyway, and a look-behind must still see the text's start as a line
// start ("(?<=^while )").
OnigOptionType searchOptions(const uchar* start, const uchar* rangeEnd, const uchar* textEnd,
                             const MatchRegion& region, bool allowEmpty)
{
    OnigOptionType options = ONIG_OPTION_NONE;
    if (rangeEnd != textEnd)
        options |= ONIG_OPTION_NOTEOL;
    if (!allowEmpty)
        options |= ONIG_OPTION_FIND_NOT_EMPTY;
    if (!region.anchorAllowedAt(start))
        options |= ONIG_OPTION_NOT_BEGIN_POSITION;
    if (!region.textStartIsDocumentStart())
        options |= ONIG_OPTION_NOT_BEGIN_STRING;
    return options;
}

// A text as the engine searches it: its UTF-8 form, converted once and kept
// in the region while the same text is searched again.
class EngineText {
public:
    EngineText(const MatchRegion::Utf8Text& text, const uchar* textStart)
        : m_text(text), m_textStart(textStart)
    {
    }

    // The engine's position of the code unit at `unit`.
    const OnigUChar* at(const uchar* unit) const
    {
        const size_t offset = static_cast<size_t>(unit - m_textStart);
        return reinterpret_cast<const OnigUChar*>(m_text.bytes.data()) +
               (m_text.byteOfUnit.empty() ? offset
                                          : static_cast<size_t>(m_text.byteOfUnit[offset]));
    }

private:
    const MatchRegion::Utf8Text& m_text;
    const uchar* m_textStart;
};

// Compiles `pattern` with the settings every grammar pattern gets.
int compileEngineRegex(const slate::usubstring& pattern, OnigRegex& regex,
                       OnigErrorInfo* information)
{
    const std::string source = toEngineText(pattern);
    const OnigUChar* text = reinterpret_cast<const OnigUChar*>(source.data());
    ScopedLock lock(onigCompileLock);
    if (!s_engineInitialised) {
        OnigEncoding encodings[] = {engineEncoding()};
        onig_initialize(encodings, 1);
        s_engineInitialised = true;
    }
    // The engine's default syntax, which grammars are written for
    // (variable-length look-behind among other things).
    return onig_new(&regex, text, text + source.size(), ONIG_OPTION_CAPTURE_GROUP,
                    engineEncoding(), ONIG_SYNTAX_DEFAULT, information);
}

// Shares `regex`, compiled from `pattern`, with what its matches need.
slate::SP<OnigRegexRef> wrap(OnigRegex regex, const slate::usubstring& pattern)
{
    slate::SP<OnigRegexRef> shared(new OnigRegexRef(regex, onig_number_of_captures(regex)));
    RequiredCharacters required;
    if (findRequiredCharacters(pattern, required))
        shared->setRequiredCharacters(required);
    return shared;
}

class OnigScanner final : public RegexScanner {
public:
    explicit OnigScanner(bool factors) : m_factors(factors) {}

    slate::SP<OnigRegexRef> compile(const slate::usubstring& pattern) override
    {
        // Keyword alternations go to the engine factored; should the
        // factored form fail, the pattern is compiled as written, and its
        // own error is what gets reported.
        ustring factoredPattern;
        if (m_factors && factorLiteralAlternatives(pattern, factoredPattern)) {
            OnigRegex regex = nullptr;
            if (compileEngineRegex(factoredPattern, regex, nullptr) == ONIG_NORMAL)
                return wrap(regex, pattern);
        }
        OnigRegex regex = nullptr;
        OnigErrorInfo information = {};
        const int result = compileEngineRegex(pattern, regex, &information);
        if (result != ONIG_NORMAL)
            throw oniguruma::regex_error(engineMessage(result, &information) + " in regex " +
                                         toUtf8(pattern));
        return wrap(regex, pattern);
    }

    bool search(const OnigRegexRef& regex, const uchar* start, const uchar* rangeEnd,
                const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                bool allowEmpty) override
    {
        OnigRegion* engineRegion = static_cast<OnigRegion*>(region.engineRegion());
        MatchRegion::Utf8Text& converted = convertedText(region, textStart, textEnd);
        const RequiredCharacters* required = regex.requiredCharacters();
        if (required && !required->heldBy(charactersFrom(converted, start, textStart, textEnd))) {
            region.setResult(textStart, 0, nullptr, nullptr);
            return false;
        }
        const EngineText text(converted, textStart);
        const OnigRegex engineRegex = static_cast<OnigRegex>(regex.engineRegex());
        const OnigOptionType options = searchOptions(start, rangeEnd, textEnd, region, allowEmpty);
        // An empty range means a match at `start` only. The engine's search
        // misses such matches when it skips ahead by a literal it requires
        // (it finds no "if" in "x if" from 2 to 2), so it is asked to match
        // there instead.
        const int result =
            start == rangeEnd
                ? onig_match(engineRegex, text.at(textStart), text.at(textEnd), text.at(start),
                             engineRegion, options)
                : onig_search(engineRegex, text.at(textStart), text.at(textEnd), text.at(start),
                              text.at(rangeEnd), engineRegion, options);
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

    slate::SP<OnigRegexSetRef> compileSet(
        const std::vector<slate::SP<OnigRegexRef>>& regexes) override
    {
        std::vector<OnigRegex> engineRegexes;
        engineRegexes.reserve(regexes.size());
        for (const slate::SP<OnigRegexRef>& regex : regexes)
            engineRegexes.push_back(static_cast<OnigRegex>(regex->engineRegex()));
        OnigRegSet* set = nullptr;
        if (engineRegexes.empty() ||
            onig_regset_new(&set, static_cast<int>(engineRegexes.size()), engineRegexes.data()) !=
                ONIG_NORMAL)
            return slate::SP<OnigRegexSetRef>();
        // Match parameters made once: the plain set search makes and frees
        // one per regex on every call.
        std::vector<void*> parameters;
        parameters.reserve(regexes.size());
        for (size_t i = 0; i < regexes.size(); ++i)
            parameters.push_back(onig_new_match_param());
        return slate::SP<OnigRegexSetRef>(
            new OnigRegexSetRef(set, std::move(parameters), regexes));
    }

    int searchSet(OnigRegexSetRef& set, const uchar* start, const uchar* rangeEnd,
                  const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                  bool allowEmpty) override
    {
        if (start == rangeEnd && textStart != textEnd) {
            // The engine refuses an empty range in a set search; a match
            // can only begin at `start`, so the regexes are tried in turn.
            for (size_t index = 0; index < set.size(); ++index) {
                if (search(set.regex(index), start, rangeEnd, textStart, textEnd, region,
                           allowEmpty))
                    return static_cast<int>(index);
            }
            return -1;
        }
        OnigRegSet* engineSet = static_cast<OnigRegSet*>(set.engineSet());
        const EngineText text(convertedText(region, textStart, textEnd), textStart);
        int matchPosition = 0;
        const int result = onig_regset_search_with_param(
            engineSet, text.at(textStart), text.at(textEnd), text.at(start), text.at(rangeEnd),
            ONIG_REGSET_POSITION_LEAD, searchOptions(start, rangeEnd, textEnd, region, allowEmpty),
            reinterpret_cast<OnigMatchParam**>(set.engineParameters()),
            &matchPosition);
        if (result >= 0) {
            OnigRegion* engineRegion = onig_regset_get_region(engineSet, result);
            region.setResult(textStart, engineRegion->num_regs, engineRegion->beg,
                             engineRegion->end);
            return result;
        }
        region.setResult(textStart, 0, nullptr, nullptr);
        if (result == ONIG_MISMATCH)
            return -1;
        throw oniguruma::regex_error(engineMessage(result, nullptr));
    }

private:
    const bool m_factors;
};

} // namespace

namespace oniguruma {

regex_error::regex_error(std::string message) : m_message(std::move(message)) {}

regex_error::regex_error(const ustring& message) : m_message(toUtf8(message)) {}

const char* regex_error::what() const noexcept { return m_message.c_str(); }

} // namespace oniguruma

OnigRegexRef::~OnigRegexRef() { onig_free(static_cast<OnigRegex>(m_engineRegex)); }

OnigRegexSetRef::~OnigRegexSetRef()
{
    // Freeing a set frees the regexes in it, but ours stay shared: take them
    // out first, last to first so that nothing moves.
    OnigRegSet* set = static_cast<OnigRegSet*>(m_engineSet);
    for (int index = onig_regset_number_of_regex(set); index > 0; --index)
        onig_regset_replace(set, index - 1, nullptr);
    onig_regset_free(set);
    for (void* parameter : m_engineParameters)
        onig_free_match_param(static_cast<OnigMatchParam*>(parameter));
}

slate::SP<OnigRegexSetRef> RegexScanner::compileSet(const std::vector<slate::SP<OnigRegexRef>>&)
{
    return slate::SP<OnigRegexSetRef>();
}

int RegexScanner::searchSet(OnigRegexSetRef& set, const uchar* start, const uchar* rangeEnd,
                            const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                            bool allowEmpty)
{
    // Only a scanner that makes sets searches them.
    (void)set, (void)start, (void)rangeEnd, (void)textStart, (void)textEnd, (void)allowEmpty;
    region.setResult(textStart, 0, nullptr, nullptr);
    throw oniguruma::regex_error(std::string("no regex set"));
}

MatchRegion::MatchRegion() : m_engineRegion(onig_region_new()) {}

MatchRegion::~MatchRegion() { onig_region_free(static_cast<OnigRegion*>(m_engineRegion), 1); }

RegexScanner& onigScanner()
{
    static OnigScanner scanner(true);
    return scanner;
}

RegexScanner& onigScannerAsWritten()
{
    static OnigScanner scanner(false);
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
