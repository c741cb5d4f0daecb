#include "ui/text/util/regex_utils.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/pattern_syntax.h"
#include "ui/unicode.h"

namespace {

namespace flags = boost::regex_constants;

std::string narrow(const ustring& text) { return toUtf8(text); }

TEST(RegexFormatFlags, OptionLettersSelectReplaceFlags)
{
    struct Case {
        const char16_t* options;
        RegexFlags expected;
    };
    const Case cases[] = {
        {u"", flags::format_all | flags::format_first_only | flags::match_single_line},
        {u"gm", flags::format_all},
        {u"g", flags::format_all | flags::match_single_line},
        {u"m", flags::format_all | flags::format_first_only},
        {u"gi", flags::format_all | flags::match_single_line},
        {u"xyz", flags::format_all | flags::format_first_only | flags::match_single_line},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.options));
        EXPECT_EQ(regexFormatFlags(c.options), c.expected);
    }
}

TEST(RegexFormatFlags, FirstOnlyAndSingleLineTakeEffectInReplace)
{
    WideRegex regex = makeRegex(u"^a", u"");
    EXPECT_EQ(regexReplace(u"ab\nab", regex, u"X", regexFormatFlags(u"g")), u"Xb\nab");
    EXPECT_EQ(regexReplace(u"ab\nab", regex, u"X", regexFormatFlags(u"gm")), u"Xb\nXb");
    EXPECT_EQ(regexReplace(u"a a", makeRegex(u"a", u""), u"X", regexFormatFlags(u"")), u"X a");
}

// The library's formatter read one unit past the end of a format that ends
// inside a conditional.
TEST(RegexReplace, UnfinishedConditionalAtTheEndOfTheFormatIsText)
{
    const WideRegex regex = makeRegex(u"b", u"");
    const RegexFlags all = regexFormatFlags(u"g");
    EXPECT_EQ(regexReplace(u"abcb", regex, u"?{0", all), u"a?{0c?{0");
    EXPECT_EQ(regexReplace(u"abc", regex, u"?{", all), u"a?{c");
    EXPECT_EQ(regexReplace(u"abc", regex, u"[$0]", all), u"a[b]c");
    EXPECT_EQ(regexReplace(u"abc", makeRegex(u"x", u""), u"?{0", all), u"abc");
}

TEST(MakeRegex, IgnoresCaseOnlyWithI)
{
    EXPECT_TRUE(boost::u32regex_match(u"ABC", makeRegex(u"abc", u"gi")));
    EXPECT_FALSE(boost::u32regex_match(u"ABC", makeRegex(u"abc", u"g")));
}

TEST(MakeRegex, ReportsPositionsInUtf16Units)
{
    const ustring text = u"\U0001F600x";
    boost::match_results<const uchar*> match;
    ASSERT_TRUE(boost::u32regex_search(text.data(), text.data() + text.size(), match,
                                       makeRegex(u"x", u"")));
    EXPECT_EQ(match.position(size_t(0)), 2);
}

TEST(MakeRegex, BadPatternThrowsTheLibraryError)
{
    EXPECT_THROW(makeRegex(u"(", u""), boost::regex_error);
}

// Boost's UTF-16 reader threw std::out_of_range for these, past every caller
// that catches the library's regex error.
TEST(MakeRegex, UnpairedSurrogateThrowsTheLibraryError)
{
    const ustring patterns[] = {ustring(1, u'\xD800'), u"a" + ustring(1, u'\xDC00') + u"b",
                                u"x" + ustring(1, u'\xDBFF')};
    for (const ustring& pattern : patterns) {
        SCOPED_TRACE(testing::PrintToString(pattern.size()));
        EXPECT_THROW(makeRegex(pattern, u""), boost::regex_error);
        std::vector<RegexTransform> transforms;
        EXPECT_THROW(parseTransformation(u"s/" + pattern + u"/x/", transforms), boost::regex_error);
    }
}

// Patterns from key map files and snippets that end inside an open construct.
// The library's parser reads past the end of these unless the text ends in a
// terminator of ours (valgrind and the address sanitizer report the read).
TEST(MakeRegex, PatternsOpenAtTheEndAreRefusedWithoutReadingPastThem)
{
    const ustring patterns[] = {u"[a-b", u"[)-b", u"[a-", u"[\\d-", u"(?1", u"a(?+2", u"(?-12",
                                u"\\\\(?1", ustring(u"[\u285f-\0", 4)};
    for (const ustring& pattern : patterns) {
        SCOPED_TRACE(toUtf8Replacing(pattern));
        EXPECT_THROW(makeRegex(pattern, u""), boost::regex_error);
    }
    // Characters outside the basic plane still read as one character.
    EXPECT_TRUE(boost::u32regex_match(u"\U0001F600", makeRegex(u"^.$", u"")));
    EXPECT_TRUE(boost::u32regex_match(u"(1", makeRegex(u"\\(?1", u"")));
}

TEST(EscapeRegex, EscapesExactlyTheSpecialUnits)
{
    struct Case {
        ustring text;
        ustring expected;
    };
    const Case cases[] = {
        {u"a.b(c)", u"a\\.b\\(c\\)"},
        {u"x y_z", u"x y_z"},
        {u"/#", u"/#"},
        {u".[]{}+*?|^$()-,=:!\\",
         u"\\.\\[\\]\\{\\}\\+\\*\\?\\|\\^\\$\\(\\)\\-\\,\\=\\:\\!\\\\"},
        {ustring(u"a\0b", 3), ustring(u"a\\\0b", 4)},
        {u"\u00e9\uff08", u"\u00e9\uff08"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        EXPECT_EQ(escapeRegex(c.text), c.expected);
    }
}

// The escaped text serves in both engines: scope selectors use it with the
// program's regexes, end patterns of grammars with the grammar engine.
TEST(EscapeRegex, EscapedTextMatchesItselfLiterallyInBothEngines)
{
    const ustring text = u"a.b[c]{1,2}+*?|^$(d)-e,f=g:h!i\\j k/#";
    ustring escaped = escapeRegex(text);

    EXPECT_TRUE(boost::u32regex_match(text.data(), text.data() + text.size(),
                                      makeRegex(escaped, u"")));

    slate::SP<OnigRegexRef> regex = onigScanner().compile(escaped);
    MatchRegion region;
    ASSERT_TRUE(onigScanner().search(*regex, text.data(), text.data() + text.size(), text.data(),
                                     text.data() + text.size(), region, true));
    EXPECT_EQ(region.begin(0), 0);
    EXPECT_EQ(region.end(0), static_cast<int32_t>(text.size()));
}

struct TransformCase {
    const char16_t* list;
    const char16_t* input;
    size_t transformCount;
    const char16_t* output; // the input after every transform in order
};

TEST(ParseTransformation, ReadsSubstitutionLists)
{
    const TransformCase cases[] = {
        {u"s/a/b", u"aa", 0, u"aa"},                 // format not closed: dropped
        {u"s/a", u"aa", 0, u"aa"},                   // pattern not closed: dropped
        {u"s/a/b/", u"aa", 1, u"ba"},                // no options: first match only
        {u"# a note\ns/a/b/g", u"aa", 1, u"bb"},     // comment line, then one item
        {u"s/_/ /g; s/^x//", u"x_y_z", 2, u" y z"},  // two items in order
        {u"s/_/ /g\ns/^x//\n", u"x_y_z", 2, u" y z"},
        {u"s/\\//-/g", u"a/b/c", 1, u"a-b-c"},       // an escaped "/" in the pattern
        {u"s/a/\\//g", u"aba", 1, u"/b/"},           // and in the format
        {u"s/A/x/g i", u"aA", 1, u"xx"},             // blanks stay in the options
        {u"s/a/b/g# rest of line\ns/b/c/", u"aa", 2, u"cb"},
        {u"s/^b/x/", u"a\nb", 1, u"a\nb"},           // "^" at the text start only
        {u"s/^b/x/m", u"a\nb", 1, u"a\nx"},
        {u"", u"aa", 0, u"aa"},
    };
    for (const TransformCase& c : cases) {
        SCOPED_TRACE(narrow(c.list));
        std::vector<RegexTransform> transforms;
        parseTransformation(slate::usubstring(c.list), transforms);
        EXPECT_EQ(transforms.size(), c.transformCount);
        ustring text = c.input;
        for (const RegexTransform& transform : transforms)
            text = regexReplace(text, transform.regex, transform.format, transform.flags);
        EXPECT_EQ(text, c.output);
    }
}

TEST(ParseTransformation, KeepsPatternFormatAndOptionsAsWritten)
{
    std::vector<RegexTransform> transforms;
    parseTransformation(slate::usubstring(u"s/a\\.b/$0\\n/gm"), transforms);
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_EQ(transforms[0].format, u"$0\\n");
    EXPECT_EQ(transforms[0].flags, regexFormatFlags(u"gm"));
}

TEST(CompileTransformations, BadPatternThrowsKeepingEarlierTransforms)
{
    std::vector<RegexTransformSpec> specs = {
        {u"a", u"b", u"g"}, {u"(", u"x", u""}, {u"c", u"d", u""}};
    std::vector<RegexTransform> transforms(5);
    EXPECT_THROW(compileTransformations(specs, transforms), boost::regex_error);
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_EQ(transforms[0].format, u"b");
}

TEST(RewriteFormatString, RewritesOnlyConditionalGroups)
{
    struct Case {
        const char16_t* format;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"(?1:a:b)", u"(?1a:b)"},
        {u"$1", u"$1"},
        {u"12:30", u"12:30"},
        {u"(12:30)", u"(12:30)"},
        {u"at (?2:x:y) and (?10:u:v)", u"at (?2x:y) and (?10u:v)"},
        {u"(?1:(?2:x:y):z)", u"(?1(?2x:y):z)"},
        {u"(?1:2:3)", u"(?{1}2:3)"},       // a digit after the colon is not part of the group
        {u"\\(?1:a:b)", u"\\(?1:a:b)"},   // an escaped parenthesis is text
        {u"\\\\(?1:a:b)", u"\\\\(?1a:b)"}, // an escaped backslash is not an escape of "("
        {u"${1:/upcase}", u"${1:/upcase}"},
        {u"(?:x)", u"(?:x)"},
        {u"(?1", u"(?1"},
        {u"trailing\\", u"trailing\\"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.format));
        EXPECT_EQ(rewriteFormatString(c.format), c.expected);
    }
}

TEST(RewriteFormatString, RewrittenConditionalsReplaceAsWritten)
{
    WideRegex regex = makeRegex(u"(a)|b", u"");
    RegexFlags all = regexFormatFlags(u"g");
    EXPECT_EQ(regexReplace(u"ab", regex, rewriteFormatString(u"[(?1:yes:no)]"), all),
              u"[yes][no]");
    EXPECT_EQ(regexReplace(u"ab", regex, rewriteFormatString(u"(?1:2:3)"), all), u"23");
    EXPECT_EQ(regexReplace(u"a", regex, rewriteFormatString(u"12:30"), all), u"12:30");
}

TEST(MatchOrderLess, SortsByStartThenLongerFirst)
{
    struct SelectorMatch : RegexMatch {
        int32_t selector;
    };
    std::vector<SelectorMatch> matches = {{{5, 2}, 0}, {{3, 1}, 1}, {{3, 4}, 2}, {{-1, 0}, 3}};
    std::sort(matches.begin(), matches.end(), matchOrderLess);
    std::vector<int32_t> order;
    for (const SelectorMatch& match : matches)
        order.push_back(match.selector);
    EXPECT_EQ(order, (std::vector<int32_t>{3, 2, 1, 0}));
    EXPECT_FALSE(matchOrderLess(RegexMatch{3, 4}, RegexMatch{3, 4}));
}

} // namespace
