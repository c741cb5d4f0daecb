// Finding the pair of brackets around a caret.
#include "ui/text/bracket_matching.h"

#include <gtest/gtest.h>

#include <string>

#include "assertion_recorder.h"
#include "selection_printers.h"
#include "ui/text/token/token_storage.h"

namespace {

TEST(BracketMatching, FindsThePairAroundOrBesideTheCaret)
{
    constexpr uint32_t kAll =
        kMatchParentheses | kMatchSquareBrackets | kMatchBraces | kMatchAngleBrackets;
    struct Case {
        const char* name;
        const char16_t* text;
        int64_t position;
        uint32_t kinds;
        SelectionRegion expected;
    };
    const Case cases[] = {
        {"before the opening bracket", u"(a)", 0, kMatchParentheses, {0, 3}},
        {"after the closing bracket", u"(a)", 3, kMatchParentheses, {0, 3}},
        {"inside", u"(a)", 1, kMatchParentheses, {0, 3}},
        {"crossed, parentheses only", u"([)]", 1, kMatchParentheses, {0, 3}},
        {"crossed, square brackets too", u"([)]", 1, kMatchParentheses | kMatchSquareBrackets,
         {0, 0}},
        {"nested, innermost pair", u"x(a(b)c)", 5, kMatchParentheses, {3, 6}},
        {"nested, after the inner pair", u"x(a(b)c)", 7, kMatchParentheses, {1, 8}},
        {"the bracket after the caret wins", u"(a)(b)", 3, kMatchParentheses, {3, 6}},
        {"braces", u"f() { g(); }", 5, kMatchParentheses | kMatchBraces, {4, 12}},
        {"kind disabled", u"{a}", 1, kMatchParentheses, {0, 0}},
        {"no kind enabled", u"(a)", 1, 0, {0, 0}},
        {"angle brackets", u"a<b>", 2, kAll, {1, 4}},
        // A disabled opening bracket after the caret still moves the start
        // point past it.
        {"disabled bracket moves the start", u"(<)", 1, kMatchParentheses, {0, 3}},
        {"unmatched", u"((a)", 0, kMatchParentheses, {0, 0}},
        {"no brackets", u"abc", 1, kAll, {0, 0}},
        {"empty text", u"", 0, kAll, {0, 0}},
        {"position clamped", u"(a)", 99, kMatchParentheses, {0, 3}},
        {"negative position clamped", u"(a)", -4, kMatchParentheses, {0, 3}},
        {"across lines", u"(\n  a\n)", 3, kMatchParentheses, {0, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ustring text = c.text;
        TokenStorage storage(text.data(), text.data() + text.size());
        EXPECT_EQ(c.expected,
                  findMatchingBracket(storage, c.position, kBracketSearchLimit, c.kinds));
    }
}

TEST(BracketMatching, LooksNoFurtherThanTheLimitEachWay)
{
    const ustring text = u"(" + ustring(50, u'x') + u")";
    TokenStorage storage(text.data(), text.data() + text.size());
    // The closing bracket at 51 is read only when the forward scan may reach
    // position + limit = 52; the backward scan reaches 0 from 25 with 25.
    EXPECT_EQ(SelectionRegion(0, 52), findMatchingBracket(storage, 25, 27, kMatchParentheses));
    EXPECT_EQ(SelectionRegion(0, 0), findMatchingBracket(storage, 25, 26, kMatchParentheses));
    EXPECT_EQ(SelectionRegion(0, 52), findMatchingBracket(storage, 51, 51, kMatchParentheses));
    EXPECT_EQ(SelectionRegion(0, 0), findMatchingBracket(storage, 51, 50, kMatchParentheses));
    EXPECT_EQ(SelectionRegion(0, 0), findMatchingBracket(storage, 40, 30, kMatchParentheses));

    // A large text: the pair at the far ends is beyond the view's limit.
    const ustring large = u"(" + ustring(10000, u'a') + u")";
    TokenStorage big(large.data(), large.data() + large.size());
    EXPECT_EQ(SelectionRegion(0, 0), findMatchingBracket(big, 5000, kBracketSearchLimit, 1));
    EXPECT_EQ(SelectionRegion(0, 10002), findMatchingBracket(big, 0, 20000, 1));

    AssertionRecorder recorder;
    EXPECT_THROW(findMatchingBracket(storage, 1, 0, kMatchParentheses), AssertionHit);
    EXPECT_EQ("searchLimit > 0", recorder.lastExpression());
}

} // namespace
