// The file-type side of the open and save dialogs: the list of known file
// types in menu order, the filter text the system dialogs take, the filter
// pair of a syntax, and the naming rules of the save dialog. Pure functions
// of their arguments (apart from fileTypeList, which reads the syntax
// manager), so that tests give them tables.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/text/syntax/syntax_manager.h"
#include "ui/ustring.h"

// One known file type: a grammar and the extensions that select it.
struct FileType {
    ustring syntaxPath;
    ustring name; // the grammar's display name; may be empty
    std::vector<SyntaxManager::ExtensionEntry> extensions; // registration order
};
using FileTypeList = std::vector<FileType>;

// The file types of `manager`, in the order of its syntax menu; grammars
// without an extension are left out.
FileTypeList fileTypeList(const SyntaxManager& manager);
// The file types of the running syntax manager; none when there is none.
FileTypeList knownFileTypes();

// Which extensions a filter caption names. The patterns always match every
// extension, hidden ones included.
enum class FilterCaption {
    AllExtensions,     // the open dialog
    VisibleExtensions, // the save dialog: hidden extensions are not shown
};

// Pairs of NUL-terminated caption and pattern, ended by one more NUL:
// "All Files (*.*)" / "*.*" first, then one pair per file type in order,
// captioned by its name (or the stem of its path) and its extensions in
// parentheses ("Python (*.py;*.pyw)" / "*.py;*.pyw").
ustring buildFileDialogFilter(const FileTypeList& fileTypes, FilterCaption caption);
// The filter of exactly one extension (the "forcedExtension" option):
// caption `extension`, pattern "*." + `extension`.
ustring buildSingleExtensionFilter(const ustring& extension);
// The 1-based pair of `syntaxPath` in buildFileDialogFilter's text ("All
// Files" is 1, the first file type 2); 0 when it is not listed.
int fileTypeFilterIndex(const FileTypeList& fileTypes, const ustring& syntaxPath);
// The first extension (hidden or not) of the file type at 0-based `index`;
// empty when `index` is outside the list or the type has no extension.
ustring fileTypeFirstExtension(int index, const FileTypeList& fileTypes);

// The name the save dialog starts with for a buffer named `bufferName`: the
// name itself, or empty when it holds a character a file name cannot (tab,
// line feed, carriage return, "\", "/", ":", "?", "|", "<", ">").
ustring saveAsInitialName(const ustring& bufferName);
// The path a save dialog's typed `path` stands for: a last component
// without any "." gets "." + `extension` (nothing when that is empty); then
// a last component whose first "." is its last unit loses that ".". Either
// "/" or "\" separates components.
ustring completeSaveAsPath(const ustring& path, const ustring& extension);

// What the user is told when a file dialog fails (rather than being
// cancelled): `dialog` names it ("open", "save"), `errorCode` is the
// dialog's extended error code.
ustring fileDialogErrorText(const ustring& dialog, uint32_t errorCode);
