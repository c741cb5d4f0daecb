// The system clipboard: plain text, plus the bytes of one private format for
// what only this program understands (clipboard_block.h gives their layout).
// The window manager's clipboard operations forward here. Main thread only.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/ustring.h"

// Replaces the clipboard's content with `text` (when not empty) and, when
// `formatName` is not empty, `data` is not null and `length` is not 0, the
// `length` bytes at `data` under the format registered by that name. A part
// that cannot be placed is logged and left out. False when the clipboard
// could not be opened, or not closed again.
bool copyToClipboard(const ustring& text, const ustring& formatName, const void* data, size_t length);

// Replaces `text` with the clipboard's Unicode text (empty when it has
// none). When `formatName` is not empty and `data` is not null, replaces
// `*data` with the bytes stored under that format (empty when there are
// none); only the bytes the clipboard's block really holds are taken,
// whatever length it claims. False when the clipboard could not be opened,
// or not closed again.
bool copyFromClipboard(ustring& text, const ustring& formatName, std::vector<char>* data);
