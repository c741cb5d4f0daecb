#include "ui/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/parse_strings.h"
#include "ui/unicode.h"

namespace {

std::vector<slate::usubstring> views(const std::vector<ustring>& words)
{
    return std::vector<slate::usubstring>(words.begin(), words.end());
}

std::vector<ustring> split(const ustring& line)
{
    std::vector<ustring> words;
    parseStrings(line, words);
    return words;
}

// Words that the command-line grammar treats specially, alone and mixed.
const std::vector<std::vector<ustring>> kArgumentLists = {
    {u"insert", u"x"},
    {u"insert", u""},
    {u"insert", u"", u"", u"b"},
    {u"insert", u"two words", u"  padded  "},
    {u"insert", u"say \"hi\"", u"it's", u"'single'"},
    {u"insert", u"back\\slash", u"\\", u"\\\\", u"end\\"},
    {u"insert", u"tab\there", u"\t", u"line\nfeed", u"\n\n", u"cr\r\nlf"},
    {u"insert", u"\\n is not a line feed", u"\\t", u"\\\"", u"#"},
    {u"times", u"3", u"move", u"words", u"1"},
    {u"insert", u"\u00e9\u4e2d\U0001F600"},
};

TEST(CommandLine, JoinedArgumentsSplitBackUnchanged)
{
    for (const std::vector<ustring>& arguments : kArgumentLists) {
        const ustring line = joinCommandLine(views(arguments));
        SCOPED_TRACE(toUtf8(line));
        EXPECT_EQ(split(line), arguments);
    }
}

// Quoting every word lets the command name itself hold any text.
TEST(CommandLine, QuotedArgumentsSplitBackUnchangedCommandNameIncluded)
{
    for (std::vector<ustring> arguments : kArgumentLists) {
        arguments.front() = u"name \"with\" \\ \t\n";
        const ustring line = quoteCommandLine(views(arguments));
        SCOPED_TRACE(toUtf8(line));
        EXPECT_EQ(split(line), arguments);
    }
}

TEST(CommandLine, MadeLineSplitsIntoNameAndTheOneArgument)
{
    for (const std::vector<ustring>& arguments : kArgumentLists) {
        const ustring line = makeCommandLine(arguments[0], arguments[1]);
        SCOPED_TRACE(toUtf8(line));
        EXPECT_EQ(split(line), (std::vector<ustring>{arguments[0], arguments[1]}));
    }
}

TEST(CommandLine, GeneratedLinesHaveTheirDocumentedForm)
{
    const std::vector<ustring> times{u"times", u"3", u"move", u"a\"b"};
    EXPECT_EQ(joinCommandLine(views(times)), u"times \"3\" \"move\" \"a\\\"b\"");
    EXPECT_EQ(joinCommandLine(views(times), 2), u"move \"a\\\"b\"");
    EXPECT_EQ(joinCommandLine(views(times), 4), u"");
    EXPECT_EQ(quoteCommandLine(views({u"insertSnippet", u"a\tb"})), u"\"insertSnippet\" \"a\\tb\"");
    EXPECT_EQ(quoteCommandLine({}), u"");
    EXPECT_EQ(makeCommandLine(u"insertCharacters", u"x\n"), u"insertCharacters \"x\\n\"");
}

} // namespace
