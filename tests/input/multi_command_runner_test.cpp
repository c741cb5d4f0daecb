#include "input/multi_command_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/command_map.h"

namespace {

// A parameterised runner that knows every command whose name is in its
// list, enables it when `enabled`, and records what ran with which
// parameter.
struct RecordingRunner : ParameterisedCommandRunner<int> {
    bool enabled = true;
    ustring state;
    std::vector<std::pair<ustring, int>> ran;

    void exec(const slate::usubstring& line, int parameter) override { ran.push_back({line.str(), parameter}); }
    bool isEnabled(const slate::usubstring&, int) override { return enabled; }
    ustring value(const slate::usubstring&, int) override { return state; }
    bool has(const slate::usubstring&, int) override { return true; }
};

} // namespace

TEST(MultiCommandRunner, FirstEnabledRunnerRunsTheCommand)
{
    CommandMap map;
    int mapRuns = 0;
    map.addEnabled("paste", [&](const CommandArguments&) { ++mapRuns; },
                   [](const CommandArguments&) { return false; });
    RecordingRunner plugin;
    ParameterisedCommandRunnerBinding<int> binding(&plugin, 7);

    MultiCommandRunner chain;
    chain.addRunner(&map);
    chain.addRunner(&binding);
    chain.exec(u"paste now");
    EXPECT_EQ(mapRuns, 0);
    ASSERT_EQ(plugin.ran.size(), 1u);
    EXPECT_EQ(plugin.ran[0].first, u"paste now");
    EXPECT_EQ(plugin.ran[0].second, 7);
    EXPECT_TRUE(chain.isEnabled(u"paste"));

    // Once the map enables it, the map comes first.
    map.add("paste", [&](const CommandArguments&) { ++mapRuns; });
    chain.exec(u"paste");
    EXPECT_EQ(mapRuns, 1);
    EXPECT_EQ(plugin.ran.size(), 1u);

    // Nobody enabled: nothing runs.
    map.addEnabled("paste", [&](const CommandArguments&) { ++mapRuns; },
                   [](const CommandArguments&) { return false; });
    plugin.enabled = false;
    chain.exec(u"paste");
    EXPECT_EQ(mapRuns, 1);
    EXPECT_EQ(plugin.ran.size(), 1u);
    EXPECT_FALSE(chain.isEnabled(u"paste"));
    EXPECT_TRUE(chain.has(u"paste"));
}

TEST(MultiCommandRunner, ValueIsFirstNonEmptyEvenFromDisabledRunner)
{
    CommandMap map;
    map.addEnabledChecked("wrap", [](const CommandArguments&) {},
                          [](const CommandArguments&) { return false; },
                          [](const CommandArguments&) { return true; });
    RecordingRunner plugin;
    plugin.state = u"plugin";
    ParameterisedCommandRunnerBinding<int> binding(&plugin, 0);
    MultiCommandRunner chain;
    chain.addRunner(&binding);
    chain.addRunner(&map);
    EXPECT_EQ(chain.value(u"wrap"), u"plugin");
    plugin.state.clear();
    EXPECT_EQ(chain.value(u"wrap"), u"true");
}

TEST(MultiCommandRunner, EmptyChainAndNullBindingKnowNothing)
{
    MultiCommandRunner chain;
    ParameterisedCommandRunnerBinding<int> unbound(nullptr, 0);
    for (CommandRunner* runner : {static_cast<CommandRunner*>(&chain), static_cast<CommandRunner*>(&unbound)}) {
        runner->exec(u"anything");
        EXPECT_FALSE(runner->isEnabled(u"anything"));
        EXPECT_FALSE(runner->has(u"anything"));
        EXPECT_EQ(runner->value(u"anything"), u"");
    }
}

TEST(MultiCommandRunner, SameRunnerTwiceIsAskedTwiceButRunsOnce)
{
    CommandMap map;
    int runs = 0;
    map.add("x", [&](const CommandArguments&) { ++runs; });
    MultiCommandRunner chain;
    chain.addRunner(&map);
    chain.addRunner(&map);
    chain.exec(u"x");
    EXPECT_EQ(runs, 1);
}
