#include "texteditor/buffer_contents.h"

#include <gtest/gtest.h>

#include "ui/text/text_buffer.h"

namespace {

TEST(RestoreBufferContents, OneUndoGivesBackTheTextThatWasRead)
{
    slate::SP<TextBuffer> buffer(new TextBuffer);
    buffer->insertCharacters(0, u"as read\nfrom the file");
    buffer->clearUndoHistory();
    buffer->markSaved();

    restoreBufferContents(buffer, u"as left\nunsaved");
    EXPECT_EQ(u"as left\nunsaved", buffer->str());
    EXPECT_TRUE(buffer->isDirty());
    EXPECT_EQ(u"restore", buffer->lastCommand().first);
    buffer->undo();
    EXPECT_EQ(u"as read\nfrom the file", buffer->str());
    EXPECT_FALSE(buffer->isDirty());
}

} // namespace
