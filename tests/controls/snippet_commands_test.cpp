// The snippet insertion commands of the text command table, run through the
// control's command map against a snippet store loaded from package files.
#include "controls/snippet_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/text_control_bindings.h"
#include "input/binding_map.h"
#include "ui/main_thread_queue.h"
#include "ui/text/selection_printers.h"
#include "ui/text/snippet_manager.h"
#include "ui/text/text_function_fixture.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

class SnippetCommandsTest : public TextFunctionTest {
protected:
    SnippetCommandsTest()
    {
        BindingSourceManager::create();
        SnippetManager::create();
        m_packages.add(u"Test/call.vantrel-snippet",
                       "<snippet><tabTrigger>call</tabTrigger><content>f(${1:a}, ${2:$PARAM1})$0</content>"
                       "</snippet>");
        SnippetManager::get().loadInBackground(0);
        runMainThreadQueue();
    }
    ~SnippetCommandsTest() override
    {
        clearMainThreadQueue();
        SnippetManager::destroy();
        BindingSourceManager::destroy();
    }

    void openControl(const ustring& text, const Regions& regions)
    {
        open(text, regions);
        m_map = CommandMap();
        addTextCommands(m_view, m_map, &m_map, true, {}, nullptr);
    }
    bool enabled(const ustring& line) { return m_map.isEnabled(slate::usubstring(line)); }
    void run(const ustring& line) { m_map.exec(slate::usubstring(line)); }
    ustring newestGroup() const { return *m_buffer->undoStack().top().commandText; }

    // Runs the store's loader at once, on this thread.
    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    CommandMap m_map;
};

TEST_F(SnippetCommandsTest, InsertionsFillEverySelectionAndOpenTheFieldsInOneNamedStep)
{
    struct Case {
        const char* name;
        const char16_t* line;
        ustring expectedText;
        Regions expectedSelections;
        ustring group;
    };
    const Case cases[] = {
        {"a stored snippet with a parameter", u"insertSnippet Packages/Test/call.vantrel-snippet x",
         u"f(a, x) ; f(a, x)", {{2, 3}, {12, 13}},
         u"\"insertSnippet\" \"Packages/Test/call.vantrel-snippet\" \"x\""},
        {"inline content with two parameters", u"insertInlineSnippet \"${1:$PARAM2}=$PARAM1\" one two",
         u"two=one ; two=one", {{0, 3}, {10, 13}}, u"\"insertInlineSnippet\" \"${1:$PARAM2}=$PARAM1\" \"one\" \"two\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(u" ; ", {SelectionRegion(0), SelectionRegion(3)});
        ASSERT_TRUE(enabled(c.line));
        run(c.line);
        EXPECT_EQ(text(), c.expectedText);
        EXPECT_EQ(selections(), c.expectedSelections);
        EXPECT_EQ(newestGroup(), c.group);
        run(u"undo");
        EXPECT_EQ(text(), u" ; ");
    }
}

TEST_F(SnippetCommandsTest, FieldsOfAStoredSnippetAreSteppedThrough)
{
    openControl(u"", {});
    run(u"insertSnippet Packages/Test/call.vantrel-snippet x");
    EXPECT_FALSE(enabled(u"prevField"));
    run(u"nextField");
    EXPECT_EQ(selections(), (Regions{{5, 6}}));
    EXPECT_TRUE(enabled(u"prevField"));
}

TEST_F(SnippetCommandsTest, UnknownPathIsLoggedAtEveryAskAndInsertsNothing)
{
    openControl(u"ab", {});
    LogRecorder log;
    const ustring line = u"insertSnippet Packages/Test/none.vantrel-snippet";
    EXPECT_FALSE(enabled(line));
    EXPECT_FALSE(enabled(line));
    run(line);
    EXPECT_EQ(text(), u"ab");
    const ustring expected = u"No such snippet Packages/Test/none.vantrel-snippet";
    size_t logged = 0;
    for (const ustring& message : log.messages)
        logged += message.find(expected) != ustring::npos;
    EXPECT_GE(logged, 2u);
}

} // namespace
