#include "texteditor/panel_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/command_map.h"
#include "panels/dialog_panel.h"
#include "panels/result_set.h"
#include "ui/arena_allocator.h"

namespace {

// What the panels, overlays and the window were told, in order.
using Log = std::vector<std::string>;

struct PanelShape {
    const char16_t* name;
    float height;
    float minHeight;
    bool resizable;
    bool showAgain;
};

const PanelShape kConsole{u"console", 128, 96, true, false};
const PanelShape kFind{u"find", 32, 32, true, true};
const PanelShape kOutput{u"output", 128, 32, true, false};
const PanelShape kGoto{u"goto", 32, 32, false, false};

std::string narrow(const char16_t* text)
{
    return std::string(text, text + std::char_traits<char16_t>::length(text));
}

// A panel that, as the real ones do, takes the focus when it is shown.
class TestPanel final : public DialogPanel {
public:
    TestPanel(const PanelShape& shape, Log& log, bool& focused) : m_shape(shape), m_log(log), m_focused(focused) {}
    const char16_t* name() const override { return m_shape.name; }
    float height() const override { return m_shape.height; }
    float minHeight() const override { return m_shape.minHeight; }
    bool isResizable() const override { return m_shape.resizable; }
    bool layout(Theme*, InputRegion*, const interval2&) override { return true; }
    void onShow() override
    {
        m_log.push_back("show " + narrow(m_shape.name));
        m_focused = true;
    }
    void onHide() override { m_log.push_back("hide " + narrow(m_shape.name)); }
    bool onShowAgain() override { return m_shape.showAgain; }

private:
    PanelShape m_shape;
    Log& m_log;
    bool& m_focused;
};

class TestOverlay final : public Overlay {
public:
    TestOverlay(std::string name, Log& log) : m_name(std::move(name)), m_log(log) {}
    void onShow() override { m_log.push_back("show " + m_name); }
    void onHide() override { m_log.push_back("hide " + m_name); }

private:
    std::string m_name;
    Log& m_log;
};

class TestResults final : public ResultSet {
public:
    explicit TestResults(Log& log) : m_log(log) {}
    void gotoResult(bool forward) override { m_log.push_back(forward ? "next" : "prev"); }
    bool hasResults(bool forward) override { return forward ? m_hasNext : m_hasPrevious; }
    bool m_hasNext = true;
    bool m_hasPrevious = false;

private:
    Log& m_log;
};

class PanelHostTest : public ::testing::Test {
protected:
    PanelHostTest()
        : m_host(m_heights, {[this] { return m_panelAreaFocused; },
                             [this] {
                                 m_log.push_back("focus view");
                                 m_panelAreaFocused = false;
                             }})
    {
        for (const PanelShape* shape : {&kConsole, &kFind, &kOutput, &kGoto})
            m_host.addPanel(std::make_unique<TestPanel>(*shape, m_log, m_panelAreaFocused));
        m_host.addOverlay(u"quick", std::make_unique<TestOverlay>("quick", m_log));
        m_host.addOverlay(u"select", std::make_unique<TestOverlay>("select", m_log));
        m_host.registerCommands(m_commands, [](const ustring& path) {
            return path == u"Packages/C/for.snippet" ? slate::usubstring(u"for loop") : slate::usubstring();
        });
    }

    DialogPanel* panel(const char16_t* name) const { return m_host.panel(name); }
    void run(const char16_t* line)
    {
        m_log.clear();
        m_commands.exec(line);
    }

    std::map<ustring, float> m_heights;
    bool m_panelAreaFocused = false;
    Log m_log;
    PanelHost m_host;
    CommandMap m_commands;
};

TEST_F(PanelHostTest, ShowPanelTwiceWithFocusKeptHidesPanelThatDoesNotAskToStay)
{
    run(u"showPanel console");
    EXPECT_EQ(m_host.currentPanel(), panel(u"console"));
    EXPECT_EQ(m_log, (Log{"show console"}));

    run(u"showPanel console");
    EXPECT_EQ(m_host.currentPanel(), nullptr);
    EXPECT_EQ(m_log, (Log{"hide console", "focus view"}));
}

TEST_F(PanelHostTest, ShowPanelTwiceKeepsPanelWhoseShowAgainSaysSo)
{
    run(u"showPanel find");
    run(u"showPanel find");
    EXPECT_EQ(m_host.currentPanel(), panel(u"find"));
    EXPECT_TRUE(m_log.empty());
}

TEST_F(PanelHostTest, ShowPanelWithoutFocusShowsVisiblePanelAgain)
{
    run(u"showPanel console");
    m_panelAreaFocused = false;
    run(u"showPanel console");
    EXPECT_EQ(m_host.currentPanel(), panel(u"console"));
    EXPECT_EQ(m_log, (Log{"hide console", "show console"}));
}

TEST_F(PanelHostTest, NoFocusTogglesThePanelWhateverHasTheFocus)
{
    for (const bool focused : {true, false}) {
        SCOPED_TRACE(focused);
        m_panelAreaFocused = focused;
        run(u"showPanel output nofocus");
        EXPECT_EQ(m_host.currentPanel(), panel(u"output"));
        m_panelAreaFocused = focused;
        run(u"showPanel output nofocus");
        EXPECT_EQ(m_host.currentPanel(), nullptr);
        EXPECT_EQ(m_log, (Log{"hide output", "focus view"}));
    }
}

TEST_F(PanelHostTest, ShowingAnotherPanelHidesTheVisibleOneFirst)
{
    run(u"showPanel console");
    run(u"showPanel output");
    EXPECT_EQ(m_log, (Log{"hide console", "show output"}));
}

TEST_F(PanelHostTest, ShowRaisesRememberedHeightToMinimumOfResizablePanels)
{
    struct Case {
        const char16_t* name;
        float remembered; // negative: no entry yet
        float expected;   // negative: still no entry
    };
    const Case cases[] = {
        {u"console", -1, 96}, // the minimum, not the preferred 128
        {u"output", -1, 32},
        {u"console", 0, 96},
        {u"console", 50, 96},
        {u"console", 200, 200}, // a dragged height is kept
        {u"goto", -1, -1},      // not resizable: drawn at its preferred height
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.name) + " " + std::to_string(c.remembered));
        m_heights.clear();
        m_host.hidePanel();
        if (c.remembered >= 0)
            m_heights[c.name] = c.remembered;
        run((u"showPanel " + ustring(c.name) + u" nofocus").c_str());
        if (c.expected < 0)
            EXPECT_EQ(m_heights.count(c.name), 0u);
        else
            EXPECT_EQ(m_heights[c.name], c.expected);
    }
}

TEST_F(PanelHostTest, ShowPanelCheckMark)
{
    run(u"showPanel console");
    struct Case {
        const char16_t* line;
        bool focused;
        bool checked;
    };
    const Case cases[] = {
        {u"showPanel", true, false},
        {u"showPanel nosuch", true, false},
        {u"showPanel console", true, true},
        {u"showPanel console", false, false},
        {u"showPanel console nofocus", false, true},
        {u"showPanel output nofocus", true, false},
        {u"showPanel output", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.line));
        m_panelAreaFocused = c.focused;
        EXPECT_EQ(m_commands.value(c.line), c.checked ? u"true" : u"false");
    }
}

TEST_F(PanelHostTest, ShowPanelWithoutKnownNameDoesNothing)
{
    for (const char16_t* line : {u"showPanel", u"showPanel nosuch", u"showPanel Console"}) {
        SCOPED_TRACE(narrow(line));
        run(line);
        EXPECT_EQ(m_host.currentPanel(), nullptr);
        EXPECT_TRUE(m_log.empty());
    }
}

TEST_F(PanelHostTest, HidingWithNothingVisibleMovesNoFocus)
{
    run(u"hidePanel");
    run(u"hideOverlay");
    EXPECT_TRUE(m_log.empty());
}

TEST_F(PanelHostTest, OverlaysHideBeforeTheNextShowsAndIndependentlyOfPanels)
{
    run(u"showPanel console");
    m_log.clear();
    m_host.showOverlay(m_host.overlay(u"quick"));
    m_host.showOverlay(m_host.overlay(u"quick"));
    m_host.showOverlay(m_host.overlay(u"select"));
    EXPECT_EQ(m_log, (Log{"show quick", "hide quick", "show quick", "hide quick", "show select"}));

    run(u"hideOverlay");
    EXPECT_EQ(m_log, (Log{"hide select", "focus view"}));
    EXPECT_EQ(m_host.currentOverlay(), nullptr);
    EXPECT_EQ(m_host.currentPanel(), panel(u"console"));
}

TEST_F(PanelHostTest, ResultCommandsAreDisabledUntilAResultSetIsCurrent)
{
    EXPECT_FALSE(m_commands.isEnabled(u"nextResult"));
    run(u"nextResult");
    EXPECT_TRUE(m_log.empty());

    TestResults results(m_log);
    m_host.setResultSet(&results);
    EXPECT_TRUE(m_commands.isEnabled(u"nextResult"));
    EXPECT_FALSE(m_commands.isEnabled(u"prevResult"));
    run(u"nextResult");
    EXPECT_EQ(m_log, (Log{"next"}));
    results.m_hasPrevious = true;
    run(u"prevResult");
    EXPECT_EQ(m_log, (Log{"prev"}));
}

struct QuickList {
    ustring key;
    ustring command;
    std::vector<ustring> arguments;
    std::vector<ustring> display;
    unsigned flags = 0;
    int calls = 0;
};

TEST_F(PanelHostTest, ChooseSnippetListsDescriptionsOrThePathsThemselves)
{
    QuickList shown;
    m_host.setQuickPanelFunction([&shown](const ustring& key, const ustring& command,
                                          std::vector<slate::usubstring> arguments,
                                          std::vector<slate::usubstring> display,
                                          std::unique_ptr<ArenaAllocator> arena, unsigned flags) {
        ASSERT_NE(arena, nullptr);
        ++shown.calls;
        shown.key = key;
        shown.command = command;
        for (const slate::usubstring& argument : arguments)
            shown.arguments.push_back(argument.str());
        for (const slate::usubstring& text : display)
            shown.display.push_back(text.str());
        shown.flags = flags;
    });

    run(u"chooseSnippet");
    EXPECT_EQ(shown.calls, 0);

    run(u"chooseSnippet Packages/C/for.snippet Packages/C/unknown.snippet");
    EXPECT_EQ(shown.calls, 1);
    EXPECT_EQ(shown.key, u"");
    EXPECT_EQ(shown.command, u"insertSnippet");
    EXPECT_EQ(shown.arguments, (std::vector<ustring>{u"Packages/C/for.snippet", u"Packages/C/unknown.snippet"}));
    EXPECT_EQ(shown.display, (std::vector<ustring>{u"for loop", u"Packages/C/unknown.snippet"}));
    EXPECT_EQ(shown.flags, 16u);
}

} // namespace
