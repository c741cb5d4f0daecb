#include "texteditor/window_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "filesystem/file_utils.h"
#include "support/recording_label_font.h"
#include "support/golden_drawing.h"
#include "texteditor/application_fixture.h"
#include "ui/theme.h"

namespace application_test {
namespace {

using control_events::button;
using control_events::motion;

// A window of 640 x 480 whose theme elements record their names and whose
// tab titles are written by a fixed-advance font, with files opened by name (missing files, so nothing is read).
class GroupGridTest : public WindowTest {
protected:
    void SetUp() override
    {
        m_previousDirectory = currentDirectory();
        WindowTest::SetUp();
        m_canvas = static_cast<RecordingCanvas*>(m_window->canvas());
        m_labelFont = std::make_unique<RecordingLabelFont>(m_canvas);
        for (const char* name : {"panel", "panel.toolbar", "panel.tabbody", "panel.tab", "tab.selected",
                                 "tab.selected.unfocused", "tab.unselected", "icon.tabcross", "icon.cross",
                                 "icon.downarrow", "button", "button.down"})
            m_window->theme()->addShader(name, new control_test::NamedShader(m_canvas, name));
        m_window->theme()->controlFont.font = m_labelFont.get();
    }

    // A focused view makes its file's folder current, and the scratch folder
    // goes with the test.
    void TearDown() override
    {
        WindowTest::TearDown();
        setCurrentDirectory(m_previousDirectory);
    }

    void open(const char* name)
    {
        ASSERT_NE(nullptr, m_window->openFile(toUstring((m_folder.path() / name).string()), FileEncoding(),
                                                  TextEditorWindow::kOpenCreateMissing));
    }
    // Draws a frame and answers the region `index` of the window's fixed
    // ids, or null.
    const InputRegion* frameRegion(int index)
    {
        m_window->draw(false);
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(m_window->root(), regions);
        auto found = regions.find(RegionId(m_window, index));
        return found == regions.end() ? nullptr : found->second;
    }
    test_support::FakePlatformWindow& platform()
    {
        return *static_cast<test_support::FakePlatformWindow*>(m_window->m_window);
    }

    RecordingCanvas* m_canvas = nullptr;
    std::unique_ptr<RecordingLabelFont> m_labelFont;
    ustring m_previousDirectory;
};

// Two groups side by side under the toolbar: each with its tab strip, the
// first with one tab, the second with two and its second one active and
// focused.
TEST_F(GroupGridTest, TwoGroupsWithTabsAreDrawnSideBySide)
{
    m_window->setLayout(1);
    open("alpha.txt");
    open("beta.txt");
    m_window->viewSet().moveActiveViewToGroup(1);
    open("gamma.txt");
    m_application->m_showToolbar = true;
    m_window->draw(true);
    m_canvas->clearLines();
    m_window->draw(true);
    golden::compareText("texteditor/two_groups.txt", m_canvas->text());
}

TEST_F(GroupGridTest, AGroupSplitterDragMovesTheColumnSplitWithinItsLimits)
{
    m_window->setLayout(1);
    open("alpha.txt");
    const InputRegion* splitter = frameRegion(888999 + 3);
    ASSERT_NE(nullptr, splitter);
    EXPECT_EQ(interval2(320, 16, 328, 460), splitter->rect());

    m_window->onKeyOrButton(button(kMouseLeft, true, 322, 200));
    ASSERT_NE(nullptr, platform().drag);
    platform().dragMotion(motion(386, 200, {kMouseLeft}));
    EXPECT_FLOAT_EQ(0.6f, m_window->m_colSplits[0]);
    platform().dragMotion(motion(639, 200, {kMouseLeft}));
    EXPECT_FLOAT_EQ(600.f / 640, m_window->m_colSplits[0]);
    // A layout change under the drag leaves the drag nothing to move.
    m_window->setLayout(0);
    platform().dragMotion(motion(100, 200, {kMouseLeft}));
    EXPECT_TRUE(m_window->m_colSplits.empty());
    EXPECT_EQ(nullptr, frameRegion(888999 + 3));
}

TEST_F(GroupGridTest, SetLayoutGivesTheViewSetItsGroupsAndIgnoresUnknownTypes)
{
    m_window->setLayout(4);
    EXPECT_EQ(4, m_window->viewSet().numGroups());
    m_window->m_colSplits[0] = 0.3f;
    m_window->setLayout(1);
    EXPECT_EQ(2, m_window->viewSet().numGroups());
    EXPECT_EQ(std::vector<float>{0.3f}, m_window->m_colSplits);
    for (int type : {6, -1}) {
        m_window->setLayout(type);
        EXPECT_EQ(1, m_window->m_layoutType);
        EXPECT_EQ(2, m_window->viewSet().numGroups());
    }
}

// Lines of the last frame that start with `prefix`.
std::vector<std::string> linesStarting(const RecordingCanvas& canvas, const std::string& prefix)
{
    std::vector<std::string> lines;
    for (const std::string& line : canvas.lines()) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    }
    return lines;
}

TEST_F(GroupGridTest, AnActiveTabBeyondTheStripMovesToTheFrontAndStaysThere)
{
    for (const char* name : {"first-file-01.txt", "second-file-02.txt", "third-file-03.txt", "fourth-file-04.txt",
                             "fifth-file-05.txt", "sixth-file-06.txt"})
        open(name);
    const TextBufferView* active = m_window->viewSet().activeView().get();
    ASSERT_EQ(active, m_window->viewSet().views(0).back().view.get());
    m_canvas->clearLines();
    m_window->draw(true);
    EXPECT_EQ(active, m_window->viewSet().views(0).front().view.get());
    EXPECT_EQ(0, m_window->viewSet().activeIndex(0));
    EXPECT_EQ(active, m_window->viewSet().activeView().get());
    // The tabs overflow, so the list button shows.
    EXPECT_EQ(1u, linesStarting(*m_canvas, "shader icon.downarrow").size());
    EXPECT_EQ(1u, linesStarting(*m_canvas, "shader tab.selected ").size());
    // Tabs at their titles' widths leave no room for the close button
    // beside the caption, which gives it 16 pixels.
    const std::vector<std::string>& lines = m_canvas->lines();
    const auto tab = std::find(lines.begin(), lines.end(), "shader tab.selected 8 4 170 32 amount 0");
    ASSERT_NE(lines.end(), tab);
    EXPECT_EQ("intersectClip 18 10 144 26", *(tab + 1));
    m_window->draw(true);
    EXPECT_EQ(active, m_window->viewSet().views(0).front().view.get());
}

TEST_F(GroupGridTest, OneViewTooWideForItsStripHasNoTabListButton)
{
    open("a-file-name-far-too-long-for-the-strip-of-a-window-six-hundred-and-forty-pixels-wide.txt");
    m_canvas->clearLines();
    m_window->draw(true);
    EXPECT_TRUE(linesStarting(*m_canvas, "shader icon.downarrow").empty());
    EXPECT_EQ(1u, linesStarting(*m_canvas, "shader tab.selected ").size());
}

TEST_F(GroupGridTest, AnEmptyGroupDrawsItsPanelWithoutTabsButtonsOrView)
{
    m_window->setLayout(1);
    m_application->m_showCloseButton = true;
    open("alpha.txt");
    m_canvas->clearLines();
    m_window->draw(true);
    EXPECT_EQ((std::vector<std::string>{"shader panel.tabbody 0 0 320 460", "shader panel.tabbody 320 0 640 460"}),
              linesStarting(*m_canvas, "shader panel.tabbody"));
    // Only the first group's tab, tab close button and group close button.
    EXPECT_EQ(1u, linesStarting(*m_canvas, "shader tab.").size());
    EXPECT_EQ(1u, linesStarting(*m_canvas, "shader icon.tabcross").size());
    EXPECT_EQ(1u, linesStarting(*m_canvas, "shader icon.cross").size());
    // The view is drawn in the first group only.
    for (const std::string& line : linesStarting(*m_canvas, "fillRect "))
        EXPECT_LT(std::stof(line.substr(9)), 320) << line;
}

TEST_F(GroupGridTest, FullScreenHidesTheStripOfASingleGroupWithOneView)
{
    platform().setFullscreen(true);
    open("alpha.txt");
    m_canvas->clearLines();
    m_window->draw(true);
    EXPECT_TRUE(linesStarting(*m_canvas, "shader tab.").empty());
    // The group's panel, then the status text's, left of the status bar's
    // two buttons.
    EXPECT_EQ((std::vector<std::string>{"shader panel 0 0 640 460", "shader panel 0 460 478 480"}),
              linesStarting(*m_canvas, "shader panel "));

    open("beta.txt");
    m_canvas->clearLines();
    m_window->draw(true);
    EXPECT_EQ(2u, linesStarting(*m_canvas, "shader tab.").size());

    m_window->setLayout(1);
    m_window->viewSet().moveActiveViewToGroup(1);
    m_canvas->clearLines();
    m_window->draw(true);
    EXPECT_EQ(2u, linesStarting(*m_canvas, "shader tab.").size());
}

} // namespace
} // namespace application_test
