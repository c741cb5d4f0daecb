#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "controls/control_events.h"
#include "controls/control_helpers.h"
#include "controls/control_test_window.h"
#include "controls/tree_branches.h"
#include "controls/tree_control.h"
#include "input/command_runner.h"
#include "support/fixed_advance_font.h"
#include "support/golden_drawing.h"

namespace {

using control_events::button;
using control_test::TestFrame;
using tree_test::Branch;

// Rows 17 high (line height 15); every code unit 8 wide.
class TreeControlTest : public testing::Test {
protected:
    TreeControlTest() { m_frame.theme().controlFont.font = &m_font; }

    void drawTree(const interval2& rect = interval2(0, 0, 200, 100))
    {
        m_canvas.clearLines();
        m_frame.frame([&](InputRegion* root) {
            return treeControl(m_frame.theme(), root, rect, &m_offset, &m_root, [&] { ++m_contextActions; });
        });
    }
    // The region of `object` with `index` in the current frame; null when none.
    InputRegion* region(const void* object, int index)
    {
        BaseWindow::RegionMap map;
        BaseWindow::collectRegions(m_frame.root(), map);
        auto found = map.find(RegionId(object, index));
        return found == map.end() ? nullptr : found->second;
    }
    std::vector<std::string> shaderLines()
    {
        std::vector<std::string> lines;
        for (const std::string& line : m_canvas.lines())
            if (line.rfind("shader ", 0) == 0)
                lines.push_back(line);
        return lines;
    }

    FixedAdvanceFont m_font{8, 15};
    RecordingCanvas m_canvas;
    TestFrame m_frame{m_canvas};
    Branch m_root{u"root"};
    vector2 m_offset;
    int m_contextActions = 0;
};

TEST_F(TreeControlTest, CollapsedRootIsAnEmptyFrame)
{
    m_root.setExpanded(false);
    m_root.add(u"hidden");
    const vector2 size = measureTreeBranch(m_frame.theme(), &m_root, true);
    EXPECT_EQ(size.x, 0);
    EXPECT_EQ(size.y, 0);
    drawTree();
    EXPECT_TRUE(shaderLines().empty()); // no rows, no bars
    EXPECT_TRUE(region(&m_root, -1));
    EXPECT_FALSE(region(m_root.child(0), 0));
}

TEST_F(TreeControlTest, RowsAreSeventeenHighWithTheButtonCentred)
{
    Branch* empty = m_root.add(u"empty", false);
    m_root.addLeaf(u"leaf");
    const vector2 size = measureTreeBranch(m_frame.theme(), &m_root, true);
    EXPECT_EQ(size.x, 16 + 5 * 8);
    EXPECT_EQ(size.y, 34);
    drawTree();
    EXPECT_EQ(shaderLines(), (std::vector<std::string>{"shader tree.button 2 3.5 14 15.5 amount 0",
                                                       "shader icon.expand 4 5.5 12 13.5 amount 0"}));
    ASSERT_TRUE(region(empty, 0));
    EXPECT_EQ(region(empty, 0)->rect(), interval2(18, 2, 198, 19));
    ASSERT_TRUE(region(&m_root, 2));
    EXPECT_EQ(region(&m_root, 2)->rect(), interval2(2, 19, 198, 36));

    empty->setExpanded(true); // nothing to show: still two rows
    EXPECT_EQ(measureTreeBranch(m_frame.theme(), &m_root, true).y, 34);
}

TEST_F(TreeControlTest, ButtonsAndDoubleClicksToggleAndActivate)
{
    Branch* branch = m_root.add(u"branch", false);
    m_root.addLeaf(u"leaf");
    drawTree();
    region(branch, 0)->onInputEvent(button(kMouseDoubleClick, true, 50, 5));
    EXPECT_TRUE(branch->isExpanded());
    drawTree();
    region(branch, 1)->onInputEvent(button(kMouseLeft, true, 5, 5));
    m_frame.platform.dragKey(button(kMouseLeft, false, 5, 5));
    EXPECT_FALSE(branch->isExpanded());
    drawTree();
    region(&m_root, 2)->onInputEvent(button(kMouseDoubleClick, true, 50, 25));
    EXPECT_EQ(m_root.activated, std::vector<int>{0});
}

TEST_F(TreeControlTest, SecondaryReleaseShowsTheRowMenuOrRunsTheContextAction)
{
    Branch* withMenu = m_root.add(u"menu");
    withMenu->withMenu();
    withMenu->addLeaf(u"inner");
    Branch* without = m_root.add(u"plain");
    drawTree();
    struct Case {
        const char* name;
        float y;
        int menus;
        int contextActions;
    };
    const Case cases[] = {
        {"a branch with a menu", 5, 1, 0},
        {"a leaf of it", 22, 1, 0},
        {"a branch without a menu", 40, 0, 0},
        {"empty space", 80, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_frame.platform.menusShown = 0;
        m_contextActions = 0;
        m_frame.window.focusState()->m_path.clear();
        EXPECT_TRUE(m_frame.window.onKeyOrButton(button(kMouseRight, false, 50, c.y)));
        EXPECT_EQ(m_frame.platform.menusShown, c.menus);
        EXPECT_EQ(m_contextActions, c.contextActions);
        const std::vector<RegionId>& path = m_frame.window.focusState()->path();
        EXPECT_EQ(!path.empty() && path.front() == RegionId(&m_root, -1), c.contextActions == 1);
    }
    (void)without;
    EXPECT_TRUE(region(&m_root, -1)->onContextMenuKey());
}

// Takes every command line and records it.
struct RecordingRunner : CommandRunner {
    void exec(const slate::usubstring& line) override { lines.push_back(ustring(line.begin, line.end)); }
    bool isEnabled(const slate::usubstring&) override { return true; }
    ustring value(const slate::usubstring&) override { return ustring(); }
    bool has(const slate::usubstring&) override { return true; }
    std::vector<ustring> lines;
};

struct RunnerRegion : InputRegion {
    RunnerRegion(BaseWindow* window, CommandRunner* runner)
        : InputRegion(window, RegionId(runner), interval2(300, 0, 400, 10)), m_runner(runner)
    {
    }
    CommandRunner* commandRunner() override { return m_runner; }
    CommandRunner* m_runner;
};

TEST_F(TreeControlTest, TheChosenMenuCommandRunsThroughTheWindow)
{
    m_root.add(u"menu")->withMenu();
    RecordingRunner runner;
    m_frame.frame([&](InputRegion* root) {
        root->addChild(new RunnerRegion(&m_frame.window, &runner));
        return treeControl(m_frame.theme(), root, interval2(0, 0, 200, 100), &m_offset, &m_root, {});
    });
    m_frame.window.focusState()->setFocusPath(region(&runner, 0));
    m_frame.platform.chosenCommand = u"reveal";
    EXPECT_TRUE(m_frame.window.onKeyOrButton(button(kMouseRight, false, 50, 5)));
    EXPECT_EQ(runner.lines, std::vector<ustring>{u"reveal"});
}

TEST_F(TreeControlTest, OnlyRowsInsideTheClipAreDrawn)
{
    for (int i = 0; i < 5; ++i) {
        Branch* branch = m_root.add(u"b" + ustring(1, u'0' + char16_t(i)));
        for (int j = 0; j < 4; ++j)
            branch->addLeaf(u"leaf");
    }
    m_offset = {0, 100}; // 25 rows of 17 in a view of 100
    drawTree();
    std::vector<float> rowTops;
    for (InputRegion* row = region(&m_root, -1)->firstChild(); row; row = row->nextSibling())
        rowTops.push_back(row->rect().y0);
    std::sort(rowTops.begin(), rowTops.end());
    // Row 5 (the second branch's row) starts at 2 + 85 - 100 = -13 and reaches
    // in; row 11 at 89 is the last one above the bottom of the clip.
    ASSERT_FALSE(rowTops.empty());
    EXPECT_EQ(rowTops.front(), -13);
    EXPECT_EQ(rowTops.back(), 89);
    EXPECT_FALSE(region(m_root.child(0), 0));
    EXPECT_TRUE(region(m_root.child(1), 0));
}

TEST_F(TreeControlTest, ActionsOfARemovedBranchDoNothing)
{
    Branch* branch = m_root.add(u"gone", false);
    branch->addLeaf(u"leaf");
    drawTree();
    InputRegion* toggle = region(branch, 1);
    ASSERT_TRUE(toggle->onInputEvent(button(kMouseLeft, true, 5, 5)));
    InputRegion* name = region(branch, 0);
    m_root.m_children.clear(); // rescanned while the button is held
    m_frame.platform.dragKey(button(kMouseLeft, false, 5, 5));
    EXPECT_FALSE(m_frame.platform.drag);
    EXPECT_TRUE(name->onInputEvent(button(kMouseDoubleClick, true, 50, 5)));
    EXPECT_TRUE(name->onInputEvent(button(kMouseRight, false, 50, 5)));
    EXPECT_EQ(m_frame.platform.menusShown, 0);
}

// A tree with an expanded and a collapsed branch and leaves, scrolled.
TEST(ControlsGolden, Tree)
{
    control_test::GoldenFrame golden(180, 120);
    golden.addColour("tree.button", 0.8f, 0.82f, 0.86f);
    golden.addColour("icon.expand", 0.2f, 0.2f, 0.3f);
    golden.addColour("icon.collapse", 0.2f, 0.2f, 0.3f);
    Branch root(u"root");
    Branch* source = root.add(u"src");
    source->add(u"ui", false);
    Branch* controls = source->add(u"controls");
    for (const char16_t* leaf : {u"list.cpp", u"tabs.cpp", u"tree.cpp"})
        controls->addLeaf(leaf);
    source->addLeaf(u"main.cpp");
    root.add(u"tests", false);
    root.addLeaf(u"README");
    vector2 offset{0, 0};
    golden.frame.frame([&](InputRegion* parent) {
        return treeControl(golden.theme(), parent, interval2(5, 5, 175, 115), &offset, &root, {});
    });
    golden.compare("controls/tree.png");
}

} // namespace
