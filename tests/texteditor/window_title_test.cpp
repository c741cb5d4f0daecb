#include "texteditor/window_title.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/unicode.h"

namespace {

enum class Active { None, DirtyFile, CleanUntitled };

class WindowTitleTest : public testing::Test {
protected:
    slate::SP<TextBufferView> makeView(Active active)
    {
        if (active == Active::None)
            return nullptr;
        slate::SP<TextBuffer> buffer(new TextBuffer);
        if (active == Active::DirtyFile) {
            buffer->setSource(std::make_unique<FileBufferSource>(u"D:\\notes\\list.txt", kEncodingUndefined));
            buffer->markModified();
        }
        return buffer->createView(&m_canvas);
    }

    GridRecordingCanvas m_canvas;
};

TEST_F(WindowTitleTest, NamesTheActiveBufferAndTheProject)
{
    struct Case {
        Active active;
        const char16_t* project; // null: no project
        bool loading;
        const char16_t* title;
    } cases[] = {
        {Active::None, nullptr, false, u"Vantrel 1.4"},
        {Active::DirtyFile, nullptr, false, u"D:\\notes\\list.txt* - Vantrel 1.4"},
        {Active::DirtyFile, u"work", false, u"D:\\notes\\list.txt* (work) - Vantrel 1.4"},
        {Active::None, u"work", true, u"work: loading - Vantrel 1.4"},
        {Active::CleanUntitled, nullptr, false, u"untitled - Vantrel 1.4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.title)));
        slate::SP<TextBufferView> view = makeView(c.active);
        const ustring project = c.project ? projectTitleText(c.project, c.loading) : ustring();
        EXPECT_EQ(ustring(c.title), windowTitle(view.get(), project));
    }
}

// The title is set again only in frames in which something it shows changed.
TEST_F(WindowTitleTest, TheCacheChangesOnlyWithWhatTheTitleShows)
{
    slate::SP<TextBufferView> first = makeView(Active::CleanUntitled);
    slate::SP<TextBufferView> second = makeView(Active::CleanUntitled);
    std::optional<TitleState> cache;
    EXPECT_TRUE(refreshTitleCache(cache, titleState(nullptr, ustring())));
    EXPECT_TRUE(refreshTitleCache(cache, titleState(first.get(), ustring())));
    EXPECT_FALSE(refreshTitleCache(cache, titleState(second.get(), ustring())));
    first->buffer()->markModified();
    EXPECT_TRUE(refreshTitleCache(cache, titleState(first.get(), ustring())));
    EXPECT_TRUE(refreshTitleCache(cache, titleState(first.get(), u"work")));
}

TEST_F(WindowTitleTest, AnEmptyBufferWithoutAFileNeverNeedsSaving)
{
    slate::SP<TextBuffer> buffer(new TextBuffer);
    buffer->markModified();
    EXPECT_FALSE(bufferNeedsSaving(buffer));
    buffer->insertCharacters(0, u"x");
    EXPECT_TRUE(bufferNeedsSaving(buffer));

    slate::SP<TextBuffer> bound(new TextBuffer);
    bound->setSource(std::make_unique<FileBufferSource>(u"/tmp/new.txt", kEncodingUndefined));
    EXPECT_FALSE(bufferNeedsSaving(bound));
    bound->markModified();
    EXPECT_TRUE(bufferNeedsSaving(bound));
}

TEST_F(WindowTitleTest, ATabShowsTheFileNameAlone)
{
    EXPECT_EQ(u"list.txt", tabLabel(makeView(Active::DirtyFile)));
    EXPECT_EQ(u"untitled", tabLabel(makeView(Active::CleanUntitled)));
    EXPECT_EQ(u"", tabLabel(nullptr));
}

} // namespace
