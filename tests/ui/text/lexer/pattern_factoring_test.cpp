#include "ui/text/lexer/pattern_factoring.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/pattern_corpus.h"
#include "ui/unicode.h"

namespace {

struct RewriteCase {
    const char* name;
    const char16_t* pattern;
    const char16_t* expected; // null: left as it is
};

TEST(PatternFactoring, FactorsLiteralAlternativesKeepingTheirOrder)
{
    const RewriteCase cases[] = {
        {"shared prefixes", u"\\b(?:class|continue|case)\\b", u"\\b(?:c(?:lass|ontinue|ase))\\b"},
        {"capturing group stays capturing", u"(else|elif)", u"(el(?:se|if))"},
        {"shorter word first keeps its place", u"(?:do|done|for)", u"(?:do(?:|ne)|for)"},
        {"longer word first keeps its place", u"(?:done|do|for)", u"(?:do(?:ne|)|for)"},
        {"words before and after an empty one stay apart", u"(?:ab||ac)", nullptr},
        {"a repeated word is dropped", u"(?:if|in|if)", u"(?:i(?:f|n))"},
        {"escaped punctuation is a literal", u"(?:a\\.b|a\\-c)", u"(?:a(?:\\.b|-c))"},
        {"named group", u"(?<kw>let|loop)", u"(?<kw>l(?:et|oop))"},
        {"look-ahead", u"(?=int|inline)", u"(?=in(?:t|line))"},
        {"without case, by lower case", u"(?i)(?:Auto|alias)", u"(?i)(?:A(?:uto|lias))"},
        {"without case, a folded pair is not cut", u"(?i:(?:fa|fi))", u"(?i:(?:fa|fi))"},
        {"with case, the same pair is cut", u"(?:fa|fi)", u"(?:f(?:a|i))"},
        {"without case, a pair inside the prefix stays whole", u"(?i)(?:fill|fixed)",
         u"(?i)(?:fi(?:ll|xed))"},
        {"case only inside the option group", u"(?i:x)(?:st|sa)", u"(?i:x)(?:s(?:t|a))"},
        {"nothing shared", u"(?:if|do|for)", nullptr},
        {"look-behind is left alone", u"(?<=ab|ac)x", nullptr},
        {"quantified literal", u"(?:ab?|ac)", nullptr},
        {"class", u"(?:a[bc]|ad)", nullptr},
        {"escaped letter", u"(?:a\\d|ae)", nullptr},
        {"non-ASCII", u"(?:\u00e9a|\u00e9b)", nullptr},
        {"extended form with blanks", u"(?x)(?: ab | ac )", nullptr},
        {"extended comment holding a parenthesis", u"(?x) # note (\n(?:ab|ac)",
         u"(?x) # note (\n(?:a(?:b|c))"},
        {"parenthesis inside a class", u"[(](?:ab|ac)", u"[(](?:a(?:b|c))"},
        {"escaped parenthesis", u"\\((?:ab|ac)", u"\\((?:a(?:b|c))"},
        {"unbalanced pattern", u"(?:ab|ac))", nullptr},
        {"runs of literals between other alternatives keep their places",
         u"\\b(?i)(abort|absent|day(s)?|hold|hour|top??|x)\\b",
         u"\\b(?i)((?:ab(?:ort|sent))|day(s)?|(?:ho(?:ld|ur))|top??|x)\\b"},
        {"a lone literal between others is copied", u"(?:a+|ab|b?|bc|bd)",
         u"(?:a+|ab|b?|(?:b(?:c|d)))"},
        {"an option switch among the alternatives", u"(?:ab|ac|(?i)ad|ae)", nullptr},
        {"a group inside an alternative stays as written", u"(?:(?:xa|xb)y|ab|ac)",
         u"(?:(?:xa|xb)y|(?:a(?:b|c)))"},
    };
    for (const RewriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ustring rewritten = u"untouched";
        const bool changed = factorLiteralAlternatives(slate::usubstring(c.pattern), rewritten);
        if (!c.expected) {
            EXPECT_TRUE(!changed || rewritten == c.pattern) << toUtf8(rewritten);
            continue;
        }
        ASSERT_TRUE(changed);
        EXPECT_EQ(toUtf8(rewritten), toUtf8(c.expected));
    }
}



// Every keyword alternation of the fixture grammars, factored, finds exactly
// what it finds as written, on every line of the fixture samples.
TEST(PatternFactoring, FixtureGrammarsMatchAlikeFactored)
{
    const std::vector<ustring> patterns = pattern_corpus::fixturePatterns();
    const std::vector<ustring> lines = pattern_corpus::sampleLines();
    MatchRegion asWrittenRegion;
    MatchRegion factoredRegion;
    int compared = 0;
    for (const ustring& pattern : patterns) {
        ustring factored;
        if (!factorLiteralAlternatives(slate::usubstring(pattern), factored))
            continue;
        slate::SP<OnigRegexRef> asWritten;
        try {
            asWritten = onigScannerAsWritten().compile(pattern);
        } catch (const oniguruma::regex_error&) {
            continue; // the grammar's own fault, reported when it loads
        }
        slate::SP<OnigRegexRef> rewritten = onigScannerAsWritten().compile(factored);
        ASSERT_EQ(rewritten->captureCount(), asWritten->captureCount()) << toUtf8(pattern);
        ++compared;
        for (const ustring& line : lines) {
            const uchar* begin = line.data();
            const uchar* end = begin + line.size();
            for (const uchar* start = begin; start <= end;) {
                const bool found = onigScannerAsWritten().search(*asWritten, start, end, begin,
                                                                 end, asWrittenRegion, true);
                ASSERT_EQ(onigScannerAsWritten().search(*rewritten, start, end, begin, end,
                                                        factoredRegion, true),
                          found)
                    << toUtf8(pattern) << " on " << toUtf8(line);
                if (!found)
                    break;
                for (int group = 0; group < asWrittenRegion.count(); ++group) {
                    ASSERT_EQ(factoredRegion.begin(group), asWrittenRegion.begin(group))
                        << toUtf8(pattern) << " on " << toUtf8(line);
                    ASSERT_EQ(factoredRegion.end(group), asWrittenRegion.end(group));
                }
                start = std::max(begin + asWrittenRegion.end(0), start + 1);
            }
        }
    }
    EXPECT_GT(compared, 100);
}

} // namespace
