// The clipboard commands of a text control (copy, cut, paste and paste with
// fitted indentation, copying a file's path, showing its folder) and saving
// the macro. Beside the plain text, copy puts a small private record on the
// clipboard, under the format kClipboardRecordFormat: whether the text is a
// set of whole lines, and which syntax it came from. Paste reads it back to
// put whole lines above the carets and to give an empty untitled buffer the
// copied text's syntax. Everything reaches the desktop through
// desktopServices(). Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/text/selection_set.h"
#include "ui/ustring.h"

class TextBufferView;
class Window;
struct ProcessLaunch;

// The name of the private clipboard format.
extern const char16_t kClipboardRecordFormat[];

// The record's bytes:
//
//   offset 0   1 byte     wholeLines: 1 for whole lines, else 0
//   offset 1   4 bytes    N, the syntax name's length in UTF-16 units
//                         (signed, little-endian)
//   offset 5   2N bytes   the syntax name, UTF-16LE
std::vector<char> encodeClipboardRecord(bool wholeLines, const ustring& syntax);
// Reads a record that another copy (maybe of another program version or a
// foreign program using the same format name) left. A record that is shorter
// than its header, longer than kMaxClipboardRecordSize or whose length
// disagrees with its size is ignored: false, with `wholeLines` false and
// `syntax` empty, so the text is pasted as plain text.
bool decodeClipboardRecord(const std::vector<char>& bytes, bool& wholeLines, ustring& syntax);
// The longest record read: a syntax name of 1,024 units.
constexpr size_t kMaxClipboardRecordSize = 5 + 2 * 1024;

// Replaces the clipboard's content with `text` (line feeds as they stand)
// and a record of `wholeLines` and `syntax`.
void writeClipboard(const ustring& text, bool wholeLines, const ustring& syntax);
// writeClipboard of plain text: not whole lines, no syntax.
void copyTextToClipboard(const ustring& text);
// The clipboard's text and its record; empty text, false and an empty name
// when the clipboard holds nothing readable.
void readClipboard(ustring& text, bool& wholeLines, ustring& syntax);

// `selection` with every empty region replaced by the full line around it
// (newline included); overlapping results merge.
SelectionSet expandEmptySelectionsToLines(const slate::SP<TextBufferView>& view, const SelectionSet& selection);
// The length of the run of spaces and tabs that starts `line`.
size_t leadingBlanks(const ustring& line);
// The longest run of blanks that starts every line not made only of blanks;
// when all are such lines, the blanks of the last one.
ustring commonIndentation(const std::vector<ustring>& lines);
// `lines` joined by line feeds, each non-empty line with `common`'s length
// taken from its start and `prefix` put before it (not before the first with
// `skipFirstPrefix`). An empty last line adds nothing.
ustring reindentPastedText(const std::vector<ustring>& lines, const ustring& common, const ustring& prefix,
                           bool skipFirstPrefix);

// Copies the selected text, or the carets' whole lines when every selection
// is empty, in the undo group "copy" (kept though it changes nothing, so the
// macro recorder sees it), and reports "Copied N character(s)". Returns the
// number of units copied (before line feeds become CR LF); 0 without
// selections.
int64_t copy(const slate::SP<TextBufferView>& view);
// copy, then erases the selections (the carets' whole lines), in the group
// "cut".
void cut(const slate::SP<TextBufferView>& view);
// Pastes the clipboard's text at every selection, in the group "paste" (or
// "pasteAndIndent" with `indent`, which fits multi-line text to the caret's
// indentation). Whole lines go above the carets' lines, one line or one piece
// per selection when the counts match. A single-line control (`multiLine`
// false) takes only the first line.
void paste(const slate::SP<TextBufferView>& view, bool indent, bool multiLine);
// Puts the path of the buffer's file on the clipboard; nothing without one.
void copyPath(const slate::SP<TextBufferView>& view);
// Shows the folder of the buffer's file in the system file browser, with
// the file selected; nothing without a file or a browser.
void openFolder(const slate::SP<TextBufferView>& view);
// The system file browser, found in `systemFolder`, showing `path`
// selected. Both paths are quoted, so the browser is never looked up in the
// current folder and blanks do not split the path. An empty application when
// the folder is unknown or a path holds a double quote (no file's path can).
ProcessLaunch fileBrowserLaunch(const ustring& systemFolder, const ustring& path);
// Asks for a file through the save dialog (owned by `window`, may be null),
// starting in the user's package folder, and writes the macro there as LF
// lines, reporting "Saved " and the path or an error. Nothing when the macro
// is empty. The process's current folder is put back afterwards, as dialogs
// may change it.
void saveMacro(Window* window);
