// File specs as the command line, drops and the find results name files: a
// path, optionally followed by ":" and a 1-based line, or by a line and a
// column each after a ":". A one-letter first part is a drive letter
// ("C:\a.txt"). And the search that turns a name the user typed into the
// file it names, walking up from the current directory.
#pragma once

#include <cstdint>

#include "ui/ustring.h"

struct FileSpec {
    static constexpr int32_t kNoPosition = -1;

    ustring path;
    int32_t line = kNoPosition;   // 1-based as given (0 too); kNoPosition when none
    int32_t column = kNoPosition; // as `line`; kNoPosition also when only a line was given
};

// Splits `spec` at its colons, a run of colons counting as one. Only a spec
// of exactly a path and one or two numbers (each of at most nine digits) has
// a position; anything else is a literal file name, whole ("notes:draft.txt",
// "a.txt:x", "a.txt:"). Never throws.
FileSpec parseFileSpec(const ustring& spec);

// The existing file (not a folder) that `name` names, or empty when there is
// none. An absolute name (a drive letter, a network path, or on the native
// build a leading "/") is taken as it is; a relative one is tried in the
// current directory and then in each of its parents in turn, so that a
// relative name in a tool's output finds its file from a subfolder. The
// result uses the platform's separator.
ustring locateFile(const ustring& name);
