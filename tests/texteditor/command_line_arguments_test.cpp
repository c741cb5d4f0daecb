#include "texteditor/command_line_arguments.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Words = std::vector<ustring>;

TEST(CommandLineArguments, TableOfArguments)
{
    struct Case {
        const char* name;
        Words arguments;
        Words files;
        Words commands;
        ustring project;
        Words packages;
    };
    const Case cases[] = {
        {"a file keeps its line and column for the opener", {u"notes.txt:12:5"}, {u"notes.txt:12:5"}, {}, u"", {}},
        {"two commands keep their order", {u"--command", u"b", u"--command", u"a"}, {}, {u"b", u"a"}, u"", {}},
        {"the last project wins", {u"--project", u"one", u"--project", u"two"}, {}, {}, u"two", {}},
        {"a value-taking switch standing last is ignored", {u"a.txt", u"--command"}, {u"a.txt"}, {}, u"", {}},
        {"a value is taken whatever it looks like", {u"--command", u"--debug", u"x"}, {u"x"}, {u"--debug"}, u"", {}},
        {"--install takes no value", {u"--install", u"Tools.vantrel-package"}, {}, {}, u"", {u"Tools.vantrel-package"}},
        {"a package name in any letter case", {u"X.VANTREL-PACKAGE", u"y.Vantrel-Package"}, {}, {}, u"",
         {u"X.VANTREL-PACKAGE", u"y.Vantrel-Package"}},
        {"a name that only contains the extension is a file", {u"a.vantrel-package.txt"}, {u"a.vantrel-package.txt"},
         {}, u"", {}},
        {"an unknown switch is skipped alone", {u"--x", u"a.txt"}, {u"a.txt"}, {}, u"", {}},
        {"switches are case-sensitive", {u"--Command", u"a.txt"}, {u"a.txt"}, {}, u"", {}},
        {"the data value is not a file", {u"--data", u"D:\\data", u"b.txt"}, {u"b.txt"}, {}, u"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLineArguments parsed = parseCommandLineArguments(c.arguments);
        EXPECT_EQ(parsed.files, c.files);
        EXPECT_EQ(parsed.commands, c.commands);
        EXPECT_EQ(parsed.project, c.project);
        EXPECT_EQ(parsed.packages, c.packages);
    }
}

TEST(CommandLineArguments, FlagSwitches)
{
    const CommandLineArguments defaults = parseCommandLineArguments({});
    EXPECT_TRUE(defaults.singleInstance);
    EXPECT_TRUE(defaults.swapChains);
    EXPECT_FALSE(defaults.openGL || defaults.restore || defaults.debug || defaults.hasDataSwitch);

    const CommandLineArguments all = parseCommandLineArguments(
        {u"--multiinstance", u"--no-swapchains", u"--opengl", u"--debug", u"--restore"});
    EXPECT_FALSE(all.singleInstance);
    EXPECT_FALSE(all.swapChains);
    EXPECT_TRUE(all.openGL && all.restore && all.debug);
    EXPECT_TRUE(all.files.empty());
}

TEST(CommandLineArguments, DataSwitchNeedsAValue)
{
    const CommandLineArguments given = parseCommandLineArguments({u"--data", u"relative\\"});
    EXPECT_TRUE(given.hasDataSwitch);
    EXPECT_EQ(given.dataSwitch, u"relative\\");
    EXPECT_FALSE(parseCommandLineArguments({u"--data"}).hasDataSwitch);
}

} // namespace
