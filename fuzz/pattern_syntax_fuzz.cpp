// Grammar patterns: the input is a pattern and, after its first NUL unit, a
// line to search. Every reader of pattern syntax reads the pattern. The
// cursor's tokens must follow each other without gaps to the pattern's end;
// and where the engine compiles the pattern, every match on the line must
// hold the characters the requirement reader says it needs, and the factored
// pattern must match exactly where the pattern does.
#include <cstdlib>
#include <vector>

#include "fuzz_target.h"
#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/pattern_factoring.h"
#include "ui/text/lexer/pattern_requirement.h"
#include "ui/text/lexer/pattern_syntax.h"

namespace {

// Patterns and lines longer than this only go through the readers: the
// engine's time grows too fast with them to fuzz it well.
constexpr size_t kMostForEngine = 64;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void readTokens(const ustring& pattern)
{
    PatternCursor cursor(pattern);
    const uchar* const end = pattern.data() + pattern.size();
    const uchar* expected = pattern.data();
    int empty = 0;
    for (;;) {
        const PatternToken token = cursor.next();
        check(token.begin == expected && token.begin <= token.end && token.end <= end);
        if (token.is(PatternTokenKind::End))
            break;
        if (token.begin == token.end)
            check(++empty == 1 && token.is(PatternTokenKind::Invalid)); // an unclosed class
        expected = token.end;
    }
    check(expected == end);
}

slate::SP<OnigRegexRef> compileUnfiltered(const ustring& pattern)
{
    try {
        slate::SP<OnigRegexRef> regex = onigScannerAsWritten().compile(pattern);
        regex->setRequiredCharacters(RequiredCharacters()); // every search reaches the engine
        return regex;
    } catch (const oniguruma::regex_error&) {
        return slate::SP<OnigRegexRef>();
    }
}

void matchWithTheEngine(const ustring& pattern, const ustring& line)
{
    slate::SP<OnigRegexRef> regex = compileUnfiltered(pattern);
    if (!regex)
        return;
    RequiredCharacters required;
    const bool known = findRequiredCharacters(pattern, required);
    ustring factored;
    slate::SP<OnigRegexRef> factoredRegex;
    if (factorLiteralAlternatives(pattern, factored)) {
        factoredRegex = compileUnfiltered(factored);
        check(factoredRegex && factoredRegex->captureCount() == regex->captureCount());
    }
    const uchar* begin = line.data();
    const uchar* end = begin + line.size();
    MatchRegion region;
    MatchRegion factoredRegion;
    for (const uchar* start = begin; start <= end;) {
        bool found = false;
        try {
            found = onigScannerAsWritten().search(*regex, start, end, begin, end, region, true);
            if (factoredRegex) {
                check(onigScannerAsWritten().search(*factoredRegex, start, end, begin, end,
                                                    factoredRegion, true) == found);
                if (found) {
                    check(factoredRegion.begin(0) == region.begin(0) &&
                          factoredRegion.end(0) == region.end(0));
                }
            }
        } catch (const oniguruma::regex_error&) {
            return; // the engine gave up (too much backtracking, say)
        }
        if (!found)
            break;
        const uchar* matchBegin = begin + region.begin(0);
        if (known) {
            CharacterSet present;
            for (const uchar* p = matchBegin; p != end; ++p)
                present.add(*p);
            check(required.heldBy(present));
        }
        start = std::max(begin + region.end(0), start + 1);
    }
}

} // namespace

VANTREL_FUZZ_TARGET(pattern_syntax)
{
    const ustring text = fuzzUnits(data, size);
    const size_t split = text.find(u'\0');
    const ustring pattern = text.substr(0, split);
    const ustring line = split == ustring::npos ? ustring() : text.substr(split + 1);

    readTokens(pattern);
    searchAnchorOf(pattern);
    ustring widened;
    widenByteEscapes(pattern, widened);
    std::vector<slate::usubstring> references;
    findBackReferences(pattern, references);
    check(hasBackReferences(pattern) == !references.empty());
    for (const slate::usubstring& reference : references)
        check(reference.begin >= pattern.data() && reference.end <= pattern.data() + pattern.size());
    RequiredCharacters required;
    findRequiredCharacters(pattern, required);
    ustring factored;
    factorLiteralAlternatives(pattern, factored);

    if (pattern.size() <= kMostForEngine && line.size() <= kMostForEngine)
        matchWithTheEngine(pattern, line);
    return 0;
}
