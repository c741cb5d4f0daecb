#include "ui/text/completions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "input/command_runner.h"
#include "ui/text/package_test_support.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"
#include "ui/unicode.h"
#include "ui/menu_descriptor.h"

namespace {

// The text control's runner: records what it is asked to run.
class RecordingRunner final : public CommandRunner {
public:
    std::vector<std::string> ran;

    void exec(const slate::usubstring& line) override { ran.push_back(toUtf8(line)); }
    bool isEnabled(const slate::usubstring&) override { return true; }
    ustring value(const slate::usubstring&) override { return ustring(); }
    bool has(const slate::usubstring&) override { return true; }
};

// A view of "one two three" shown by a text control; text position p is at
// the window point (10 p, 20).
class FakeView final : public CompletionView {
public:
    FakeView() : m_buffer(new TextBuffer(kText, kText + 13)), m_state(m_buffer->createViewState()) {}

    ViewState& viewState() override { return *m_state; }
    CommandRunner* textCommandRunner() override { return withControl ? &runner : nullptr; }
    vector2 windowPoint(int64_t position) override { return {10.f * position, 20.f}; }

    static constexpr const char16_t* kText = u"one two three";
    slate::SP<TextBuffer> m_buffer;
    slate::SP<ViewState> m_state;
    RecordingRunner runner;
    bool withControl = true;
};

// Stands for the platform's popup menu: shows the items as the native
// refresh does ("%s" replaced by the runner's value, hidden when it has
// none) and picks the shown item at `choice` (none when -1).
struct FakePopup {
    int choice = -1;
    int shownCount = 0;
    std::vector<std::string> captions;
    float x = 0;
    float y = 0;
    std::optional<PopupMenuFlags> flags;

    ShowPopupMenuFunction function()
    {
        return [this](ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner, float atX,
                      float atY, PopupMenuFlags withFlags) {
            ++shownCount;
            x = atX;
            y = atY;
            flags = withFlags;
            captions.clear();
            std::vector<ustring> commands;
            for (const MenuEntry& entry : menu->m_entries) {
                const ustring value = runner->value(entry.m_item->m_command);
                ustring caption = entry.m_item->m_caption;
                const size_t marker = caption.find(u"%s");
                if (marker != ustring::npos) {
                    if (value.empty())
                        continue;
                    caption.replace(marker, 2, value);
                }
                EXPECT_TRUE(runner->isEnabled(entry.m_item->m_command));
                captions.push_back(toUtf8(caption));
                commands.push_back(entry.m_item->m_command);
            }
            if (choice < 0 || static_cast<size_t>(choice) >= commands.size())
                return false;
            command = commands[static_cast<size_t>(choice)];
            return true;
        };
    }
};

std::string readTestData(const std::string& name)
{
    std::ifstream in(std::string(VANTREL_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class CompletionsTest : public testing::Test {
protected:
    CompletionsTest()
    {
        m_packages.add(u"Default/Completions.vantrel-menu", readTestData("menus/Completions.vantrel-menu"));
    }

    void show(int64_t position, const ustring& prefix, const CompletionList& entries)
    {
        showCompletions(m_view, 1.5f, 2.5f, m_popup.function(), position, prefix, entries);
    }
    std::vector<SelectionRegion> selection() const { return m_view.m_state->sel().regions(); }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    FakeView m_view;
    FakePopup m_popup;
};

const CompletionList kThree = {
    {u"alpha", u"insert alpha"}, {u"beta (b)", u"insert \"beta\""}, {u"gamma", u"insert gamma"}};

} // namespace

TEST(CompletionCommand, DeletesThePrefixThenRunsTheCommandEscaped)
{
    struct Case {
        int32_t prefix;
        const char16_t* command;
        const char* line;
    };
    const Case cases[] = {
        {0, u"insert \"x\"", "insert \"x\""},
        {3, u"insertSnippet abc", "sequence \"fixedDeleteCharacters 3\" \"insertSnippet abc\""},
        {12, u"insert \"a\\b\"\tc\nd", "sequence \"fixedDeleteCharacters 12\" \"insert \\\"a\\\\b\\\"\\tc\\nd\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.line, toUtf8(completionCommand(c.command, c.prefix)));
    }
}

TEST_F(CompletionsTest, OneEntryIsInsertedAtOnceAtTheGivenCaret)
{
    struct Case {
        const char16_t* prefix;
        const char* ran;
    };
    const Case cases[] = {
        {u"thr", "sequence \"fixedDeleteCharacters 3\" \"insert \\\"three\\\"\""},
        {u"", "insert \"three\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ran);
        m_view.runner.ran.clear();
        m_view.m_state->mutableSel().add(SelectionRegion(0, 2));
        show(11, c.prefix, {{u"three", u"insert \"three\""}});
        EXPECT_EQ(std::vector<std::string>{c.ran}, m_view.runner.ran);
        EXPECT_EQ(std::vector<SelectionRegion>{SelectionRegion(11)}, selection());
        EXPECT_EQ(0, m_popup.shownCount);
    }
}

TEST_F(CompletionsTest, SeveralEntriesAreOfferedAtTheLastCaretAndTheChoiceInserted)
{
    m_popup.choice = 1;
    show(7, u"ab", kThree);
    EXPECT_EQ((std::vector<std::string>{"alpha", "beta (b)", "gamma"}), m_popup.captions);
    EXPECT_FLOAT_EQ(70 + 1.5f + 4, m_popup.x);
    EXPECT_FLOAT_EQ(20 + 2.5f + 2, m_popup.y);
    EXPECT_EQ(PopupMenuFlags::HighlightFirst, m_popup.flags);
    EXPECT_EQ(std::vector<std::string>{"sequence \"fixedDeleteCharacters 2\" \"insert \\\"beta\\\"\""},
              m_view.runner.ran);
}

TEST_F(CompletionsTest, ClosedMenuInsertsNothingAndKeepsTheCaret)
{
    show(4, u"tw", kThree);
    EXPECT_EQ(1, m_popup.shownCount);
    EXPECT_TRUE(m_view.runner.ran.empty());
    EXPECT_EQ(std::vector<SelectionRegion>{SelectionRegion(4)}, selection());
}

TEST_F(CompletionsTest, NothingHappensWhileACommandRunsOrWithoutEntries)
{
    m_view.m_state->mutableSel().set(0, SelectionRegion(1, 3));
    {
        ScopedUndoGroup group(u"someCommand", m_view.m_buffer, false, false);
        show(5, u"x", kThree);
        show(5, u"x", {{u"one", u"insert one"}});
    }
    show(5, u"x", {});
    EXPECT_EQ(0, m_popup.shownCount);
    EXPECT_TRUE(m_view.runner.ran.empty());
    EXPECT_EQ(std::vector<SelectionRegion>{SelectionRegion(1, 3)}, selection());
}

TEST_F(CompletionsTest, CaretOutsideTheTextIsKeptWithinIt)
{
    show(1000, u"", {{u"x", u"insert x"}});
    EXPECT_EQ(std::vector<SelectionRegion>{SelectionRegion(13)}, selection());
    show(-5, u"", {{u"x", u"insert x"}});
    EXPECT_EQ(std::vector<SelectionRegion>{SelectionRegion(0)}, selection());
}

TEST_F(CompletionsTest, CompletionCommandsOutsideTheListDoNothing)
{
    // The popup runs what it is given: lines the menu would never hold.
    for (const char16_t* line : {u"completion", u"completion 3", u"completion -1", u"completion 1 extra"}) {
        SCOPED_TRACE(toUtf8(ustring(line)));
        m_view.runner.ran.clear();
        ShowPopupMenuFunction popup = [&](ustring& command, const slate::SP<MenuDescriptor>&, CommandRunner* runner,
                                          float, float, PopupMenuFlags) {
            EXPECT_EQ(ustring(line) == u"completion 1 extra", runner->isEnabled(line));
            command = line;
            return true;
        };
        showCompletions(m_view, 0, 0, popup, 0, u"", kThree);
        EXPECT_EQ(ustring(line) == u"completion 1 extra" ? 1u : 0u, m_view.runner.ran.size());
    }
}

TEST_F(CompletionsTest, EmptySelectionOrNoTextControlInsertsNothing)
{
    m_view.m_state->mutableSel().clear();
    EXPECT_EQ(0u, insertCompletion(m_view, 0, u"insert x"));
    m_view.m_state->mutableSel().add(SelectionRegion(2));
    m_view.m_state->mutableSel().add(SelectionRegion(5));
    m_view.withControl = false;
    EXPECT_EQ(0u, insertCompletion(m_view, 0, u"insert x"));
    m_view.withControl = true;
    EXPECT_EQ(2u, insertCompletion(m_view, 1, u"insert x"));
    EXPECT_EQ(1u, m_view.runner.ran.size());
}

TEST_F(CompletionsTest, UnreadableMenuIsReportedAndNothingShows)
{
    m_packages.add(u"Default/Completions.vantrel-menu", "<menu><item");
    show(3, u"o", kThree);
    EXPECT_EQ(0, m_popup.shownCount);
    EXPECT_TRUE(m_view.runner.ran.empty());
    const std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(1u, errors.size());
    EXPECT_NE(std::string::npos, errors[0].find("Completions.vantrel-menu")) << errors[0];
}
