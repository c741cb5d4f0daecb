#include "ui/text/syntax/token_dump.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace {

TEST(TokenDump, DecodingDropsByteOrderMarkAndUnifiesLineBreaks)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
        const char16_t* text;
    } cases[] = {
        {"plain", "a\nb", true, u"a\nb"},
        {"byte-order mark", "\xEF\xBB\xBFx = 1\n", true, u"x = 1\n"},
        {"only a byte-order mark", "\xEF\xBB\xBF", true, u""},
        {"CR LF and CR", "a\r\nb\rc\r\r\n", true, u"a\nb\nc\n\n"},
        {"non-ASCII", "\xC3\xA9\xF0\x9F\x98\x80", true, u"\u00E9\U0001F600"},
        {"malformed", "ok\xFF", false, u""},
        {"empty", "", true, u""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ustring text = u"stale";
        EXPECT_EQ(row.ok, decodeDumpText(row.bytes, text));
        EXPECT_EQ(ustring(row.text), text);
    }
}

TEST(TokenDump, LinesEndAfterTheirLineFeed)
{
    struct Case {
        const char16_t* text;
        std::vector<std::string> lines;
    } cases[] = {
        {u"a\nb\n", {"a\n", "b\n"}},
        {u"a\n\nb", {"a\n", "\n", "b"}},
        {u"\n", {"\n"}},
        {u"", {}},
    };
    for (const Case& row : cases) {
        const ustring text = row.text;
        SCOPED_TRACE(toUtf8(text));
        std::vector<std::string> lines;
        for (const slate::usubstring& line : splitRows(text))
            lines.push_back(toUtf8(line));
        EXPECT_EQ(row.lines, lines);
    }
}

TEST(TokenDump, ScopesAreWrittenOutermostFirst)
{
    EXPECT_EQ("source.c string.quoted.double.c constant.character.escape.c",
              scopeNamesOutermostFirst(u"constant.character.escape.c string.quoted.double.c source.c "));
    EXPECT_EQ("source.c", scopeNamesOutermostFirst(u"source.c "));
    EXPECT_EQ("text.plain", scopeNamesOutermostFirst(u"text.plain"));
    EXPECT_EQ("", scopeNamesOutermostFirst(u""));
}

TEST(TokenDump, TokensGiveRowColumnsInUtf16UnitsAndSkipTheLineBreak)
{
    package_test::Scopes scopes;
    const ScopeRecord* plain = scopes(u"source.x ");
    const ScopeRecord* keyword = scopes(u"keyword.x source.x ");
    // "é😀 if\n": the emoji takes two UTF-16 units.
    const ustring row = u"\u00E9\U0001F600 if\n";
    const uchar* text = row.data();
    const std::vector<LexedToken> tokens = {
        {text, text + 4, plain, nullptr},
        {text + 4, text + 6, keyword, nullptr},
        {text + 6, text + 7, plain, nullptr}, // the line feed alone
    };
    std::string out;
    appendTokenDump(out, 7, slate::usubstring(row), tokens);
    EXPECT_EQ("7\t0\t4\tsource.x\n"
              "7\t4\t6\tsource.x keyword.x\n",
              out);

    // A token that runs into the line feed is cut before it; appending adds
    // to what is there.
    const ustring other = u"ab\n";
    appendTokenDump(out, 8, slate::usubstring(other), {{other.data(), other.data() + 3, plain, nullptr}});
    EXPECT_EQ("7\t0\t4\tsource.x\n"
              "7\t4\t6\tsource.x keyword.x\n"
              "8\t0\t2\tsource.x\n",
              out);
}

} // namespace
