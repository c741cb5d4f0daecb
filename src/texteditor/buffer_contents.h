// Putting a whole text back into a buffer, as the session restore does with
// the unsaved text of a file once the file itself has been read.
//
// Main thread only.
#pragma once

#include "ui/reference_counted.h"
#include "ui/ustring.h"

class TextBuffer;

// Replaces the whole text of `buffer` (not null) by `text` as one undo group
// named "restore", so a single undo gives back the text that was there
// before, and the buffer counts as modified against its file.
void restoreBufferContents(const slate::SP<TextBuffer>& buffer, const ustring& text);
