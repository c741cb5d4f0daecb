#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/parse_strings.h"

TEST(ParseStrings, SplitsQuotesAndEscapes)
{
    struct Case {
        ustring line;
        std::vector<ustring> words;
    };
    const Case cases[] = {
        {u"  a  b  ", {u"a", u"b"}},
        {u"\"a b\" c", {u"a b", u"c"}},
        {u"ab\"cd\"", {u"ab", u"cd"}},
        {u"\"cd\"ab", {u"cd", u"ab"}},
        {u"\"\"", {u""}},
        {u"a\\ b", {u"a b"}},
        {u"'it\\'s'", {u"it's"}},
        {u"\"say 'hi'\"", {u"say 'hi'"}},
        {u"\"abc", {u"abc"}},
        {u"\\n", {u"\n"}},
        {u"\"x\\ty\\n\"", {u"x\ty\n"}},
        {u" \t \t", {}},
        {u"", {}},
        {u"end\\", {u"end"}},
        {u"insert \"a\\\"b\\\\c\"", {u"insert", u"a\"b\\c"}},
        {u"\\\"quoted", {u"\"quoted"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        std::vector<ustring> words{u"kept"};
        parseStrings(c.line, words);
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(words.front(), u"kept");
        words.erase(words.begin());
        EXPECT_EQ(words, c.words);
    }
}
