#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "filesystem/file_utils.h"
#include "support/fake_window.h"
#include "texteditor/application_fixture.h"
#include "texteditor/window_layout.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

namespace application_test {
namespace {

class WindowCommandsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_savedDirectory = currentDirectory();
    }
    void TearDown() override
    {
        setCurrentDirectory(m_savedDirectory);
        WindowTest::TearDown();
    }

    void run(const ustring& line) { m_window->commandMap().exec(slate::usubstring(line)); }
    bool enabled(const ustring& line) { return m_window->commandMap().isEnabled(slate::usubstring(line)); }
    ustring value(const ustring& line) { return m_window->commandMap().value(slate::usubstring(line)); }
    test_support::FakePlatformWindow& platform()
    {
        return *static_cast<test_support::FakePlatformWindow*>(m_window->m_window);
    }

    // A view of "x.h" in a scratch folder that is made current, as
    // activating the view makes it; x.h itself is not on disk.
    slate::SP<TextBufferView> showHeaderInCurrentFolder()
    {
        const ustring folder = toUstring(m_folder.makeFolder("sources").string());
        EXPECT_TRUE(setCurrentDirectory(folder));
        return m_window->openFile(folder + u"/x.h", kEncodingUndefined, TextEditorWindow::kOpenCreateMissing);
    }
    // Makes exactly `names` exist among the siblings x.c, x.cpp and x.h.
    void keepSiblings(const std::vector<std::string>& names)
    {
        for (const char* name : {"x.c", "x.cpp", "x.h"})
            std::filesystem::remove(m_folder / "sources" / name);
        for (const std::string& name : names)
            m_folder.write("sources/" + name, "");
    }

    ustring m_savedDirectory;
};

// The scan starts after the file's own extension, wraps round the list and
// stops when it comes back to it, so the file itself is never the target.
TEST_F(WindowCommandsTest, SwitchFileTakesTheNextExistingSiblingInTheListsOrder)
{
    ASSERT_NE(nullptr, showHeaderInCurrentFolder());
    struct Case {
        const char16_t* line;
        std::vector<std::string> existing;
        const char16_t* target; // empty: none
    } cases[] = {
        {u"switchFile cpp h c", {"x.c", "x.cpp"}, u"x.c"},
        {u"switchFile cpp h c", {"x.cpp"}, u"x.cpp"},
        {u"switchFile cpp H c", {"x.cpp"}, u"x.cpp"},
        {u"switchFile cpp h c", {"x.h"}, u""},
        {u"switchFile h", {"x.h"}, u""},
        {u"switchFile h h", {"x.h"}, u""},
        {u"switchFile cpp c", {"x.c", "x.cpp"}, u""},
        {u"switchFile", {"x.c"}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.line)) + " with " + std::to_string(c.existing.size()) + " siblings");
        keepSiblings(c.existing);
        EXPECT_EQ(ustring(c.target), value(c.line));
        EXPECT_EQ(!ustring(c.target).empty(), enabled(c.line));
    }
}

TEST_F(WindowCommandsTest, SwitchFileOpensTheSiblingOrShowsItAgain)
{
    const slate::SP<TextBufferView> header = showHeaderInCurrentFolder();
    ASSERT_NE(nullptr, header);
    keepSiblings({"x.c"});
    run(u"switchFile h c");
    const slate::SP<TextBufferView> source = m_window->activeView();
    ASSERT_NE(header, source);
    ASSERT_NE(nullptr, source->buffer()->source());
    EXPECT_EQ(toUstring((m_folder / "sources" / "x.c").string()), source->buffer()->source()->path());
    buffer_test::waitForRead(*source->buffer());

    m_window->viewSet().focusView(header.get());
    run(u"switchFile h c");
    EXPECT_EQ(source, m_window->activeView());
    EXPECT_EQ(2, m_window->viewSet().totalSize());
}

TEST_F(WindowCommandsTest, EachLayoutCommandSetsItsLayoutAndIsCheckedOnlyThen)
{
    const char16_t* const commands[kLayoutTypeCount] = {
        u"layoutSingle", u"layoutDoubleVert", u"layoutDoubleHoriz", u"layoutTripleVert", u"layoutQuad",
        u"layoutQuadVert",
    };
    const int groups[kLayoutTypeCount] = {1, 2, 2, 3, 4, 4};
    for (int type : {3, 0, 5, 1, 4, 2}) {
        SCOPED_TRACE(toUtf8(ustring(commands[type])));
        run(commands[type]);
        EXPECT_EQ(type, m_window->m_layoutType);
        EXPECT_EQ(groups[type], m_window->viewSet().numGroups());
        for (int other = 0; other < kLayoutTypeCount; ++other)
            EXPECT_EQ(other == type ? u"true" : u"false", value(commands[other])) << toUtf8(ustring(commands[other]));
    }
}

TEST_F(WindowCommandsTest, ToggleFullScreenFollowsThePlatformWindow)
{
    EXPECT_EQ(u"false", value(u"toggleFullScreen"));
    run(u"toggleFullScreen");
    EXPECT_TRUE(platform().fullscreen);
    EXPECT_EQ(u"true", value(u"toggleFullScreen"));
    run(u"toggleFullScreen");
    EXPECT_FALSE(platform().fullscreen);
    EXPECT_EQ(u"false", value(u"toggleFullScreen"));
}

// Closing goes through the platform window, which asks the window whether
// it may close, just as when the user closes it.
TEST_F(WindowCommandsTest, CloseWindowAsksThePlatformWindowToClose)
{
    struct ClosingWindow : test_support::FakePlatformWindow {
        void close() override { ++closeRequests; }
        int closeRequests = 0;
    } closing;
    Window* const original = m_window->m_window;
    m_window->m_window = &closing;
    run(u"closeWindow");
    m_window->m_window = original;
    EXPECT_EQ(1, closing.closeRequests);
}

} // namespace
} // namespace application_test
