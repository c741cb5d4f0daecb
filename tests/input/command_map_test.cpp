#include "input/command_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/unicode.h"

namespace {

std::vector<ustring> toStrings(const CommandArguments& arguments)
{
    std::vector<ustring> words;
    for (const slate::usubstring& argument : arguments)
        words.push_back(argument.str());
    return words;
}

} // namespace

TEST(CommandMap, HandlersReceiveTheLineSplitIntoArguments)
{
    struct Case {
        const char16_t* line;
        std::vector<ustring> arguments; // empty: the handler must not run
    };
    const Case cases[] = {
        {u"run a\"b c\"d", {u"run", u"a", u"b c", u"d"}},
        {u"run \"\"", {u"run", u""}},
        {u"run a\\ b", {u"run", u"a b"}},
        {u"run \"x\\ny\"", {u"run", u"x\ny"}},
        {u"run 'q\\tr'", {u"run", u"q\tr"}},
        {u"run tail\\", {u"run", u"tail"}},
        {u"run \"open", {u"run", u"open"}},
        {u"\t run\targ  ", {u"run", u"arg"}},
        {u"\"run\" x", {u"run", u"x"}},
        {u"r\\ un x", {}}, // the escaped blank is part of the name "r un"
        {u" \t ", {}},
        {u"", {}},
        {u"Run x", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.line)));
        CommandMap map;
        std::vector<ustring> received;
        bool ran = false;
        map.add("run", [&](const CommandArguments& arguments) {
            ran = true;
            received = toStrings(arguments);
        });
        map.exec(c.line);
        EXPECT_EQ(ran, !c.arguments.empty());
        EXPECT_EQ(received, c.arguments);
        EXPECT_EQ(map.has(c.line), !c.arguments.empty());
        EXPECT_EQ(map.isEnabled(c.line), !c.arguments.empty());
    }
}

TEST(CommandMap, NameWithEscapedBlankIsOneCommand)
{
    CommandMap map;
    int runs = 0;
    map.add("r un", [&](const CommandArguments&) { ++runs; });
    map.exec(u"r\\ un");
    map.exec(u"'r un' x");
    EXPECT_EQ(runs, 2);
}

TEST(CommandMap, DisabledCommandNeverRunsAndReregistrationReplacesTheWholeEntry)
{
    CommandMap map;
    int runs = 0;
    bool enabled = false;
    map.addEnabled("save", [&](const CommandArguments&) { ++runs; },
                   [&](const CommandArguments&) { return enabled; });
    map.exec(u"save");
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(map.isEnabled(u"save"));
    EXPECT_TRUE(map.has(u"save"));
    enabled = true;
    map.exec(u"save");
    EXPECT_EQ(runs, 1);

    enabled = false;
    map.add("save", [&](const CommandArguments&) { runs += 10; });
    EXPECT_TRUE(map.isEnabled(u"save"));
    map.exec(u"save");
    EXPECT_EQ(runs, 11);
}

TEST(CommandMap, EnabledPredicateSeesTheArguments)
{
    CommandMap map;
    ustring ran;
    map.addEnabled("go", [&](const CommandArguments& a) { ran = a[1].str(); },
                   [](const CommandArguments& a) { return a.size() == 2; });
    EXPECT_FALSE(map.isEnabled(u"go"));
    EXPECT_TRUE(map.isEnabled(u"go there"));
    map.exec(u"go");
    map.exec(u"go there");
    EXPECT_EQ(ran, u"there");
}

TEST(CommandMap, ValueComesFromValueThenCheckedAndIgnoresEnabled)
{
    bool checked = true;
    ustring text = u"Wrap";
    CommandMap map;
    map.addChecked("toggle", [](const CommandArguments&) {},
                   [&](const CommandArguments&) { return checked; });
    map.addValue("caption", [](const CommandArguments&) {}, [&](const CommandArguments&) { return text; });
    map.addEnabledValue("off", [](const CommandArguments&) {},
                        [](const CommandArguments&) { return false; },
                        [](const CommandArguments&) { return ustring(u"state"); });
    map.addEnabledChecked("offChecked", [](const CommandArguments&) {},
                          [](const CommandArguments&) { return false; },
                          [](const CommandArguments&) { return true; });
    map.add("plain", [](const CommandArguments&) {});

    EXPECT_EQ(map.value(u"toggle"), u"true");
    checked = false;
    EXPECT_EQ(map.value(u"toggle"), u"false");
    EXPECT_EQ(map.value(u"caption"), u"Wrap");
    text.clear();
    EXPECT_EQ(map.value(u"caption"), u"");
    EXPECT_EQ(map.value(u"off"), u"state");
    EXPECT_FALSE(map.isEnabled(u"off"));
    EXPECT_EQ(map.value(u"offChecked"), u"true");
    EXPECT_EQ(map.value(u"plain"), u"");
    EXPECT_EQ(map.value(u"unknown"), u"");
    EXPECT_EQ(map.value(u"  "), u"");
}

TEST(CommandMap, RemoveEmptyAndCopy)
{
    CommandMap map;
    EXPECT_TRUE(map.empty());
    int runs = 0;
    map.add("a", [&](const CommandArguments&) { ++runs; });
    map.remove("missing");
    EXPECT_FALSE(map.empty());

    CommandMap copy(map);
    map.remove("a");
    EXPECT_TRUE(map.empty());
    EXPECT_FALSE(map.has(u"a"));
    copy.exec(u"a");
    EXPECT_EQ(runs, 1);
}

TEST(CommandMap, HandlerMayReplaceItsOwnCommand)
{
    CommandMap map;
    int runs = 0;
    map.add("once", [&](const CommandArguments&) {
        ++runs;
        map.remove("once");
    });
    map.exec(u"once");
    map.exec(u"once");
    EXPECT_EQ(runs, 1);
}
