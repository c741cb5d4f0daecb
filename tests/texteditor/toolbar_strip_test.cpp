#include "texteditor/toolbar_strip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/recording_canvas.h"
#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "input/command_map.h"

namespace {

using control_events::button;

// Two groups: a view command shown checked and a window command, then a
// window command that is disabled. Each button's caption is its command's
// name in capitals.
class ToolbarStripTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_frame.theme().addShader("panel.toolbar", new control_test::NamedShader(&m_canvas, "panel.toolbar"));
        m_viewCommands.addEnabledValue(
            "wrap", [this](const CommandArguments&) { m_ran.push_back("view wrap"); },
            [](const CommandArguments&) { return true; }, [](const CommandArguments&) { return u"true"; });
        m_windowCommands.add("save", [this](const CommandArguments&) { m_ran.push_back("window save"); });
        m_windowCommands.addEnabled(
            "build", [this](const CommandArguments&) { m_ran.push_back("window build"); },
            [](const CommandArguments&) { return false; });
        m_groups.resize(2);
        m_groups[0].emplace_back(&m_canvas, ToolbarButtonEntry{u"wrap", u"WRAP", u""});
        m_groups[0].emplace_back(&m_canvas, ToolbarButtonEntry{u"save", u"SAVE", u""});
        m_groups[1].emplace_back(&m_canvas, ToolbarButtonEntry{u"build", u"BUILD", u""});
        m_canvas.clearLines();
    }

    void draw()
    {
        ToolbarRunners runners{&m_viewCommands, &m_windowCommands, [this] { return &m_viewCommands; }};
        m_frame.frame([&](InputRegion* root) {
            return drawToolbarStrip(m_frame.theme(), root, interval2(0, 0, 400, 32), m_groups, runners);
        });
    }

    RecordingCanvas m_canvas;
    control_test::TestFrame m_frame{m_canvas};
    CommandMap m_viewCommands;
    CommandMap m_windowCommands;
    std::vector<ToolbarGroup> m_groups;
    std::vector<std::string> m_ran;
};

TEST_F(ToolbarStripTest, GroupsAreRowsOfCellsWithTheirStatesFaces)
{
    draw();
    const std::vector<std::string> expected = {
        "shader panel.toolbar 0 0 400 32",
        "shader btn.down.left 8 4 32 28 amount 0",
        "shader btn.right 31 4 55 28 amount 0",
        "shader btn.left 62 4 86 28",
        "setAlpha 0.4",
        "setAlpha 1",
    };
    EXPECT_EQ(expected, m_canvas.lines());
}

TEST_F(ToolbarStripTest, AnEnabledButtonRunsThroughTheRunnersOfTheClickAndADisabledOneOnlyHints)
{
    draw();
    for (float x : {40.f, 70.f}) {
        m_frame.window.onKeyOrButton(button(kMouseLeft, true, x, 10));
        m_frame.platform.dragKey(button(kMouseLeft, false, x, 10));
    }
    EXPECT_EQ(std::vector<std::string>{"window save"}, m_ran);

    BaseWindow::RegionMap regions;
    BaseWindow::collectRegions(m_frame.root(), regions);
    ustring hint;
    ustring command;
    ASSERT_TRUE(regions.count(RegionId(&m_groups[1][0])));
    ASSERT_TRUE(regions[RegionId(&m_groups[1][0])]->hint(hint, command));
    EXPECT_EQ(u"BUILD", hint);
    EXPECT_EQ(u"build", command);
}

} // namespace
