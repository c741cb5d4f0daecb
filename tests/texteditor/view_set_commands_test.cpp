#include "texteditor/view_set_commands.h"

#include <gtest/gtest.h>

#include "texteditor/application_fixture.h"
#include "ui/unicode.h"

namespace application_test {
namespace {

class ViewSetCommandsTest : public WindowTest {
protected:
    bool enabled(const char16_t* line) { return m_window->commandMap().isEnabled(slate::usubstring(line)); }
    void run(const char16_t* line) { m_window->commandMap().exec(slate::usubstring(line)); }
    const ViewSet& views() const { return m_window->viewSet(); }
    void release(int32_t heldKey)
    {
        KeyEvent event;
        event.code = kKeyTab;
        if (heldKey)
            event.state.key[heldKey] = 1;
        m_window->onKeyOrButton(event);
    }
};

TEST_F(ViewSetCommandsTest, CommandsAreEnabledOnlyWithWhatTheyActOn)
{
    EXPECT_FALSE(enabled(u"nextView")) << "no view yet";
    EXPECT_FALSE(enabled(u"moveToGroup 0")) << "no view yet";
    m_window->newFile();
    m_window->newFile();
    struct Case {
        const char16_t* line;
        bool enabled;
    } cases[] = {
        {u"nextView", true},        {u"prevViewInStack", true}, {u"focusGroup 0", true},
        {u"focusGroup 1", false},   {u"focusGroup", false},     {u"focusView 1", true},
        {u"focusView 2", false},    {u"focusView -1", false},   {u"moveToGroup 0", true},
        {u"moveToGroup 1", false},  {u"moveToGroup", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.line)));
        EXPECT_EQ(c.enabled, enabled(c.line));
    }
}

// Three new files: tabs [A B C], C active and most recent.
TEST_F(ViewSetCommandsTest, TabsWrapAndTheStackWalkEndsWithTheLastKeyUp)
{
    const slate::SP<TextBufferView> a = m_window->newFile();
    const slate::SP<TextBufferView> b = m_window->newFile();
    const slate::SP<TextBufferView> c = m_window->newFile();
    run(u"nextView");
    EXPECT_EQ(a, m_window->activeView()) << "past the last tab is the first";
    run(u"prevView");
    EXPECT_EQ(c, m_window->activeView()) << "before the first tab is the last";

    run(u"nextViewInStack");
    run(u"nextViewInStack");
    EXPECT_EQ(b, m_window->activeView());
    release(kKeyLeftControl);
    EXPECT_EQ(c, views().allViews()[0].view) << "a key is still down";
    release(0);
    EXPECT_EQ(b, views().allViews()[0].view);
}

TEST_F(ViewSetCommandsTest, TheActiveViewMovesToAnotherGroupAndTakesItsFocus)
{
    const slate::SP<TextBufferView> a = m_window->newFile();
    const slate::SP<TextBufferView> b = m_window->newFile();
    m_window->viewSet().setNumGroups(2);
    run(u"moveToGroup 1");
    EXPECT_EQ(1, views().activeGroup());
    EXPECT_EQ(b, m_window->activeView());
    EXPECT_EQ(a, views().activeViewInGroup(0));
    run(u"focusGroup 0");
    EXPECT_EQ(a, m_window->activeView());
}

} // namespace
} // namespace application_test
