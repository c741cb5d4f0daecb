#include "texteditor/buffer_contents.h"

#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"

void restoreBufferContents(const slate::SP<TextBuffer>& buffer, const ustring& text)
{
    static const ustring kGroupName = u"restore";
    ScopedUndoGroup group(slate::usubstring(kGroupName.data(), kGroupName.data() + kGroupName.size()), buffer,
                          false, false);
    buffer->eraseCharacters(SelectionRegion(0, buffer->size()));
    buffer->insertCharacters(0, text);
}
