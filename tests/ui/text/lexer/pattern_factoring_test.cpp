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



// Sixteen words or more, read without case: a look-ahead for their first
// characters goes first (after the options), also in front of look-behinds,
// when every match must begin inside the group.
TEST(PatternFactoring, LongCaselessAlternationGetsAFirstCharacterLookAhead)
{
    const ustring words = u"ab|ac|bd|be|cf|cg|dh|di|ej|ek|fl|fm|gn|go|hp|hq";
    const ustring peek =
        u"(?=[a\\x{1E9A}bcdef\\x{FB00}\\x{FB01}\\x{FB02}\\x{FB03}\\x{FB04}gh\\x{1E96}])";
    struct Case {
        const char* name;
        ustring pattern;
        bool peeks;
    };
    const Case cases[] = {
        {"after the options and before a look-behind", u"(?i)(?<![-\\w])(" + words + u")\\b",
         true},
        {"a class and a quantified word", u"(?i)\\b(?:[ab]x|ay?|" + words + u")", true},
        {"with case", u"(?<![-\\w])(" + words + u")", false},
        {"fifteen words", u"(?i)(ab|ac|bd|be|cf|cg|dh|di|ej|ek|fl|fm|gn|go|hp)", false},
        {"the group may be left out", u"(?i)(" + words + u")?x", false},
        {"another alternative of the pattern", u"(?i)(" + words + u")|x", false},
        {"a word that may begin with nothing", u"(?i)(a?b|" + words + u")", false},
        {"a negated class", u"(?i)([^a]b|" + words + u")", false},
        {"something consumed before the group", u"(?i)x(" + words + u")", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ustring rewritten;
        factorLiteralAlternatives(slate::usubstring(c.pattern), rewritten);
        const size_t found = rewritten.find(u"(?=[");
        EXPECT_EQ(found != ustring::npos, c.peeks) << toUtf8(rewritten);
        if (c.peeks) {
            EXPECT_EQ(found, 4u);
            EXPECT_EQ(rewritten.compare(found, peek.size(), peek), 0) << toUtf8(rewritten);
        }
    }
}

// Read without case, a word also matches characters that fold to two
// letters ("\u00df" for "ss", "\uFB01" for "fi") or to one ("\u017F" for
// "s", the Kelvin sign for "k"): the look-ahead must let every one through.
TEST(PatternFactoring, LookAheadKeepsCharactersThatFoldToLetters)
{
    const ustring pattern =
        u"(?i)(?<!-)(ssa|fia|ffx|kb|sb|ab|ac|bd|be|cf|cg|dh|di|ej|ek|fl|fm|gn|go|hp|hq|"
        u"ta|wa|ya|ja|ha|ia)";
    ustring factored;
    ASSERT_TRUE(factorLiteralAlternatives(slate::usubstring(pattern), factored));
    const slate::SP<OnigRegexRef> asWritten = onigScannerAsWritten().compile(pattern);
    const slate::SP<OnigRegexRef> rewritten = onigScannerAsWritten().compile(factored);
    const ustring lines[] = {
        u"x \u00dfa", u"x \u1E9Ea", u"x \uFB01a", u"x \uFB00x", u"x \u017Fb", u"x \u212Ab",
        u"x \u1E97a", u"x \u1E98a", u"x \u1E99a", u"x \u01F0a", u"x \u1E96a", u"x \u0130a",
        u"x SSA", u"-ab ab",
    };
    MatchRegion asWrittenRegion;
    MatchRegion factoredRegion;
    for (const ustring& line : lines) {
        SCOPED_TRACE(toUtf8(line));
        const uchar* begin = line.data();
        const uchar* end = begin + line.size();
        const bool found =
            onigScannerAsWritten().search(*asWritten, begin, end, begin, end, asWrittenRegion, true);
        ASSERT_EQ(onigScannerAsWritten().search(*rewritten, begin, end, begin, end,
                                                factoredRegion, true),
                  found);
        if (found) {
            EXPECT_EQ(factoredRegion.begin(0), asWrittenRegion.begin(0));
            EXPECT_EQ(factoredRegion.end(0), asWrittenRegion.end(0));
        }
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
