#include "ui/text/lexer/pattern_requirement.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/pattern_corpus.h"
#include "ui/unicode.h"

namespace {

std::string describeSet(const CharacterSet& set)
{
    std::string text;
    for (unsigned c = 0; c < 128; ++c) {
        if (!set.contains(static_cast<uchar>(c)))
            continue;
        if (c == CharacterSet::kOutsideAscii)
            text += "<other>";
        else if (c < 32)
            text += "<" + std::to_string(c) + ">";
        else
            text += static_cast<char>(c);
    }
    return text;
}

std::string describe(const RequiredCharacters& required)
{
    std::string text;
    for (int i = 0; i < required.count; ++i)
        text += (i ? " & " : "") + describeSet(required.sets[i]);
    return text;
}

struct Case {
    const char16_t* pattern;
    const char* expected; // the set, null when none is known
};

TEST(PatternRequirement, FindsTheCharactersEveryMatchNeeds)
{
    const Case cases[] = {
        {u"'''|\"\"\"", "\"'"},
        {u"(?<=[\\])])\\s*(?=\\()", "("}, // a look-ahead's text counts
        {u"\\b(def)\\s+(?=\\w+\\()", "( & d & e & f"}, // every part needs its own
        {u"#.*$", "#"},
        {u"a+", "a"},
        {u"x{2,3}", "x"},
        {u"(?:ab|cd)e?", "ac"},
        {u"[,;]", ",;"},
        {u"[0-3]", "0123"},
        {u"\\.\\.\\.", "."},
        {u"\\x{2E}|\\t", "<9>."},
        {u"(?i)q", "<other>Qq"},
        {u"(?i:q)|z", "<other>Qqz"},
        {u"\u20ac", "<other>"},
        {u"(?x) \\( # a comment ( \n", "("},
        {u"a(?i)b|c", "a & <other>BCbc"}, // the option group takes "b|c"
        {u"(?<name>@)", "@"},
        {u"x??", nullptr},
        {u"x*", nullptr},
        {u"x{0,2}", nullptr},
        {u"x{,2}", nullptr},
        {u"(?<=a)b|c", "bc"},
        {u"(?<=@)", nullptr}, // a look-behind may read before the search start
        {u"(?!@)x", "x"},
        {u"(@|)", nullptr},
        {u"[^a]", nullptr},
        {u"[a[b]]", nullptr},
        {u"[a-z&&b]", nullptr},
        {u"\\1", nullptr},
        {u"(a)\\12", "a"},
        {u"\\p{Lu}", nullptr},
        {u"(?i)\u00e9", nullptr}, // may fold into ASCII
        {u"x{", nullptr},
        {u"(?(1)a|b)", nullptr},
        {u"", nullptr},
        {u"a)", nullptr},
        {u"\\cA", nullptr}, // control and meta characters are not followed
        {u"\\C-b", nullptr},
        {u"\\M-x", nullptr},
        {u"x\\M-\\C-y", "x"},
        {u"a(?#c)*b", "b"}, // the quantifier reaches past the comment
        {u"(?x)a #c\n*b", "b"},
        {u"(?#a\\)b)c", "c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.pattern));
        RequiredCharacters set;
        const bool found = findRequiredCharacters(slate::usubstring(c.pattern), set);
        if (!c.expected) {
            EXPECT_FALSE(found) << describe(set);
            EXPECT_EQ(set.count, 0);
        } else {
            ASSERT_TRUE(found);
            EXPECT_EQ(describe(set), c.expected);
        }
    }
}

// Patterns whose escapes or comments were once misread as needing a
// character their matches lack: the scanner, which skips a pattern when the
// line lacks what it needs, still finds them.
TEST(PatternRequirement, ScannerFindsMatchesWithoutMisreadCharacters)
{
    struct Case {
        const char16_t* pattern;
        const char16_t* line;
    };
    const Case cases[] = {
        {u"\\cA", u"\x01"},
        {u"\\C-b", u"\x02"},
        {u"\\M-x", u"\u00f8"},
        {u"a(?#c)*b", u"b"},
    };
    MatchRegion region;
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.pattern));
        slate::SP<OnigRegexRef> regex = onigScanner().compile(c.pattern);
        const ustring line = c.line;
        const uchar* begin = line.data();
        const uchar* end = begin + line.size();
        EXPECT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    }
}

// Every match of every fixture grammar pattern on every sample line holds
// one of the characters found for the pattern, at or after its start.
TEST(PatternRequirement, FixtureGrammarMatchesHoldTheirCharacters)
{
    const std::vector<ustring> patterns = pattern_corpus::fixturePatterns();
    const std::vector<ustring> lines = pattern_corpus::sampleLines();

    MatchRegion region;
    int withSet = 0;
    for (const ustring& pattern : patterns) {
        RequiredCharacters set;
        if (!findRequiredCharacters(slate::usubstring(pattern), set))
            continue;
        slate::SP<OnigRegexRef> regex;
        try {
            regex = onigScanner().compile(pattern);
        } catch (const oniguruma::regex_error&) {
            continue;
        }
        ++withSet;
        for (const ustring& line : lines) {
            const uchar* begin = line.data();
            const uchar* end = begin + line.size();
            for (const uchar* start = begin; start <= end;) {
                if (!onigScanner().search(*regex, start, end, begin, end, region, true))
                    break;
                const uchar* matchBegin = begin + region.begin(0);
                CharacterSet present;
                for (const uchar* p = matchBegin; p != end; ++p)
                    present.add(*p);
                ASSERT_TRUE(set.heldBy(present)) << toUtf8(pattern) << " needs " << describe(set)
                                                 << " on " << toUtf8(line);
                start = std::max(begin + region.end(0), matchBegin + 1);
            }
        }
    }
    EXPECT_GT(withSet, 1000);
}

} // namespace
