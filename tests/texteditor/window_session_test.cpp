#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/file_utils.h"
#include "texteditor/application_fixture.h"
#include "texteditor/application_settings.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

constexpr unsigned kDefaultLimit = 262144;

// A window that writes its record, and a second window that reads it back.
class WindowSessionTest : public WindowTest {
protected:
    ustring pathOf(const char* name) const { return toUstring((m_folder.path() / name).string()); }
    // A file on disk with `text`, opened and read.
    slate::SP<TextBufferView> opened(const char* name, const std::string& text)
    {
        m_folder.write(name, text);
        slate::SP<TextBufferView> view =
            m_window->openFile(pathOf(name), FileEncoding(), TextEditorWindow::kOpenFromUser);
        EXPECT_NE(nullptr, view);
        if (view)
            buffer_test::waitForRead(*view->buffer());
        return view;
    }
    // A modified buffer bound to a file that does not exist yet.
    slate::SP<TextBufferView> unsavedFile(const char* name, const ustring& text)
    {
        slate::SP<TextBufferView> view =
            m_window->openFile(pathOf(name), FileEncoding(), TextEditorWindow::kOpenCreateMissing);
        view->buffer()->insertCharacters(0, text);
        return view;
    }
    WindowSettings written(bool autosave, unsigned limit = kDefaultLimit)
    {
        WindowSettings settings;
        m_window->writeToSettings(settings, autosave, limit);
        return settings;
    }
    // A new window built from `settings`, with its files read.
    TextEditorWindow* restored(const WindowSettings& settings)
    {
        TextEditorWindow* window = m_application->newWindow(u"", false);
        window->readFromSettings(settings);
        for (const ViewEntry& entry : window->viewSet().allViews())
            buffer_test::waitForRead(*entry.view->buffer());
        return window;
    }
};

TEST_F(WindowSessionTest, AnAutosaveKeepsUnsavedTextOnlyBelowTheLimit)
{
    struct Case {
        const char* name;
        bool withFile;
        size_t length;
        bool viewKept;
        bool textKept;
    };
    const Case cases[] = {
        {"file of 1000", true, 1000, true, true},
        {"file of 300000", true, 300000, true, false},
        {"untitled of 1000", false, 1000, true, true},
        {"untitled of 300000", false, 300000, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        while (m_window->viewSet().totalSize() > 0)
            m_window->viewSet().removeView(m_window->viewSet().allViews().front().view.get());
        const ustring text(c.length, u'x');
        if (c.withFile)
            unsavedFile("big.txt", text);
        else
            m_window->newFile()->buffer()->insertCharacters(0, text);

        const WindowSettings settings = written(true);
        ASSERT_EQ(c.viewKept ? 1u : 0u, settings.groups.at(0).views.size());
        ASSERT_EQ(c.viewKept ? 1u : 0u, settings.buffers.size());
        if (!c.viewKept)
            continue;
        EXPECT_EQ(c.textKept, settings.buffers[0].hasContents);
        EXPECT_EQ(c.textKept ? text : ustring(), settings.buffers[0].contents);
    }
}

TEST_F(WindowSessionTest, ANormalSessionKeepsNoUntitledBufferAndNoUnsavedText)
{
    unsavedFile("notes.txt", u"typed");
    m_window->newFile()->buffer()->insertCharacters(0, u"draft");

    const WindowSettings settings = written(false);
    ASSERT_EQ(1u, settings.buffers.size());
    EXPECT_EQ(pathOf("notes.txt"), settings.buffers[0].fileName);
    EXPECT_FALSE(settings.buffers[0].hasContents);
    ASSERT_EQ(1u, settings.groups.at(0).views.size());
    EXPECT_EQ(u"0", settings.groups[0].views[0].bufferId);
}

TEST_F(WindowSessionTest, ABufferInTwoGroupsIsWrittenOnceAndComesBackShared)
{
    m_window->setLayout(1);
    ASSERT_EQ(2, m_window->viewSet().numGroups());
    const slate::SP<TextBufferView> view = opened("shared.txt", "one buffer");
    ASSERT_NE(nullptr, m_window->cloneView(view, 1));

    const WindowSettings settings = written(true);
    ASSERT_EQ(1u, settings.buffers.size());
    ASSERT_EQ(2u, settings.groups.size());
    EXPECT_EQ(u"0", settings.groups[1].views.at(0).bufferId);

    TextEditorWindow* window = restored(settings);
    ASSERT_EQ(2, window->viewSet().numGroups());
    const TextBuffer* left = window->viewSet().views(0).at(0).view->buffer();
    EXPECT_EQ(left, window->viewSet().views(1).at(0).view->buffer());
    EXPECT_EQ(u"one buffer", left->str());
}

// The stored text replaces the file's text as one step, and the selection
// written for the stored text comes back with it.
TEST_F(WindowSessionTest, RestoredUnsavedTextUndoesOnceToTheFileText)
{
    const slate::SP<TextBufferView> view = opened("story.txt", "on disk");
    view->buffer()->insertCharacters(7, u" and typed later");
    view->mutableSel() = SelectionSet(SelectionRegion(10, 20));

    TextEditorWindow* window = restored(written(true));
    const slate::SP<TextBufferView> back = window->activeView();
    ASSERT_NE(nullptr, back);
    TextBuffer* buffer = back->buffer();
    EXPECT_EQ(u"on disk and typed later", buffer->str());
    EXPECT_TRUE(buffer->isDirty());
    ASSERT_EQ(1u, back->sel().size());
    EXPECT_EQ(SelectionRegion(10, 20), back->sel()[0]);

    buffer->undo();
    EXPECT_EQ(u"on disk", buffer->str());
}

TEST_F(WindowSessionTest, StoredTextOfAFileThatWentAwayIsKeptBoundToItsPath)
{
    unsavedFile("gone.txt", u"never saved");
    const WindowSettings settings = written(true);

    TextEditorWindow* window = restored(settings);
    const slate::SP<TextBufferView> back = window->activeView();
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(u"never saved", back->buffer()->str());
    EXPECT_TRUE(back->buffer()->isDirty());
    ASSERT_NE(nullptr, back->buffer()->source());
    EXPECT_EQ(pathOf("gone.txt"), back->buffer()->source()->path());
}

TEST_F(WindowSessionTest, AViewNamingNoBufferIsLeftOutAndTheRestComesBack)
{
    opened("kept.txt", "kept");
    WindowSettings settings = written(false);
    WindowSettings::View stray;
    stray.bufferId = u"7";
    settings.groups.at(0).views.insert(settings.groups[0].views.begin(), stray);
    settings.groups[0].activeView = 1;

    TextEditorWindow* window = restored(settings);
    ASSERT_EQ(1, window->viewSet().totalSize());
    EXPECT_EQ(u"kept", window->activeView()->buffer()->str());
}

} // namespace
} // namespace application_test
